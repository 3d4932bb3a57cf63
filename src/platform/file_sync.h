// Forcing written data to the disk. The standard library can flush its buffers but cannot ask
// the operating system to write its cache out, which a safe file replacement needs.
#pragma once

#include <cstdio>
#include <filesystem>

namespace brindle::platform {

// Forces the file's written data to the disk. REQUIRES: `file` was flushed. False on failure.
bool SyncFile(std::FILE* file);
// Forces a folder's entries (a rename into it) to the disk. Best effort: false on failure,
// and a no-op where the system has no such call.
bool SyncDirectory(const std::filesystem::path& dir);

}  // namespace brindle::platform
