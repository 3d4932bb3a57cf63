// The configuration file beside the program: four values, one per line, each ended by CR LF,
// in a fixed order (path, categories, user name, password). A value's position alone says
// what it is. Values are read line by line, so commas and blanks inside them survive.
#pragma once

// Errors of the configuration layer: none are thrown. A value it cannot use is an absent
// value (an empty string, std::nullopt, false), and the caller decides what that means.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

inline constexpr std::size_t kConfigValueCount = 4;
using ConfigValues = std::array<std::string, kConfigValueCount>;

// Every line of the file in order. A line ends at CR LF, LF or a lone CR; a last line without
// an ending counts; an empty file has no lines.
std::vector<std::string> ParseConfigLines(std::string_view bytes);

// The first four lines; values missing from a short file are empty.
ConfigValues FirstFourValues(const std::vector<std::string>& lines);

// The file's bytes: the four values, each followed by CR LF.
std::string FormatConfig(const ConfigValues& values);

// Slot of a key as WriteCache uses it: "DatPath" 0, "Category" 1, "User" 2, "Passwd" 3,
// compared exactly; no slot for any other text.
std::optional<std::size_t> ConfigSlot(std::string_view key);

// A value holding a line break cannot be stored: it would shift every value after it.
bool StorableConfigValue(std::string_view value);

// The saved category numbers of the "Category" value, split at every single blank. An empty
// value gives an empty list; two blanks in a row give an empty entry.
std::vector<std::string> SplitSavedCategories(const std::string& value);

}  // namespace brindle
