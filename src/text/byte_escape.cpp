#include "text/byte_escape.h"

namespace brindle::text {

std::string EscapeBytes(std::string_view text, const std::function<bool(unsigned char)>& escape,
                        const std::function<std::string(char)>& plain) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (escape(byte)) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else if (plain) {
      out += plain(c);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace brindle::text
