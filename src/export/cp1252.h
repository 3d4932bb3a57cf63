// Windows-1252 to UTF-8, for showing the address file's texts on a UTF-8 terminal. The
// libraries keep texts as the file's bytes; only output meant for people is converted.
#pragma once

#include <string>
#include <string_view>

namespace brindle {

// Every byte maps to one character: 0x00-0x7F and 0xA0-0xFF are the Unicode code points of
// the same value; 0x80-0x9F follow the code page's table, and its five unassigned bytes
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same value, so nothing is lost.
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace brindle
