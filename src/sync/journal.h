// The journal of a sync run whose export the service holds: enough to finish that run later
// (fetch its result, write the identifiers back, delete the service's copy) if this one is
// interrupted. It names the last step the run took or is about to take: a step whose effect
// lies outside Brindle is recorded before it is taken, so an interruption can only leave the
// run at or just before the step the journal names. Line-based text, versioned, read strictly;
// never holds the password.
//
// Errors of the sync layer: each reader throws its own type, JournalError for a journal and
// ReplyError (service_reply.h) for a reply; the rest computes texts and throws nothing.
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

// The steps of a sync run, in order. The journal exists from ExportUploaded on.
enum class SyncStep {
  None,
  Authenticated,
  ExportUploaded,   // the service holds the export; no import was asked for
  ImportRequested,  // recorded before the request is sent: the service may import it
  ResultReady,      // the service said the result file is there
  ResultHeld,       // the result file is downloaded and kept beside the journal
  WrittenBack,      // the address file carries the identifiers
  ResultDeleted,    // the service's copy of the result is gone
  Finished,
};

// "import requested", ...: the step as the run log and causes name it.
const char* StepName(SyncStep step);

struct SyncJournal {
  std::string datPath;     // the address file's absolute path, as the window's path box holds it
  std::string csvName;     // transfer name
  std::string resultName;  // result name, on the service and held locally
  std::int32_t lines = 0;  // lines the export wrote: the rows the result must hold
  std::vector<std::int32_t> exportedIds;
  std::string user;
  std::string time;  // when the export was uploaded, UTC, ISO 8601
  SyncStep step = SyncStep::ExportUploaded;
};

std::string FormatJournal(const SyncJournal& journal);
// Throws JournalError naming the line at fault for anything but a complete journal of a
// known version. A journal of the first version, which named no step, was written just before
// the import was asked for: it reads as ImportRequested, or ResultHeld when it says so.
SyncJournal ParseJournal(std::string_view text);

// The journal's file name for an address file: one journal per file, named by a stable hash
// of its path, so runs on different files keep their own.
std::string JournalFileName(std::string_view datPath);
// True for the name of a journal file (not of a held result).
bool IsJournalFileName(std::string_view name);
// The file name under which the journal's result is held.
std::string HeldResultFileName(std::string_view datPath);

// The current time as FormatJournal keeps it.
std::string JournalTimeNow();

}  // namespace brindle
