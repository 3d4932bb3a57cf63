// The system's own words for a Windows error code, in UTF-8.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace brindle::platform {

std::string SystemMessage(DWORD error);
// The error code a FileError carries: a rename across volumes as the portable
// cross_device_link, so that callers tell it apart alike on every system.
std::error_code SystemCode(DWORD error);

// The path as Windows calls take it.
inline const wchar_t* Wide(const std::filesystem::path& path) { return path.c_str(); }

}  // namespace brindle::platform
