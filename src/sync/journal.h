// The journal of a sync run whose export the service holds: enough to finish that run later
// (fetch its result, write the identifiers back) if this one is interrupted. Line-based text,
// versioned, read strictly; never holds the password.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

class JournalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SyncJournal {
  std::string datPath;     // the address file's absolute path, as the window's path box holds it
  std::string csvName;     // transfer name
  std::string resultName;  // result name, on the service and held locally
  std::int32_t lines = 0;  // lines the export wrote: the rows the result must hold
  std::vector<std::int32_t> exportedIds;
  std::string user;
  std::string time;         // when the export was uploaded, UTC, ISO 8601
  bool resultHeld = false;  // the result was downloaded and is kept beside the journal
};

std::string FormatJournal(const SyncJournal& journal);
// Throws JournalError naming the line at fault for anything but a complete journal of a
// known version.
SyncJournal ParseJournal(std::string_view text);

// The journal's file name for an address file: one journal per file, named by a stable hash
// of its path, so runs on different files keep their own.
std::string JournalFileName(std::string_view datPath);
// The file name under which the journal's result is held.
std::string HeldResultFileName(std::string_view datPath);

// The current time as FormatJournal keeps it.
std::string JournalTimeNow();

}  // namespace brindle
