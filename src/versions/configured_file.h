// The address file that Brindle.conf in a program folder names: the path the window saved last.
#pragma once

#include <filesystem>
#include <optional>

namespace brindle::versions {

// The path on the configuration's first line, in the system's code page as the window saved
// it; none when the file is missing, unreadable or names no file.
std::optional<std::filesystem::path> ConfiguredAddressFile(
    const std::filesystem::path& programFolder);

}  // namespace brindle::versions
