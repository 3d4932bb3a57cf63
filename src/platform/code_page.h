// Texts inside Brindle are bytes in the system's 8-bit code page, as the address file and the
// configuration file hold them: Windows-1252 on POSIX systems (code_page_posix.cpp), the ANSI
// code page on Windows (code_page_windows.cpp), where Palm Desktop wrote the user's. These convert
// at the edges: file names, the terminal, a view. In Windows-1252 the five undefined bytes map to
// the C1 controls of the same number, so every byte survives a round trip.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace brindle::platform {

std::string CodePageToUtf8(std::string_view text);
// Characters that the code page cannot hold, and malformed UTF-8, become "?".
std::string Utf8ToCodePage(std::string_view text);

// True when the byte stands for a control character: C0 (0x00 to 0x1F), DEL, or one of the
// C1 controls that the five undefined bytes become.
bool IsControlByte(unsigned char byte);

// A file-system path named by a text in the code page, and back.
std::filesystem::path PathFromText(std::string_view text);
std::string TextFromPath(const std::filesystem::path& path);
// The text that names `path` exactly; nothing when the code page cannot hold one of its
// characters (such a path would be saved with "?" in their place and name another file).
std::optional<std::string> ExactTextFromPath(const std::filesystem::path& path);

// The code page's name for messages, e.g. "Windows-1252".
std::string CodePageName();

}  // namespace brindle::platform
