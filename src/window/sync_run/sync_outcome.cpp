#include "window/sync_run/sync_outcome.h"

namespace brindle {

std::string Describe(const SyncOutcome& outcome) {
  std::string text;
  switch (outcome.ending) {
    case RunEnding::Finished:
      text = "finished";
      break;
    case RunEnding::Failed:
      text = "failed";
      break;
    case RunEnding::Declined:
      text = "stopped by the user";
      break;
    case RunEnding::WindowClosed:
      text = "window closed during the run";
      break;
  }
  if (outcome.ending != RunEnding::Finished && outcome.step != SyncStep::None) {
    text += std::string(" after \"") + StepName(outcome.step) + "\"";
  }
  if (!outcome.cause.empty()) text += ": " + outcome.cause;
  if (outcome.journalKept) {
    text += std::string("; the journal is kept at \"") + StepName(*outcome.journalKept) +
            "\" for the next SYNC of this file";
  }
  return text;
}

}  // namespace brindle
