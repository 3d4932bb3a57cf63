#include "export/category_selection.h"

#include <charconv>

namespace brindle {

std::optional<std::int64_t> ParseCategoryNumber(std::string_view text) {
  // Blanks around the digits are allowed, as the export's record loop allows them.
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') + 1 - first);
  if (text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  }
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string SavedSelectionText(const SelCat& selCat) {
  std::string text;
  for (const std::string& slot : selCat) {
    if (slot.empty()) continue;
    if (!text.empty()) text += ' ';
    text += slot;
  }
  return text;
}

bool AnyCategoryChosen(const SelCat& selCat) {
  for (const std::string& slot : selCat) {
    if (!slot.empty()) return true;
  }
  return false;
}

}  // namespace brindle
