// Rules of the category selection that need no window: reading a slot or a saved entry as a
// category number, and the selection text stored under the configuration key "Category".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "export/record_export.h"

namespace brindle {

// A decimal category number: optional sign, then digits, with blanks allowed around them.
// Anything else, the empty text included, is not a number.
std::optional<std::int64_t> ParseCategoryNumber(std::string_view text);

// The values of the slots that are not blank, in position order, separated by single blanks;
// "" when every slot is blank. Categories 2 and 5 and "Unfiled" give "2 5 0".
std::string SavedSelectionText(const SelCat& selCat);

// True when some slot holds a category.
bool AnyCategoryChosen(const SelCat& selCat);

}  // namespace brindle
