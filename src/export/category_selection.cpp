#include "export/category_selection.h"

#include "text/whole_number.h"

namespace brindle {

std::optional<std::int64_t> ParseCategoryNumber(std::string_view text) {
  return text::ParseWholeNumber(text, text::NumberForm::kCategory);
}

bool AnyCategoryChosen(const SelCat& selCat) {
  for (const std::string& slot : selCat) {
    if (!slot.empty()) return true;
  }
  return false;
}

}  // namespace brindle
