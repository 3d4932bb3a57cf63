// One line of the export file: 30 quoted columns with the service's escaping.
#pragma once

#include <cstdint>
#include <string>

#include "address_file/dat_types.h"

namespace brindle {

// Bare name of the export file for a header record count, e.g. "152_csv.tmp".
std::string CsvName(std::int32_t recordCount);

// The record's export line without its CRLF ending. `categoryName` fills column 30.
std::string ExportLine(const DatRecord& record, const std::string& categoryName);

}  // namespace brindle
