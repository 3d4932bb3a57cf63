// The journal that makes an interrupted sync finishable: written once the service holds the
// export, moved on with every step, dropped when the service's copy of the result is gone.
// It is never ahead of what happened, but for "import requested", which is recorded before
// the request is sent: finishing a run never takes for done what may not be.
#include <algorithm>
#include <optional>
#include <string>
#include <system_error>

#include "platform/code_page.h"
#include "platform/utf8_path.h"
#include "sync/service_protocol.h"
#include "window/sync_run/failure_cause.h"
#include "window/sync_run/sync_run.h"

namespace brindle {

namespace fs = std::filesystem;

std::string JournalKey(const std::string& datText) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(platform::PathFromText(datText), ec);
  return ec ? datText : platform::TextFromPath(absolute.lexically_normal());
}

fs::path SyncRun::JournalPath(const std::string& datKey) const {
  return parts_.programFolder / JournalFileName(datKey);
}

fs::path SyncRun::HeldResultPath(const std::string& datKey) const {
  return parts_.programFolder / HeldResultFileName(datKey);
}

void SyncRun::SaveJournal(const SyncJournal& journal) {
  parts_.files.WritePrivateFile(JournalPath(journal.datPath), FormatJournal(journal));
}

void SyncRun::DropJournal(const std::string& datKey) {
  // The journal goes first: a journal without its held result asks the service again, while a
  // held result without a journal is never used.
  platform::RemoveQuietly(parts_.files, JournalPath(datKey));
  platform::RemoveQuietly(parts_.files, HeldResultPath(datKey));
  journal_.reset();
}

// Called before the upload: a journal that cannot be written stops the run before anything
// is sent.
void SyncRun::StartJournal() {
  SyncJournal journal;
  journal.datPath = JournalKey(exported_.datPath);
  journal.csvName = exported_.csvName;
  journal.resultName = ResultName(exported_.csvName);
  journal.lines = exported_.lines;
  journal.exportedIds.assign(exported_.recordIds.begin(), exported_.recordIds.end());
  std::sort(journal.exportedIds.begin(), journal.exportedIds.end());
  journal.user = host_.Login();
  journal.time = JournalTimeNow();
  journal_ = journal;
  Reach(SyncStep::ExportUploaded);
}

// Records that the run reached `step`. Up to "import requested" a journal that cannot be
// written ends the run, which must not ask for an import it could not finish after a crash;
// later, a journal left a step behind only makes the next SYNC redo a step that is safe to
// redo, so the failure is logged and the run goes on.
void SyncRun::Reach(SyncStep step) {
  step_ = step;
  if (!journal_) return;
  journal_->step = step;
  try {
    SaveJournal(*journal_);
  } catch (const std::exception& e) {
    const std::string cause =
        "cannot write the sync journal " + JournalPath(journal_->datPath).string() + ": " +
        CauseOf(e);
    if (step > SyncStep::ImportRequested) {
      host_.LogStep(cause);
      return;
    }
    DropJournal(journal_->datPath);
    Status(StatusLine::Import, "Error... The sync journal could not be written!");
    Fail(cause);
  }
}

// The journal of this program folder that claims the result `resultName`, if one does. A
// damaged journal claims nothing.
std::optional<SyncJournal> SyncRun::JournalClaiming(const std::string& resultName) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(parts_.programFolder, ec)) {
    if (!IsJournalFileName(entry.path().filename().string())) continue;
    try {
      SyncJournal journal = ParseJournal(parts_.files.ReadFile(entry.path()));
      if (journal.resultName == resultName) return journal;
    } catch (const std::exception& e) {
      host_.LogStep("passing over the sync journal " + entry.path().string() + ": " + CauseOf(e));
    }
  }
  return std::nullopt;
}

// Moves the downloaded result beside the journal, out of reach of the exit clean-up. Returns
// where the write-back finds the result.
fs::path SyncRun::HoldResult(const fs::path& downloaded) {
  fs::path held = HeldResultPath(journal_->datPath);
  parts_.files.Rename(downloaded, held);
  Reach(SyncStep::ResultHeld);
  return held;
}

}  // namespace brindle
