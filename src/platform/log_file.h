// An append-only text log that never grows without bound: when it has reached its limit it is
// renamed to "<name>.1" (that one to "<name>.2", and so on) and a new one is started.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace brindle::platform {

// Appends `text` to the log at `path`, created owner-only and never through a link. Before the
// append, a log of `limit` bytes or more is rotated so that `files` files are kept in all.
// Throws FileError.
void AppendToLog(const std::filesystem::path& path, const std::string& text, std::uintmax_t limit,
                 int files);

}  // namespace brindle::platform
