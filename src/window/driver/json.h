// Just enough JSON for the scenario driver's output: one object per line, keys in the order
// they were added.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brindle::drive {

// A JSON string literal of a UTF-8 text.
std::string JsonString(std::string_view utf8);

class JsonObject {
 public:
  JsonObject& Raw(std::string_view key, std::string_view json);
  JsonObject& Text(std::string_view key, std::string_view utf8);
  JsonObject& Bool(std::string_view key, bool value);
  JsonObject& Int(std::string_view key, long long value);
  std::string str() const;

 private:
  std::string body_;
};

std::string JsonArray(const std::vector<std::string>& jsonItems);

}  // namespace brindle::drive
