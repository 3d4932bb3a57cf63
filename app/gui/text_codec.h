// Conversions between the model's 8-bit texts and the widgets' Unicode.
//
// The model keeps every text, paths included, as the bytes it reads from or writes to the
// address file and Brindle.conf: Windows-1252, one byte per character.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace brindle::gui {

// Every one of the 256 byte values maps to a character and back unchanged.
QString FromCp1252(std::string_view bytes);

// Characters that Windows-1252 cannot hold become '?', so a typed text never turns into
// control characters in the configuration file or a request.
std::string ToCp1252(const QString& text);

}  // namespace brindle::gui
