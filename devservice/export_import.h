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

// Escaped columns are read as common CSV; columns the tool writes as they stand keep their
// quotes single. Lines that do not give 30 fields are skipped and reported.
ImportedFile ParseExportFile(std::string_view bytes);

}  // namespace rookery
