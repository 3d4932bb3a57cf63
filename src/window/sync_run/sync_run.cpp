// The sync run's stages and endings.
//
// Waits let window events run through the event pump, whose every call blocks for a short
// while when nothing happens, so a wait does not spin the processor. A wait ends the run at
// once when the window has been closed meanwhile.
#include "window/sync_run/sync_run.h"

#include <chrono>
#include <exception>
#include <string>
#include <utility>

#include "address_file/rec_dat.h"
#include "platform/cp1252.h"
#include "platform/utf8_path.h"
#include "sync/service_protocol.h"
#include "sync/service_reply.h"
#include "window/sync_run/run_guards.h"

namespace brindle {

namespace {

// Between two verify requests, so that a slow import is not met with a flood of requests.
constexpr std::chrono::seconds kVerifyPause{1};

}  // namespace

SyncRun::SyncRun(SyncRunParts parts, SyncRunHost& host) : parts_(std::move(parts)), host_(host) {
  parts_.itc.OnStateChanged(
      [this](int state) { ITC_StateChanged(static_cast<TransferStatus>(state)); });
  parts_.itc2.OnStateChanged(
      [this](int state) { ITC2_StateChanged(static_cast<TransferStatus>(state)); });
}

std::filesystem::path SyncRun::TmpFile(const std::string& name) const {
  return parts_.programFolder / "tmp" / name;
}

void SyncRun::PumpTimes(int k) {
  for (int i = 0; i < k; ++i) {
    parts_.eventPump.DoEvents();
    if (host_.WindowClosed()) throw RunClosed{};
  }
}

void SyncRun::WaitUntilFree(bool (SyncRun::*isFree)() const, int k) {
  while (!(this->*isFree)()) PumpTimes(k);
}

void SyncRun::WaitWhileBusy(platform::TransferControl& control, int k) {
  while (control.StillExecuting()) PumpTimes(k);
}

void SyncRun::PumpUntil(std::chrono::steady_clock::time_point deadline) {
  while (clock_() < deadline) PumpTimes(1);
}

void SyncRun::SendFile(const ExportedFile& exported) {
  RunFlag running(running_);
  recordsUpdated_ = 0;
  // The write-back goes to the file this run exported, even if a load changes the path while
  // an FTP error has the controls enabled.
  exported_ = exported;
  journal_.reset();
  try {
    const Outcome login = Authenticate();
    if (login == Outcome::Failed) SyncFailed();
    if (login != Outcome::GoOn) return;
    ftpFailed_ = false;
    UploadExport();
    // From here the service holds the export: a journal lets the next run finish this one.
    if (!ftpFailed_ && !StartJournal(JournalKey(exported_.datPath))) {
      SyncFailed();
      return;
    }
    if (!AwaitImport()) return;
    FetchResultAndRewrite();
  } catch (const RunClosed&) {
    parts_.itc.Cancel();
    parts_.itc2.Cancel();
  }
}

void SyncRun::Unload() {
  parts_.itc.Cancel();
  // A run in progress ends with the window (its waits see the window gone); its web request
  // goes with it.
  if (running_) parts_.itc2.Cancel();
}

// Sends the login and judges the reply. A refused login is left to the caller's failure
// ending; a reply that is not a number has ended the run already.
SyncRun::Outcome SyncRun::Authenticate() {
  Status(StatusLine::Authentication, "Verifying the Authentication...");
  reply_ = "2";
  parts_.itc2.Execute(AuthUrl(parts_.service, host_.Login(), host_.Password()), "");
  WaitUntilFree(&SyncRun::ITC2_Free, 8);
  AuthVerdict verdict = AuthVerdict::Other;
  try {
    verdict = JudgeAuthReply(reply_);
  } catch (const ReplyError& e) {
    ReplyUnreadable(e.what());
    return Outcome::Ended;
  }
  switch (verdict) {
    case AuthVerdict::Rejected:
      Status(StatusLine::Authentication,
             "Error... You have to enter with a valid USERNAME/PASSWORD!");
      return Outcome::Failed;
    case AuthVerdict::NoPalmLevel:
      Status(StatusLine::Authentication,
             "Error... You have to enter with a USERNAME with PALM Level!");
      return Outcome::Failed;
    case AuthVerdict::Accepted:
      Status(StatusLine::Authentication, "Authentication OK...");
      return Outcome::GoOn;
    case AuthVerdict::Other:
      return Outcome::GoOn;
  }
  return Outcome::GoOn;
}

// Uploads the export file by FTP.
void SyncRun::UploadExport() {
  parts_.itc2.Cancel();
  ftpMode_ = FtpMode::Up;
  WaitWhileBusy(parts_.itc, 3);
  parts_.itc.ExecuteCommand(
      UploadCommand(platform::Utf8FromPath(exported_.csvPath), exported_.csvName));
  WaitUntilFree(&SyncRun::ITC_Free, 3);
}

// Requests the import, then polls until the service says the result file is ready. False
// when a reply could not be read: the run has ended.
bool SyncRun::AwaitImport() {
  Status(StatusLine::Import, "Server processing the output file... Wait a moment!");
  auto& http = parts_.itc2;
  http.Execute(ImportUrl(parts_.service, host_.Login(), exported_.csvName), "");
  WaitWhileBusy(http, 12);
  http.Cancel();
  try {
    for (bool first = true; !ResultReady(reply_); first = false) {
      if (!first) PumpUntil(clock_() + kVerifyPause);
      http.Execute(VerifyUrl(parts_.service, exported_.csvName), "GET");
      WaitUntilFree(&SyncRun::ITC2_Free, 3);
      http.Cancel();
    }
  } catch (const ReplyError& e) {
    ReplyUnreadable(e.what());
    return false;
  }
  return true;
}

// Downloads and deletes the result file, then has the address file rewritten from it.
void SyncRun::FetchResultAndRewrite() {
  auto& ftp = parts_.itc;
  auto& files = parts_.files;
  const std::string resultName = ResultName(exported_.csvName);
  const auto resultPath = TmpFile(resultName);
  const auto datPath = platform::PathFromText(exported_.datPath);
  Status(StatusLine::Import, "Output file was processed!");
  ftpMode_ = FtpMode::Down;
  platform::RemoveQuietly(files, exported_.csvPath);
  platform::RemoveQuietly(files, resultPath);
  int updated = 0;
  try {
    ftp.ExecuteCommand(DownloadCommand(exported_.csvName, platform::Utf8FromPath(resultPath)));
    WaitUntilFree(&SyncRun::ITC_Free, 4);
    const auto heldResult = HoldResult(resultPath);
    ftp.ExecuteCommand(DeleteCommand(exported_.csvName));
    WaitUntilFree(&SyncRun::ITC_Free, 4);
    ftp.Cancel();
    parts_.itc2.Cancel();
    Status(StatusLine::AddressFile, "Copying original data... Wait a momment!");
    files.Copy(datPath, TmpFile("address.dat"));
    Status(StatusLine::AddressFile, "Rewriting DAT File... Wait a momment!");
    RequireUsableResult(heldResult, resultPath);
    updated = RecDat(parts_.datReader, WriteBackJob{heldResult, exported_.lines, datPath,
                                                    exported_.recordIds, &parts_.backups});
  } catch (const std::exception& e) {
    DownloadFailed(e.what());
    return;
  }
  recordsUpdated_ = updated;
  if (journal_) DropJournal(journal_->datPath);  // the run is finished, whatever it updated
  // A result that names none of the records sent back has done nothing the user asked for.
  if (updated == 0) {
    DownloadFailed("the result file names none of the " +
                   std::to_string(exported_.recordIds.size()) + " record(s) this run exported");
    return;
  }
  Status(StatusLine::AddressFile, "Subscribring original DAT File... Wait a momment!");
  platform::RemoveQuietly(files, TmpFile("address.dat"));
  std::filesystem::path csvResult = exported_.csvPath;
  csvResult += ".out";
  platform::RemoveQuietly(files, csvResult);
  Status(StatusLine::AddressFile, "Process finished...");
  host_.ControlsOn();
  host_.ShowFinished();
}

// The download-error ending; `cause` says what went wrong, the window only that it did.
void SyncRun::DownloadFailed(const std::string& cause) {
  host_.Diagnose(cause);
  Status(StatusLine::Download, "Download error, check your connection and try again!");
  SyncFailed();
}

// The failure ending.
void SyncRun::SyncFailed() {
  parts_.itc.Cancel();
  parts_.itc2.Cancel();
  host_.ControlsOn();
  host_.FocusLogin();
  host_.EnableSync(true);
}

// The ending when the service's reply is not one the run can read: the export status line
// says that the output file has a problem, the cause goes to the diagnostics, and the
// controls come back. The transfers are left as they are and a journal already written
// stays, so that the next run asks the service again.
void SyncRun::ReplyUnreadable(const std::string& cause) {
  host_.Diagnose(cause);
  Status(StatusLine::Export, kOutputProblem);
  host_.ControlsOn();
}

}  // namespace brindle
