// Reading an uploaded export file the way the Rookery service does: 30 quoted fields per
// line, with the tool's escaping undone. Bytes are kept as they are (Windows-1252).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rookery {

inline constexpr int kExportColumns = 30;
inline constexpr std::string_view kCommaPlaceholder = "UUUVIRGULAWWW";

struct ImportedFile {
  std::vector<std::vector<std::string>> records;  // each with kExportColumns fields
  std::vector<std::string> problems;              // lines that were skipped, and why
};

// Quotes are read as in common CSV: a doubled quote is one quote, a quote followed by a comma
// or a line end closes the field. A quote followed by anything else is kept as it stands,
// because columns the tool does not escape may hold a single quote.
ImportedFile ParseExportFile(std::string_view bytes);

}  // namespace rookery
