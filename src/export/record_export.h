// The export run's record loop, shared by the window and brindle-cli so both write the same
// bytes.
//
// Errors of the export layer: it throws the address file's DatError, for the file and for a
// selection it cannot use alike.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "address_file/dat_reader.h"

namespace brindle {

// The selected-category table: one slot per list position; "" is a blank slot, any other
// text is a category number in decimal.
using SelCat = std::vector<std::string>;

// REQUIRES: ReadHeader has just been called on `in`; copy mode is off.
// Creates (or empties) `csvPath` and writes one line per record and matching slot, skipping
// status 129, stopping at the end-of-records marker. `onLine` runs before each line, with the
// record the line is made from.
// Returns the number of lines. Throws on a read or write failure, a slot that is not a
// number, or more than 32,767 lines; what was written so far stays in the file.
int WriteExport(DatReader& reader, DatInput& in, const DatHeader& header, const SelCat& selCat,
                const std::filesystem::path& csvPath,
                const std::function<void(const DatRecord&)>& onLine = {});

}  // namespace brindle
