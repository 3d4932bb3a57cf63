// The journal that makes an interrupted sync finishable: written once the service holds the
// export, noting when the result is held locally, dropped when the write-back has finished.
// At the next SYNC of the same file an interrupted run is finished before anything new is
// exported, so that its records go out with their identifiers and are not added twice.
#include <algorithm>
#include <string>
#include <system_error>
#include <unordered_set>

#include "address_file/rec_dat.h"
#include "address_file/result_file.h"
#include "platform/cp1252.h"
#include "platform/utf8_path.h"
#include "sync/service_protocol.h"
#include "sync/service_reply.h"
#include "window/sync_run/run_guards.h"
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

// Called once the export is on the service. False when the journal cannot be written: the
// run must not ask for an import it could not finish after a crash.
bool SyncRun::StartJournal(const std::string& datKey) {
  SyncJournal journal;
  journal.datPath = datKey;
  journal.csvName = exported_.csvName;
  journal.resultName = ResultName(exported_.csvName);
  journal.lines = exported_.lines;
  journal.exportedIds.assign(exported_.recordIds.begin(), exported_.recordIds.end());
  std::sort(journal.exportedIds.begin(), journal.exportedIds.end());
  journal.user = host_.Login();
  journal.time = JournalTimeNow();
  try {
    SaveJournal(journal);
  } catch (const std::exception& e) {
    host_.Diagnose("cannot write the sync journal " + JournalPath(datKey).string() + ": " +
                   e.what());
    Status(StatusLine::Import, "Error... The sync journal could not be written!");
    return false;
  }
  journal_ = journal;
  return true;
}

// Moves the downloaded result beside the journal, out of reach of the exit clean-up, before
// the service's copy is deleted. Returns where the write-back finds the result.
fs::path SyncRun::HoldResult(const fs::path& downloaded) {
  if (!journal_ || !parts_.files.Exists(downloaded)) return downloaded;
  fs::path held = HeldResultPath(journal_->datPath);
  parts_.files.Rename(downloaded, held);
  journal_->resultHeld = true;
  SaveJournal(*journal_);
  return held;
}

// A result the write-back refuses for what it holds will never do: the journal goes, so that
// later runs are not stopped by it, and the result goes back to where the exit clean-up finds
// it. Failures of the address file itself keep the journal for the next try.
void SyncRun::RequireUsableResult(const fs::path& result, const fs::path& downloaded) {
  try {
    ReadResultFile(result, exported_.lines);
  } catch (const std::exception&) {
    if (journal_ && journal_->resultHeld) {
      try {
        parts_.files.Rename(result, downloaded);
      } catch (const std::exception&) {
      }
    }
    if (journal_) DropJournal(journal_->datPath);
    throw;
  }
}

// Finishes the run the journal of this file tells of, if there is one. True when the new run
// may go on; false when the user chose to stop, the window state then given back.
bool SyncRun::ResumeInterrupted(const std::string& datPath) {
  const std::string datKey = JournalKey(datPath);
  if (!parts_.files.Exists(JournalPath(datKey))) return true;
  RunFlag running(running_);
  try {
    SyncJournal journal = ParseJournal(parts_.files.ReadFile(JournalPath(datKey)));
    if (journal.datPath != datKey) {
      throw JournalError("the sync journal " + JournalPath(datKey).string() + " is of " +
                         journal.datPath);
    }
    Status(StatusLine::Import, "Finishing the interrupted sync... Wait a moment!");
    if (!journal.resultHeld && !FetchInterruptedResult(journal, datKey)) {
      return GoOnWithout("the service has no result for the interrupted sync of " + journal.time +
                             " (" + journal.resultName + " gone or not ready)",
                         datKey);
    }
    Status(StatusLine::AddressFile,
           "Rewriting DAT File for the interrupted sync... Wait a momment!");
    const std::unordered_set<std::int32_t> ids(journal.exportedIds.begin(),
                                               journal.exportedIds.end());
    const int updated = RecDat(parts_.datReader,
                               WriteBackJob{HeldResultPath(datKey), journal.lines,
                                            platform::PathFromText(datPath), ids, &parts_.backups});
    // Already gone when the interrupted run got that far; the quiet mode keeps that unseen.
    ftpMode_ = FtpMode::Quiet;
    parts_.itc.ExecuteCommand(DeleteCommand(journal.csvName));
    WaitUntilFree(&SyncRun::ITC_Free, 4);
    parts_.itc.Cancel();
    DropJournal(datKey);
    Status(StatusLine::Import, "Interrupted sync finished!");
    Status(StatusLine::AddressFile,
           "Interrupted sync: " + std::to_string(updated) + " record(s) updated!");
    return true;
  } catch (const RunClosed&) {
    parts_.itc.Cancel();
    parts_.itc2.Cancel();
    return false;
  } catch (const std::exception& e) {
    return GoOnWithout(e.what(), datKey);
  }
}

// Asks the verify page about the earlier import and downloads its result when it is ready.
// FTP errors stay quiet here: a missing download is judged by the file that did not arrive.
bool SyncRun::FetchInterruptedResult(SyncJournal& journal, const std::string& datKey) {
  ftpMode_ = FtpMode::Quiet;
  reply_ = "0";
  parts_.itc2.Execute(VerifyUrl(parts_.service, journal.csvName), "GET");
  WaitUntilFree(&SyncRun::ITC2_Free, 3);
  parts_.itc2.Cancel();
  bool ready = false;
  try {
    ready = ResultReady(reply_);
  } catch (const ReplyError&) {
  }
  if (!ready) return false;
  const fs::path downloaded = TmpFile(journal.resultName);
  platform::RemoveQuietly(parts_.files, downloaded);
  Status(StatusLine::Download, "Downloading the interrupted sync's result...");
  parts_.itc.ExecuteCommand(DownloadCommand(journal.csvName, platform::Utf8FromPath(downloaded)));
  WaitUntilFree(&SyncRun::ITC_Free, 4);
  parts_.itc.Cancel();
  if (!parts_.files.Exists(downloaded)) return false;
  parts_.files.Rename(downloaded, HeldResultPath(datKey));
  journal.resultHeld = true;
  SaveJournal(journal);
  Status(StatusLine::Download, "Data received!");
  return true;
}

// The interrupted run cannot be finished now: the user is told and decides. Going on drops
// the journal; stopping keeps it for the next try.
bool SyncRun::GoOnWithout(const std::string& cause, const std::string& datKey) {
  host_.Diagnose(cause);
  Status(StatusLine::Import, "Error... The interrupted sync could not be finished!");
  const auto answer = parts_.messageBox.Show(
      "An earlier sync of this file was interrupted after its contacts were sent, and it could "
      "not be finished now (its result is gone or not ready on the service, or its journal is "
      "damaged). Contacts from that run may already be in the service, and sending them again "
      "may add them a second time.\n\nGo on with a new sync anyway? Answer No to try again "
      "later.",
      kResumeTitle, platform::MsgButtons::YesNo, platform::MsgIcon::None);
  if (answer == platform::MsgAnswer::Yes) {
    DropJournal(datKey);
    Status(StatusLine::Import, "Going on without the interrupted sync...");
    return true;
  }
  host_.ControlsOn();
  host_.EnableSync(true);
  return false;
}

}  // namespace brindle
