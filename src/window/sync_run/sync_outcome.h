// How a sync run ended: the one value the window shows its endings from, the command line
// takes its exit status from and the run log is written from.
#pragma once

#include <optional>
#include <string>

#include "sync/journal.h"

namespace brindle {

enum class RunEnding {
  Finished,      // the identifiers are written back
  Failed,        // a step failed; the cause says why
  Declined,      // an interrupted sync could not be finished, and the user chose to wait
  WindowClosed,  // the window was closed during the run
};

struct SyncOutcome {
  RunEnding ending = RunEnding::Failed;
  SyncStep step = SyncStep::None;  // the last step the run reached
  std::string cause;               // in plain words; empty for a finished run
  int recordsUpdated = 0;
  std::optional<SyncStep> journalKept;  // the step the journal left for the next SYNC names
};

// One line for the run log: "finished", "failed after \"export uploaded\": <cause>", ...
std::string Describe(const SyncOutcome& outcome);

// Thrown by a stage that ends the run, once the window shows that ending; caught where the
// run's outcome is made, never outside the sync run.
struct RunEnd {
  RunEnding ending;
  std::string cause;
};

}  // namespace brindle
