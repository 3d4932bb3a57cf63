#include "window/driver/json.h"

#include <cstdio>

namespace brindle::drive {

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", byte);
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
  if (!body_.empty()) body_ += ',';
  body_ += JsonString(key) + ':';
  body_ += json;
  return *this;
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view utf8) {
  return Raw(key, JsonString(utf8));
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  return Raw(key, value ? "true" : "false");
}

JsonObject& JsonObject::Int(std::string_view key, long long value) {
  return Raw(key, std::to_string(value));
}

std::string JsonObject::str() const { return '{' + body_ + '}'; }

std::string JsonArray(const std::vector<std::string>& jsonItems) {
  std::string out = "[";
  for (std::size_t i = 0; i < jsonItems.size(); ++i) {
    if (i > 0) out += ',';
    out += jsonItems[i];
  }
  return out + "]";
}

}  // namespace brindle::drive
