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

// Each value's position in the file, in the file's order; the last gives the count.
enum ConfigPosition : std::size_t {
  kConfigPath,
  kConfigCategories,
  kConfigUser,
  kConfigPassword,
  kConfigValueCount,
};
using ConfigValues = std::array<std::string, kConfigValueCount>;

// Every line of the file in order. A line ends at CR LF, LF or a lone CR; a last line without
// an ending counts; an empty file has no lines.
std::vector<std::string> ParseConfigLines(std::string_view bytes);

// The first four lines; values missing from a short file are empty.
ConfigValues FirstFourValues(const std::vector<std::string>& lines);

// The file's bytes: the four values, each followed by CR LF.
std::string FormatConfig(const ConfigValues& values);

// Slot of a key as WriteCache uses it: "DatPath" kConfigPath, "Category" kConfigCategories,
// "User" kConfigUser, "Passwd" kConfigPassword, compared exactly; no slot for any other text.
std::optional<std::size_t> ConfigSlot(std::string_view key);

// A value holding a line break cannot be stored: it would shift every value after it.
bool StorableConfigValue(std::string_view value);

// The chosen categories as the "Category" value holds them: the slots that are not blank, in
// position order, separated by single blanks; "" when every slot is blank. Categories 2 and 5
// and "Unfiled" give "2 5 0".
std::string SavedSelectionText(const std::vector<std::string>& slots);

// The saved category numbers of the "Category" value, split at every single blank. An empty
// value gives an empty list; two blanks in a row give an empty entry.
std::vector<std::string> SplitSavedCategories(const std::string& value);

}  // namespace brindle
