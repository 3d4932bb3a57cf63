// Whole numbers, as Brindle reads them everywhere: decimal digits with an optional sign. The
// rules differ by where a number comes from, on purpose, and only here:
// - NumberForm::kExact, digits with an optional "-" and nothing else: what Brindle wrote itself
//   and reads back (the sync journal, a backup's counter), a record identifier of the
//   service's result, a reply code, and the command line's number options, where any other
//   text means damage or a mistake.
// - NumberForm::kCategory, blanks around the digits and a "+" allowed too: a category number,
//   in a slot of the selection or saved in Brindle.conf, which a user may have edited ("+3"
//   has always loaded as 3). The command line's --categories takes what Brindle.conf takes.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace brindle::text {

enum class NumberForm { kExact, kCategory };

// The number `text` holds in `form`; nothing for anything else, the empty text included, and
// for a number outside 64 bits.
std::optional<std::int64_t> ParseWholeNumber(std::string_view text,
                                             NumberForm form = NumberForm::kExact);

}  // namespace brindle::text
