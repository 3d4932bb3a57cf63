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
#include "sync/service_protocol.h"
#include "sync/service_reply.h"
#include "window/frm_brindle.h"
#include "window/run_guards.h"

namespace brindle {

namespace fs = std::filesystem;

std::string FrmBrindle::JournalKey(const std::string& datText) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(platform::PathFromText(datText), ec);
  return ec ? datText : platform::TextFromPath(absolute.lexically_normal());
}

fs::path FrmBrindle::JournalPath(const std::string& datKey) const {
  return ProgramFile(JournalFileName(datKey));
}

fs::path FrmBrindle::HeldResultPath(const std::string& datKey) const {
  return ProgramFile(HeldResultFileName(datKey));
}

void FrmBrindle::SaveJournal(const SyncJournal& journal) {
  files.WritePrivateFile(JournalPath(journal.datPath), FormatJournal(journal));
}

void FrmBrindle::DropJournal(const std::string& datKey) {
  // The journal goes first: a journal without its held result asks the service again, while a
  // held result without a journal is never used.
  platform::RemoveQuietly(files, JournalPath(datKey));
  platform::RemoveQuietly(files, HeldResultPath(datKey));
  journal_.reset();
}

// Called once the export is on the service. False when the journal cannot be written: the
// run must not ask for an import it could not finish after a crash.
bool FrmBrindle::StartJournal(const std::string& datKey) {
  SyncJournal journal;
  journal.datPath = datKey;
  journal.csvName = varCsv_name;
  journal.resultName = ResultName(varCsv_name);
  journal.lines = intReg_count;
  journal.exportedIds.assign(exportedIds_.begin(), exportedIds_.end());
  std::sort(journal.exportedIds.begin(), journal.exportedIds.end());
  journal.user = txtAuth_login.text();
  journal.time = JournalTimeNow();
  try {
    SaveJournal(journal);
  } catch (const std::exception& e) {
    Diagnose("cannot write the sync journal " + JournalPath(datKey).string() + ": " + e.what());
    lblSRV_Status.SetText("Error... The sync journal could not be written!");
    return false;
  }
  journal_ = journal;
  return true;
}

// Moves the downloaded result beside the journal, out of reach of the exit clean-up, before
// the service's copy is deleted. Returns where the write-back finds the result.
fs::path FrmBrindle::HoldResult(const fs::path& downloaded) {
  if (!journal_ || !files.Exists(downloaded)) return downloaded;
  const fs::path held = HeldResultPath(journal_->datPath);
  files.Rename(downloaded, held);
  journal_->resultHeld = true;
  SaveJournal(*journal_);
  return held;
}

// A result the write-back refuses for what it holds will never do: the journal goes, so that
// later runs are not stopped by it, and the result goes back to where the exit clean-up finds
// it. Failures of the address file itself keep the journal for the next try.
void FrmBrindle::RequireUsableResult(const fs::path& result, const fs::path& downloaded) {
  try {
    ReadResultFile(result, intReg_count);
  } catch (const std::exception&) {
    if (journal_ && journal_->resultHeld) {
      try {
        files.Rename(result, downloaded);
      } catch (const std::exception&) {
      }
    }
    if (journal_) DropJournal(journal_->datPath);
    throw;
  }
}

// Finishes the run the journal of this file tells of, if there is one. True when the new run
// may go on; false when the user chose to stop, the window state then given back.
bool FrmBrindle::ResumeInterrupted(const std::string& datKey) {
  if (!files.Exists(JournalPath(datKey))) return true;
  RunFlag running(syncRunning_);
  try {
    SyncJournal journal = ParseJournal(files.ReadFile(JournalPath(datKey)));
    if (journal.datPath != datKey) {
      throw JournalError("the sync journal " + JournalPath(datKey).string() + " is of " +
                         journal.datPath);
    }
    lblSRV_Status.SetText("Finishing the interrupted sync... Wait a moment!");
    if (!journal.resultHeld && !FetchInterruptedResult(journal, datKey)) {
      return GoOnWithout("the service has no result for the interrupted sync of " + journal.time +
                             " (" + journal.resultName + " gone or not ready)",
                         datKey);
    }
    lblDAT_Status.SetText("Rewriting DAT File for the interrupted sync... Wait a momment!");
    const std::unordered_set<std::int32_t> ids(journal.exportedIds.begin(),
                                               journal.exportedIds.end());
    const int updated =
        RecDat(datReader, WriteBackJob{HeldResultPath(datKey), journal.lines,
                                       platform::PathFromText(strDat_path), ids, &backups_});
    // Already gone when the interrupted run got that far; the quiet mode keeps that unseen.
    varFtp_mode.clear();
    ITC.ExecuteCommand(DeleteCommand(journal.csvName));
    WaitUntilFree(&FrmBrindle::ITC_Free, 4);
    ITC.Cancel();
    DropJournal(datKey);
    lblSRV_Status.SetText("Interrupted sync finished!");
    lblDAT_Status.SetText("Interrupted sync: " + std::to_string(updated) + " record(s) updated!");
    return true;
  } catch (const RunClosed&) {
    ITC.Cancel();
    ITC2.Cancel();
    return false;
  } catch (const std::exception& e) {
    return GoOnWithout(e.what(), datKey);
  }
}

// Asks the verify page about the earlier import and downloads its result when it is ready.
// FTP errors stay quiet here: a missing download is judged by the file that did not arrive.
bool FrmBrindle::FetchInterruptedResult(SyncJournal& journal, const std::string& datKey) {
  varFtp_mode.clear();
  varSrv_reply = "0";
  ITC2.Execute(VerifyUrl(service, journal.csvName), "GET");
  WaitUntilFree(&FrmBrindle::ITC2_Free, 3);
  ITC2.Cancel();
  bool ready = false;
  try {
    ready = ResultReady(varSrv_reply);
  } catch (const ReplyError&) {
  }
  if (!ready) return false;
  const fs::path downloaded = TmpFile(journal.resultName);
  platform::RemoveQuietly(files, downloaded);
  lblDOWN_Status.SetText("Downloading the interrupted sync's result...");
  ITC.ExecuteCommand(DownloadCommand(journal.csvName, downloaded.string()));
  WaitUntilFree(&FrmBrindle::ITC_Free, 4);
  ITC.Cancel();
  if (!files.Exists(downloaded)) return false;
  files.Rename(downloaded, HeldResultPath(datKey));
  journal.resultHeld = true;
  SaveJournal(journal);
  lblDOWN_Status.SetText("Data received!");
  return true;
}

// The interrupted run cannot be finished now: the user is told and decides. Going on drops
// the journal; stopping keeps it for the next try.
bool FrmBrindle::GoOnWithout(const std::string& cause, const std::string& datKey) {
  Diagnose(cause);
  lblSRV_Status.SetText("Error... The interrupted sync could not be finished!");
  const auto answer = messageBox.Show(
      "An earlier sync of this file was interrupted after its contacts were sent, and it could "
      "not be finished now (its result is gone or not ready on the service, or its journal is "
      "damaged). Contacts from that run may already be in the service, and sending them again "
      "may add them a second time.\n\nGo on with a new sync anyway? Answer No to try again "
      "later.",
      kResumeTitle, platform::MsgButtons::YesNo, platform::MsgIcon::None);
  if (answer == platform::MsgAnswer::Yes) {
    DropJournal(datKey);
    lblSRV_Status.SetText("Going on without the interrupted sync...");
    return true;
  }
  SetOn();
  btnExt_export.SetEnabled(true);
  return false;
}

}  // namespace brindle
