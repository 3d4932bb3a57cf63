// The service's result file: one row per exported record, "<recordId>,<databaseId>[,...]",
// each row ended by two line feeds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "address_file/dat_reader.h"

namespace brindle {

// Parses result-file text into a lookup keyed by record identifier; for an identifier given
// twice the later row wins. `expectedRows` is the number of lines the export wrote.
// Throws DatError (offset = byte offset of the row) when the text does not hold exactly
// `expectedRows` rows, a row has no comma, a record identifier is not a number, or a database
// identifier is longer than 254 characters or holds anything but visible ASCII other than '"'
// (0x21-0x7E except 0x22). Every row is checked, whichever records the write-back will use.
// Carriage returns are ignored.
ResultTable ParseResultText(std::string_view text, std::int32_t expectedRows);

// The bytes of a result file. Throws DatError when it cannot be read.
std::string ReadResultText(const std::filesystem::path& path);

// Reads and parses a result file. Throws DatError when it cannot be read.
ResultTable ReadResultFile(const std::filesystem::path& path, std::int32_t expectedRows);

// Number of rows in result-file text (pieces ended by two line feeds).
std::int32_t CountResultRows(std::string_view text);

}  // namespace brindle
