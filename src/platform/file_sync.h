// Forcing written data to the disk. The standard library can flush its buffers but cannot ask
// the operating system to write its cache out, which a safe file replacement needs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace brindle::platform {

// Forces the file's written data to the disk. REQUIRES: `file` was flushed. False on failure.
[[nodiscard]] bool SyncFile(std::FILE* file);
// Asks the system to start writing the file's data handed to it so far to the disk, without
// waiting, so that a later SyncFile has less left to wait for. A hint: no-op where the system
// has no such call.
void StartWriteOut(std::FILE* file);
// Forces a folder's entries (a rename into it) to the disk. Best effort: false on failure,
// and a no-op where the system has no such call.
[[nodiscard]] bool SyncDirectory(const std::filesystem::path& dir);

// Moves a stream to a byte offset, or to its end, with 64-bit offsets on every system (a
// `long` holds 32 bits on Windows). False on failure.
[[nodiscard]] bool SeekTo(std::FILE* file, std::int64_t offset);
[[nodiscard]] bool SeekToEnd(std::FILE* file);

}  // namespace brindle::platform
