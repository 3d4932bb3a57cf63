// Rules of the category selection that need no window: reading a slot, a saved entry or a
// category given on the command line as a category number. The selection's text in the
// configuration is the configuration's (config_file.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "export/record_export.h"

namespace brindle {

// A decimal category number: optional sign, then digits, with blanks allowed around them
// (text::NumberForm::kCategory says why). Anything else, the empty text included, is not a
// number.
std::optional<std::int64_t> ParseCategoryNumber(std::string_view text);

// True when some slot holds a category.
bool AnyCategoryChosen(const SelCat& selCat);

}  // namespace brindle
