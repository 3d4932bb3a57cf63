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

#include "address_file/result_file.h"
#include "platform/code_page.h"
#include "platform/program_folder.h"
#include "platform/utf8_path.h"
#include "sync/service_protocol.h"
#include "window/sync_run/failure_cause.h"
#include "window/sync_run/run_guards.h"
#include "window/sync_run/write_back.h"

namespace brindle {

namespace {

// Between two verify requests, so that a slow import is not met with a flood of requests.
constexpr std::chrono::seconds kVerifyPause{1};

// The service's replies are short numbers; anything else is cut, so that a misbehaving server
// cannot fill the log.
std::string ShortReply(const std::string& reply) {
  std::string shown = reply.substr(0, 40);
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) c = '?';
  }
  return shown;
}

}  // namespace

SyncRun::SyncRun(SyncRunParts parts, SyncRunHost& host) : parts_(std::move(parts)), host_(host) {
  parts_.itc.OnStateChanged([this](platform::TransferState state) { ITC_StateChanged(state); });
  parts_.itc2.OnStateChanged([this](platform::TransferState state) { ITC2_StateChanged(state); });
}

std::filesystem::path LocalResultPath(const std::filesystem::path& programFolder,
                                      std::string_view csvName) {
  return platform::TmpFolder(programFolder) / ResultName(csvName);
}

std::filesystem::path SyncRun::TmpFile(const std::string& name) const {
  return platform::TmpFolder(parts_.programFolder) / name;
}

void SyncRun::PumpTimes(int k) {
  for (int i = 0; i < k; ++i) {
    parts_.eventPump.DoEvents();
    if (host_.WindowClosed()) throw RunEnd{RunEnding::WindowClosed, "the window was closed"};
  }
}

void SyncRun::WaitUntilFree(bool (SyncRun::*isFree)() const, int k) {
  while (!(this->*isFree)()) PumpTimes(k);
}

void SyncRun::WaitWhileBusy(platform::TransferControl& control, int k) {
  while (control.StillExecuting()) PumpTimes(k);
}

void SyncRun::PumpUntil(std::chrono::steady_clock::time_point deadline) {
  while (parts_.clock() < deadline) PumpTimes(1);
}

void SyncRun::SendFile(const ExportedFile& exported, const platform::FileLock& lock) {
  RunFlag running(running_);
  lock_ = &lock;
  // The write-back goes to the file this run exported, even if a load changes the path while
  // an FTP error has the controls enabled.
  exported_ = exported;
  journal_.reset();
  step_ = SyncStep::None;
  recordsUpdated_ = 0;
  try {
    Authenticate();
    ClearStaleResult();
    UploadExport();
    RequestImport();
    AwaitResult();
    WriteBack(DownloadResult());
    DeleteResult();
    Finish();
  } catch (const RunEnd& end) {
    Ended(end.ending, end.cause);
  }
}

void SyncRun::Unload() {
  parts_.itc.Cancel();
  // A run in progress ends with the window (its waits see the window gone); its web request
  // goes with it.
  if (running_) parts_.itc2.Cancel();
}

void SyncRun::Ask(const std::string& url, const char* operation, int k) {
  replied_ = false;
  httpError_.reset();
  httpCause_.reset();
  parts_.itc2.Execute(url, operation);
  WaitUntilFree(&SyncRun::ITC2_Free, k);
}

// Why the last request has no reply; causes name the page or the host, never the address,
// whose query holds the password on the authentication page.
std::string SyncRun::NoReplyCause(const char* page) const {
  return httpCause_.value_or("the " + std::string(page) + " page at " + parts_.service.webHost +
                             " gave no reply");
}

// The log keeps the control's own words where the cause puts them in plain ones.
void SyncRun::LogReply(const char* page) {
  if (replied_) {
    host_.LogStep(std::string(page) + " page replied \"" + ShortReply(reply_) + "\"");
  } else if (httpError_) {
    host_.LogStep("nothing answered from the " + std::string(page) + " page at " +
                  parts_.service.webHost + ": " + *httpError_);
  } else {
    host_.LogStep(NoReplyCause(page));
  }
}

bool SyncRun::RunFtp(const std::string& command, const std::string& what, int k) {
  ftpError_.reset();
  ftpWhat_ = what;
  parts_.itc.ExecuteCommand(command);
  WaitUntilFree(&SyncRun::ITC_Free, k);
  return !ftpError_;
}

std::string SyncRun::FtpCause() const {
  return ftpWhat_ + " failed: " + ftpError_.value_or("no reply");
}

// Sends the login and judges the reply; no reply reads as a refusal.
void SyncRun::Authenticate() {
  Status(StatusLine::Authentication, "Verifying the Authentication...");
  reply_ = "2";
  Ask(AuthUrl(parts_.service, host_.Login(), host_.Password()), "", 8);
  LogReply("authentication");
  AuthVerdict verdict = AuthVerdict::Other;
  try {
    verdict = JudgeAuthReply(reply_);
  } catch (const ReplyError& e) {
    ReplyUnreadable("authentication", e);
  }
  switch (verdict) {
    case AuthVerdict::Rejected:
      Status(StatusLine::Authentication,
             "Error... You have to enter with a valid USERNAME/PASSWORD!");
      SyncFailed();
      // Without a reply the window's text blames the password all the same; the cause says
      // that it was never checked.
      if (!replied_) {
        throw RunEnd{RunEnding::Failed, NoReplyCause("authentication") +
                                            "; the user name and password were not checked"};
      }
      throw RunEnd{RunEnding::Failed, "the service refused the user name or password"};
    case AuthVerdict::NoPalmLevel:
      Status(StatusLine::Authentication,
             "Error... You have to enter with a USERNAME with PALM Level!");
      SyncFailed();
      throw RunEnd{RunEnding::Failed, "the account " + host_.Login() + " lacks the PALM level"};
    case AuthVerdict::Accepted:
      Status(StatusLine::Authentication, "Authentication OK...");
      break;
    case AuthVerdict::Other:
      break;
  }
  Reach(SyncStep::Authenticated);
}

// The service names a result by the export's record count, so a result an earlier run left
// there would pass for this run's: a result is taken as this run's only when this run asked
// for it. One that this file's journal says is written back is deleted; any other is left
// alone, and the run stops before anything of it is sent.
void SyncRun::ClearStaleResult() {
  const std::string datKey = JournalKey(exported_.datPath);
  const bool ownJournal = parts_.files.Exists(JournalPath(datKey));
  if (!ResultWaits()) {
    // Kept only for a delete the service refused; the result is gone now.
    if (ownJournal) DropJournal(datKey);
    return;
  }
  const std::string result = ResultName(exported_.csvName);
  const std::optional<SyncJournal> claim = JournalClaiming(result);
  if (!claim) {
    StaleResultFailed("a result " + result + " waits on the service that no sync from this " +
                      "program folder asked for (another computer or user with as many " +
                      "records?); it is left alone, and this run stops so as not to take it " +
                      "for its own");
  }
  if (claim->datPath != datKey || claim->step < SyncStep::WrittenBack) {
    StaleResultFailed("the result " + result + " waiting on the service belongs to the " +
                      "unfinished sync of " + claim->datPath + "; SYNC that file first");
  }
  host_.LogStep("the result " + result + " of an earlier run is still on the service; deleting it");
  ftpMode_ = FtpMode::Quiet;
  const bool deleted = RunFtp(DeleteCommand(exported_.csvName), "the delete of " + result, 4);
  parts_.itc.Cancel();
  if (!deleted || ResultWaits()) {
    StaleResultFailed("the result " + result + " of an earlier run is on the service and " +
                      "could not be deleted" + (deleted ? "" : " (" + FtpCause() + ")"));
  }
  DropJournal(datKey);
}

void SyncRun::StaleResultFailed(const std::string& cause) {
  Status(StatusLine::Export, kOutputProblem);
  SyncFailed();
  throw RunEnd{RunEnding::Failed, cause};
}

// Asks the verify page whether a result of this run's name is on the service now. Without an
// answer the run cannot know, and ends before anything is sent.
bool SyncRun::ResultWaits() {
  Ask(VerifyUrl(parts_.service, exported_.csvName), "GET", 3);
  parts_.itc2.Cancel();
  if (!replied_) {
    Status(StatusLine::Export, kOutputProblem);
    SyncFailed();
    throw RunEnd{RunEnding::Failed, NoReplyCause("verify")};
  }
  try {
    return ResultReady(reply_);
  } catch (const ReplyError& e) {
    ReplyUnreadable("verify", e);
  }
}

// Uploads the export file by FTP. A failed upload ends the run: the service must not import
// a file that never arrived, or an older one of the same name.
void SyncRun::UploadExport() {
  parts_.itc2.Cancel();
  StartJournal();
  ftpMode_ = FtpMode::Up;
  WaitWhileBusy(parts_.itc, 3);
  if (!RunFtp(UploadCommand(platform::Utf8FromPath(exported_.csvPath), exported_.csvName),
              "the upload of " + exported_.csvName, 3)) {
    DropJournal(journal_->datPath);  // nothing was imported
    SyncFailed();
    throw RunEnd{RunEnding::Failed, FtpCause()};
  }
}

// The journal says "import requested" before the request goes out: from then on the service
// may hold this run's contacts.
void SyncRun::RequestImport() {
  Status(StatusLine::Import, "Server processing the output file... Wait a moment!");
  Reach(SyncStep::ImportRequested);
  reply_ = "0";  // no reply: the verify page tells
  Ask(ImportUrl(parts_.service, host_.Login(), exported_.csvName), "", 12);
  parts_.itc2.Cancel();
  LogReply("import");
}

// Polls until the service says the result file is ready.
void SyncRun::AwaitResult() {
  auto& http = parts_.itc2;
  try {
    for (bool first = true; !ResultReady(reply_); first = false) {
      if (!first) PumpUntil(parts_.clock() + kVerifyPause);
      Ask(VerifyUrl(parts_.service, exported_.csvName), "GET", 3);
      http.Cancel();
    }
  } catch (const ReplyError& e) {
    ReplyUnreadable("verify", e);
  }
  LogReply("verify");
  Reach(SyncStep::ResultReady);
}

// Downloads the result and holds it beside the journal. Only a transfer that ended without an
// error counts; otherwise the service's copy and the journal stay for another try.
std::filesystem::path SyncRun::DownloadResult() {
  auto& files = parts_.files;
  const auto resultPath = LocalResultPath(parts_.programFolder, exported_.csvName);
  Status(StatusLine::Import, "Output file was processed!");
  ftpMode_ = FtpMode::Down;
  platform::RemoveQuietly(files, exported_.csvPath);
  platform::RemoveQuietly(files, resultPath);
  if (!RunFtp(DownloadCommand(exported_.csvName, platform::Utf8FromPath(resultPath)),
              "the download of " + ResultName(exported_.csvName), 4)) {
    DownloadFailed(FtpCause());
  }
  if (!files.Exists(resultPath)) {
    DownloadFailed("the download of " + ResultName(exported_.csvName) + " left no file");
  }
  try {
    auto held = HoldResult(resultPath);
    parts_.itc.Cancel();
    parts_.itc2.Cancel();
    return held;
  } catch (const std::exception& e) {
    if (!Foreseen(e)) InternalFailure(e);
    DownloadFailed(CauseOf(e));
  }
}

// Has the address file rewritten from the held result. A result refused for what it holds
// stays held, with the journal and the service's copy: the next SYNC asks what to do. So does
// one the address file could not take, and the next SYNC writes it back.
void SyncRun::WriteBack(const std::filesystem::path& held) {
  auto& files = parts_.files;
  const auto datPath = platform::PathFromText(exported_.datPath);
  try {
    Status(StatusLine::AddressFile, "Copying original data... Wait a momment!");
    files.Copy(datPath, TmpFile("address.dat"));
    Status(StatusLine::AddressFile, "Rewriting DAT File... Wait a momment!");
    ReadResultFile(held, exported_.lines);
  } catch (const std::exception& e) {
    if (!Foreseen(e)) InternalFailure(e);
    DownloadFailed(CauseOf(e));
  }
  try {
    platform::FileReplacement replacement(*lock_, parts_.backups);
    recordsUpdated_ =
        WriteBackInto(replacement, parts_.datReader,
                      WriteBackJob{held, exported_.lines, datPath, exported_.recordIds});
  } catch (const std::exception& e) {
    if (!Foreseen(e)) InternalFailure(e);
    // On Windows, Palm Desktop holding the file open is what keeps it from being replaced.
    const std::string advice = AdviceFor(e, "SYNC");
    DownloadFailed(CauseOf(e) +
                   (advice.empty() ? "; close Palm Desktop and press SYNC again" : advice));
  }
  Reach(SyncStep::WrittenBack);
}

// Deletes the service's copy once the identifiers are in the file. A refused delete keeps the
// journal: the next SYNC of this file deletes it.
void SyncRun::DeleteResult() {
  if (!RunFtp(DeleteCommand(exported_.csvName), "the delete of " + ResultName(exported_.csvName),
              4)) {
    host_.LogStep(FtpCause() + "; the next SYNC of this file deletes it");
    parts_.itc.Cancel();
    return;
  }
  parts_.itc.Cancel();
  Reach(SyncStep::ResultDeleted);
  DropJournal(journal_->datPath);
}

void SyncRun::Finish() {
  // A result that names none of the records sent back has done nothing the user asked for.
  if (recordsUpdated_ == 0) {
    DownloadFailed("the result file names none of the " +
                   std::to_string(exported_.recordIds.size()) + " record(s) this run exported");
  }
  auto& files = parts_.files;
  Status(StatusLine::AddressFile, "Subscribring original DAT File... Wait a momment!");
  platform::RemoveQuietly(files, TmpFile("address.dat"));
  platform::RemoveQuietly(files, LocalResultPath(parts_.programFolder, exported_.csvName));
  Status(StatusLine::AddressFile, "Process finished...");
  host_.ControlsOn();
  host_.ShowFinished();
  Ended(RunEnding::Finished, "");
}

// The download-error ending; `cause` says what went wrong, the window only that it did.
void SyncRun::DownloadFailed(const std::string& cause) {
  Status(StatusLine::Download, "Download error, check your connection and try again!");
  Fail(cause);
}

// A programming error: no window text blames the connection or the file for it.
void SyncRun::InternalFailure(const std::exception& error) { Fail(CauseOf(error)); }

void SyncRun::Fail(const std::string& cause) {
  SyncFailed();
  throw RunEnd{RunEnding::Failed, cause};
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
// says that the output file has a problem and the controls come back. The transfers are left
// as they are and a journal already written stays, so that the next run asks the service
// again.
void SyncRun::ReplyUnreadable(const char* page, const ReplyError& error) {
  Status(StatusLine::Export, kOutputProblem);
  host_.ControlsOn();
  throw RunEnd{RunEnding::Failed, "the " + std::string(page) + " page at " +
                                      parts_.service.webHost + " answered \"" +
                                      ShortReply(error.reply()) + "\", which is not a number"};
}

void SyncRun::Ended(RunEnding ending, const std::string& cause) {
  if (ending == RunEnding::WindowClosed) {
    parts_.itc.Cancel();
    parts_.itc2.Cancel();
  }
  if (ending == RunEnding::Finished) step_ = SyncStep::Finished;
  outcome_ = SyncOutcome{ending, step_, cause, recordsUpdated_, std::nullopt};
  if (journal_) outcome_.journalKept = journal_->step;
  if (!cause.empty()) host_.Diagnose(cause);
}

}  // namespace brindle
