// Bytes that must not reach a file or a terminal as they are, written as \xNN: a backslash,
// "x" and the byte's value in two upper-case hexadecimal digits. The sync journal escapes
// the bytes that would break its lines, brindle-cli info the ones that could drive a terminal.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace brindle::text {

// `text` with each byte for which `escape` holds written as \xNN, and each other byte as
// `plain` gives it (unchanged when no `plain` is given).
std::string EscapeBytes(std::string_view text, const std::function<bool(unsigned char)>& escape,
                        const std::function<std::string(char)>& plain = {});

}  // namespace brindle::text
