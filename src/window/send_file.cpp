// The sync run: authenticate, upload the export file, request the import, poll until the
// result is ready, download and delete the result file, and have the address file rewritten.
//
// Waits let window events run through the event pump, whose every call blocks for a short
// while when nothing happens, so a wait does not spin the processor. A wait ends the run at
// once when the window has been closed meanwhile.
#include <chrono>
#include <exception>
#include <string>

#include "address_file/rec_dat.h"
#include "platform/cp1252.h"
#include "sync/service_protocol.h"
#include "sync/service_reply.h"
#include "window/frm_brindle.h"
#include "window/run_guards.h"

namespace brindle {

namespace {

// Between two verify requests, so that a slow import is not met with a flood of requests.
constexpr std::chrono::seconds kVerifyPause{1};

}  // namespace

void FrmBrindle::PumpTimes(int k) {
  for (int i = 0; i < k; ++i) {
    eventPump.DoEvents();
    if (ended_) throw RunClosed{};
  }
}

void FrmBrindle::WaitUntilFree(bool (FrmBrindle::*isFree)(), int k) {
  while (!(this->*isFree)()) PumpTimes(k);
}

void FrmBrindle::WaitWhileBusy(platform::TransferControl& control, int k) {
  while (control.StillExecuting()) PumpTimes(k);
}

void FrmBrindle::PumpUntil(std::chrono::steady_clock::time_point deadline) {
  while (clock() < deadline) PumpTimes(1);
}

void FrmBrindle::SendFile() {
  RunFlag running(syncRunning_);
  recordsUpdated_ = 0;
  // The write-back goes to the file this run exported, even if a load changes the path while
  // an FTP error has the controls enabled.
  const std::string datPath = strDat_path;
  journal_.reset();
  try {
    if (!Authenticate()) {
      SyncFailed();
      return;
    }
    ftpFailed_ = false;
    UploadExport();
    // From here the service holds the export: a journal lets the next run finish this one.
    if (!ftpFailed_ && !StartJournal(JournalKey(datPath))) {
      SyncFailed();
      return;
    }
    AwaitImport();
    FetchResultAndRewrite(datPath);
  } catch (const RunClosed&) {
    ITC.Cancel();
    ITC2.Cancel();
  }
}

// Sends the login and judges the reply. A reply that is not a number leaves the run as an error.
bool FrmBrindle::Authenticate() {
  lblAuth_Status.SetText("Verifying the Authentication...");
  varSrv_reply = "2";
  ITC2.Execute(AuthUrl(service, txtAuth_login.text(), txtAuth_pass.text()), "");
  WaitUntilFree(&FrmBrindle::ITC2_Free, 8);
  switch (JudgeAuthReply(varSrv_reply)) {
    case AuthVerdict::Rejected:
      lblAuth_Status.SetText("Error... You have to enter with a valid USERNAME/PASSWORD!");
      return false;
    case AuthVerdict::NoPalmLevel:
      lblAuth_Status.SetText("Error... You have to enter with a USERNAME with PALM Level!");
      return false;
    case AuthVerdict::Accepted:
      lblAuth_Status.SetText("Authentication OK...");
      return true;
    case AuthVerdict::Other:
      return true;
  }
  return true;
}

// Uploads the export file by FTP.
void FrmBrindle::UploadExport() {
  ITC2.Cancel();
  varFtp_mode = "UP";
  WaitWhileBusy(ITC, 3);
  ITC.ExecuteCommand(UploadCommand(varCsv_path.string(), varCsv_name));
  WaitUntilFree(&FrmBrindle::ITC_Free, 3);
}

// Requests the import, then polls until the service says the result file is ready.
void FrmBrindle::AwaitImport() {
  lblSRV_Status.SetText("Server processing the output file... Wait a moment!");
  ITC2.Execute(ImportUrl(service, txtAuth_login.text(), varCsv_name), "");
  WaitWhileBusy(ITC2, 12);
  ITC2.Cancel();
  for (bool first = true; !ResultReady(varSrv_reply); first = false) {
    if (!first) PumpUntil(clock() + kVerifyPause);
    ITC2.Execute(VerifyUrl(service, varCsv_name), "GET");
    WaitUntilFree(&FrmBrindle::ITC2_Free, 3);
    ITC2.Cancel();
  }
}

// Downloads and deletes the result file, then has the address file rewritten from it.
void FrmBrindle::FetchResultAndRewrite(const std::string& datPath) {
  const std::string resultName = ResultName(varCsv_name);
  const auto resultPath = TmpFile(resultName);
  lblSRV_Status.SetText("Output file was processed!");
  varFtp_mode = "DOWN";
  platform::RemoveQuietly(files, varCsv_path);
  platform::RemoveQuietly(files, resultPath);
  int updated = 0;
  try {
    ITC.ExecuteCommand(DownloadCommand(varCsv_name, resultPath.string()));
    WaitUntilFree(&FrmBrindle::ITC_Free, 4);
    const auto heldResult = HoldResult(resultPath);
    ITC.ExecuteCommand(DeleteCommand(varCsv_name));
    WaitUntilFree(&FrmBrindle::ITC_Free, 4);
    ITC.Cancel();
    ITC2.Cancel();
    lblDAT_Status.SetText("Copying original data... Wait a momment!");
    files.Copy(platform::PathFromText(datPath), TmpFile("address.dat"));
    lblDAT_Status.SetText("Rewriting DAT File... Wait a momment!");
    RequireUsableResult(heldResult, resultPath);
    updated =
        RecDat(datReader, WriteBackJob{heldResult, intReg_count, platform::PathFromText(datPath),
                                       exportedIds_, &backups_});
  } catch (const std::exception& e) {
    DownloadFailed(e.what());
    return;
  }
  recordsUpdated_ = updated;
  if (journal_) DropJournal(journal_->datPath);  // the run is finished, whatever it updated
  // A result that names none of the records sent back has done nothing the user asked for.
  if (updated == 0) {
    DownloadFailed("the result file names none of the " + std::to_string(exportedIds_.size()) +
                   " record(s) this run exported");
    return;
  }
  lblDAT_Status.SetText("Subscribring original DAT File... Wait a momment!");
  platform::RemoveQuietly(files, TmpFile("address.dat"));
  platform::RemoveQuietly(files, CsvResultPath());
  lblDAT_Status.SetText("Process finished...");
  // The box is disabled for the run and a disabled box cannot take the focus, so the focus
  // moves once SetOn has enabled it again (a hidden box still leaves the focus where it is).
  SetOn();
  SetFocus("txtFile");
  btnExt_export.SetEnabled(false);
  btnExit2.SetVisible(true);
}

// The download-error ending; `cause` says what went wrong, the window only that it did.
void FrmBrindle::DownloadFailed(const std::string& cause) {
  Diagnose(cause);
  lblDOWN_Status.SetText("Download error, check your connection and try again!");
  SyncFailed();
}

// The failure ending.
void FrmBrindle::SyncFailed() {
  ITC.Cancel();
  ITC2.Cancel();
  SetOn();
  SetFocus("txtAuth_login");
  btnExt_export.SetEnabled(true);
}

}  // namespace brindle
