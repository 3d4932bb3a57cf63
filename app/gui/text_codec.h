// Conversions between the model's 8-bit texts and the widgets' Unicode.
//
// The model keeps every text, paths included, as the bytes it reads from or writes to the
// address file and Brindle.conf: the system's 8-bit code page (Windows-1252 on Linux, the ANSI
// code page on Windows), one byte per character.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace brindle::gui {

// In Windows-1252 every one of the 256 byte values maps to a character and back unchanged.
QString FromCodePage(std::string_view bytes);

// Characters that the code page cannot hold become '?', so a typed text never turns into
// control characters in the configuration file or a request.
std::string ToCodePage(const QString& text);

}  // namespace brindle::gui
