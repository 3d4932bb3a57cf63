// Texts inside Brindle are Windows-1252 bytes, one per character, as the address file and
// the configuration file hold them. These convert at the edges: file names, the terminal, a
// view. The five bytes that Windows-1252 leaves undefined map to the C1 controls of the same
// number, so every byte survives a round trip.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace brindle::platform {

std::string Cp1252ToUtf8(std::string_view text);
// Characters that Windows-1252 cannot hold, and malformed UTF-8, become "?".
std::string Utf8ToCp1252(std::string_view text);

// True when the byte stands for a control character: C0 (0x00 to 0x1F), DEL, or one of the
// C1 controls that the five undefined bytes become.
bool IsControlByte(unsigned char byte);

// A file-system path named by a Windows-1252 text, and back.
std::filesystem::path PathFromText(std::string_view text);
std::string TextFromPath(const std::filesystem::path& path);

}  // namespace brindle::platform
