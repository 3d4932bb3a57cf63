#include "text/whole_number.h"

#include <charconv>

namespace brindle::text {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text without the blanks around it and without a "+" that leads the digits.
std::string_view CategoryDigits(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  text = text.substr(first, text.find_last_not_of(' ') + 1 - first);
  if (text.size() > 1 && text.front() == '+' && IsDigit(text[1])) text.remove_prefix(1);
  return text;
}

}  // namespace

std::optional<std::int64_t> ParseWholeNumber(std::string_view text, NumberForm form) {
  if (form == NumberForm::kCategory) text = CategoryDigits(text);
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

}  // namespace brindle::text
