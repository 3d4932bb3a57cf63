// The system's own words for a Windows error code, in UTF-8.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace brindle::platform {

std::string SystemMessage(DWORD error);

// The path as Windows calls take it.
inline const wchar_t* Wide(const std::filesystem::path& path) { return path.c_str(); }

}  // namespace brindle::platform
