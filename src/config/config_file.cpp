#include "config/config_file.h"

#include <utility>

namespace brindle {

std::vector<std::string> ParseConfigLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    lines.emplace_back(bytes.substr(start, i - start));
    i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

ConfigValues FirstFourValues(const std::vector<std::string>& lines) {
  ConfigValues values;
  for (std::size_t i = 0; i < values.size() && i < lines.size(); ++i) values[i] = lines[i];
  return values;
}

std::string FormatConfig(const ConfigValues& values) {
  std::string bytes;
  for (const std::string& value : values) bytes += value + "\r\n";
  return bytes;
}

std::optional<std::size_t> ConfigSlot(std::string_view key) {
  static constexpr std::pair<std::string_view, ConfigPosition> kKeys[] = {
      {"DatPath", kConfigPath},
      {"Category", kConfigCategories},
      {"User", kConfigUser},
      {"Passwd", kConfigPassword}};
  for (const auto& [name, position] : kKeys) {
    if (key == name) return position;
  }
  return std::nullopt;
}

bool StorableConfigValue(std::string_view value) {
  return value.find_first_of("\r\n") == std::string_view::npos;
}

std::string SavedSelectionText(const std::vector<std::string>& slots) {
  std::string text;
  for (const std::string& slot : slots) {
    if (slot.empty()) continue;
    if (!text.empty()) text += ' ';
    text += slot;
  }
  return text;
}

std::vector<std::string> SplitSavedCategories(const std::string& value) {
  std::vector<std::string> parts;
  if (value.empty()) return parts;
  std::size_t start = 0;
  for (std::size_t blank; (blank = value.find(' ', start)) != std::string::npos;
       start = blank + 1) {
    parts.push_back(value.substr(start, blank - start));
  }
  parts.push_back(value.substr(start));
  return parts;
}

}  // namespace brindle
