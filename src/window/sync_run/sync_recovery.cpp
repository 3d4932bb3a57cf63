// Finishing an interrupted run at the next SYNC of the same file, before anything new is
// exported, so that its records go out with their identifiers and are not added twice. What
// is done depends on the last step the journal names (sync/recovery.h); docs/sync-recovery.md
// gives the reasons.
#include <chrono>
#include <string>
#include <unordered_set>

#include "address_file/result_file.h"
#include "platform/code_page.h"
#include "platform/utf8_path.h"
#include "sync/recovery.h"
#include "sync/service_protocol.h"
#include "window/sync_run/failure_cause.h"
#include "window/sync_run/run_guards.h"
#include "window/sync_run/sync_run.h"
#include "window/sync_run/write_back.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

// How long a result not yet ready is waited for before the user is asked.
constexpr int kInterruptedPolls = 5;
constexpr std::chrono::seconds kInterruptedPause{1};

}  // namespace

bool SyncRun::ResumeInterrupted(const std::string& datPath, const platform::FileLock& lock) {
  lock_ = &lock;
  const std::string datKey = JournalKey(datPath);
  if (!parts_.files.Exists(JournalPath(datKey))) return true;
  RunFlag running(running_);
  step_ = SyncStep::None;
  recordsUpdated_ = 0;
  try {
    return FinishInterrupted(datPath, datKey);
  } catch (const RunEnd& end) {
    Ended(end.ending, end.cause);
    return false;
  }
}

bool SyncRun::FinishInterrupted(const std::string& datPath, const std::string& datKey) {
  SyncJournal journal;
  try {
    journal = ParseJournal(parts_.files.ReadFile(JournalPath(datKey)));
    if (journal.datPath != datKey) {
      throw JournalError("the sync journal " + JournalPath(datKey).string() + " is of " +
                         journal.datPath);
    }
  } catch (const std::exception& e) {
    if (!Foreseen(e)) InterruptedFailed(CauseOf(e));
    return GoOnWithout(e.what(), datKey, nullptr);
  }
  journal_ = journal;
  step_ = journal.step;
  const Recovery recovery = RecoveryFor(journal.step);
  if (recovery != Recovery::GoOn) {
    Status(StatusLine::Import, "Finishing the interrupted sync... Wait a moment!");
  }
  switch (recovery) {
    case Recovery::GoOn:
      host_.LogStep("the interrupted sync of " + journal.time +
                    " had not asked for its import; nothing to finish");
      DropJournal(datKey);
      return true;
    case Recovery::FetchResult:
      if (auto why = FetchInterruptedResult(journal)) return GoOnWithout(*why, datKey, &journal);
      [[fallthrough]];
    case Recovery::WriteBackHeld:
      if (auto why = WriteBackInterrupted(journal, datPath))
        return GoOnWithout(*why, datKey, &journal);
      Status(StatusLine::AddressFile,
             "Interrupted sync: " + std::to_string(recordsUpdated_) + " record(s) updated!");
      [[fallthrough]];
    case Recovery::DeleteResult:
      if (!DeleteInterruptedResult(journal)) break;
      [[fallthrough]];
    case Recovery::DropJournal:
      DropJournal(datKey);
  }
  Status(StatusLine::Import, "Interrupted sync finished!");
  return true;
}

// Asks the verify page about the earlier import and downloads its result when it is ready.
// FTP errors stay quiet here. A download that fails keeps the journal: the result is still
// on the service, and the next SYNC fetches it again.
std::optional<std::string> SyncRun::FetchInterruptedResult(const SyncJournal& journal) {
  ftpMode_ = FtpMode::Quiet;
  bool ready = false;
  // The import may still be running when the interrupted run is restarted at once.
  for (int poll = 0; !ready && poll < kInterruptedPolls; ++poll) {
    if (poll > 0) PumpUntil(parts_.clock() + kInterruptedPause);
    reply_ = "0";
    Ask(VerifyUrl(parts_.service, journal.csvName), "GET", 3);
    parts_.itc2.Cancel();
    try {
      ready = ResultReady(reply_);
    } catch (const ReplyError&) {
      break;
    }
  }
  if (!ready) {
    return "the service has no result for the interrupted sync of " + journal.time + " (" +
           journal.resultName + " gone or not ready" +
           (replied_ ? "" : "; " + NoReplyCause("verify")) + ")";
  }
  Reach(SyncStep::ResultReady);
  const fs::path downloaded = LocalResultPath(parts_.programFolder, journal.csvName);
  platform::RemoveQuietly(parts_.files, downloaded);
  Status(StatusLine::Download, "Downloading the interrupted sync's result...");
  const bool clean = RunFtp(DownloadCommand(journal.csvName, platform::Utf8FromPath(downloaded)),
                            "the download of " + journal.resultName, 4);
  parts_.itc.Cancel();
  if (!clean || !parts_.files.Exists(downloaded)) {
    Status(StatusLine::Download, "Download error, check your connection and try again!");
    InterruptedFailed(clean ? "the download of " + journal.resultName + " left no file"
                            : FtpCause());
  }
  try {
    HoldResult(downloaded);
  } catch (const std::exception& e) {
    InterruptedFailed(CauseOf(e));
  }
  Status(StatusLine::Download, "Data received!");
  return std::nullopt;
}

// A result refused for what it holds will never do, and the user decides; a failure of the
// address file itself keeps everything for the next try.
std::optional<std::string> SyncRun::WriteBackInterrupted(const SyncJournal& journal,
                                                         const std::string& datPath) {
  Status(StatusLine::AddressFile, "Rewriting DAT File for the interrupted sync... Wait a momment!");
  const fs::path held = HeldResultPath(journal.datPath);
  try {
    ReadResultFile(held, journal.lines);
  } catch (const std::exception& e) {
    if (!Foreseen(e)) InterruptedFailed(CauseOf(e));
    return "the result of the interrupted sync of " + journal.time + " cannot be used: " + e.what();
  }
  const std::unordered_set<std::int32_t> ids(journal.exportedIds.begin(),
                                             journal.exportedIds.end());
  try {
    platform::FileReplacement replacement(*lock_, parts_.backups);
    recordsUpdated_ =
        WriteBackInto(replacement, parts_.datReader,
                      WriteBackJob{held, journal.lines, platform::PathFromText(datPath), ids});
  } catch (const std::exception& e) {
    InterruptedFailed(CauseOf(e));
  }
  Reach(SyncStep::WrittenBack);
  return std::nullopt;
}

// The identifiers are in the file: the service's copy goes. A refused delete keeps the
// journal, whose claim lets the new run's check for an earlier result delete it.
bool SyncRun::DeleteInterruptedResult(const SyncJournal& journal) {
  ftpMode_ = FtpMode::Quiet;
  const bool deleted =
      RunFtp(DeleteCommand(journal.csvName), "the delete of " + journal.resultName, 4);
  parts_.itc.Cancel();
  if (!deleted) {
    host_.LogStep(FtpCause() + "; tried again before the import");
    return false;
  }
  Reach(SyncStep::ResultDeleted);
  return true;
}

// The interrupted run cannot be finished now: the user is told and decides. Going on drops
// the journal; stopping keeps it for the next try.
bool SyncRun::GoOnWithout(const std::string& cause, const std::string& datKey,
                          const SyncJournal* journal) {
  Status(StatusLine::Import, "Error... The interrupted sync could not be finished!");
  const std::string contacts =
      journal ? std::to_string(journal->exportedIds.size()) + " contact(s)" : "contacts";
  const auto answer = parts_.messageBox.Show(
      "An earlier sync of " + (journal ? journal->datPath : datKey) +
          " was interrupted after its " + contacts +
          " were sent, and it could not be finished now (its result is gone, not ready or "
          "unusable, or its journal is damaged). Those " + contacts +
          " may already be in the service, and sending them again may add them a second "
          "time.\n\nGo on with a new sync anyway? Answer No to try again later.",
      kResumeTitle, platform::MsgButtons::YesNo, platform::MsgIcon::None,
      host_.FailureDetails(cause));
  if (answer == platform::MsgAnswer::Yes) {
    host_.Diagnose(cause);
    // The user gives that run up: its result, should the service hold one, is of no use and
    // must not stand in the new run's way.
    if (journal) DeleteInterruptedResult(*journal);
    DropJournal(datKey);
    Status(StatusLine::Import, "Going on without the interrupted sync...");
    return true;
  }
  host_.ControlsOn();
  host_.EnableSync(true);
  throw RunEnd{RunEnding::Declined, cause};
}

// The interrupted run could not be finished for a reason that may pass (the connection, the
// address file): everything stays for the next SYNC, and nothing new is sent meanwhile.
void SyncRun::InterruptedFailed(const std::string& cause) {
  Status(StatusLine::Import, "Error... The interrupted sync could not be finished!");
  host_.ControlsOn();
  host_.EnableSync(true);
  throw RunEnd{RunEnding::Failed, cause};
}

}  // namespace brindle
