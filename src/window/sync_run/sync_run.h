// The sync run behind "SYNC", from the export's hand-over to the write-back, as a sequence of
// steps (SyncStep): authenticate, make sure no earlier result waits under this run's name,
// upload the export file, request the import, poll until the result is ready, download it
// and hold it beside the journal, have the address file rewritten, and only then delete the
// service's copy. From the upload on, a journal names the last step; a step whose effect lies
// outside Brindle is recorded before it is taken. The next SYNC of the same file finishes an
// interrupted run from its journal (sync/recovery.h). It also turns the transfer controls'
// state changes into status lines, and stops its transfers when the window unloads.
//
// Every run ends with an outcome (SyncOutcome). It reaches the window only through SyncRunHost.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "address_file/dat_reader.h"
#include "platform/backups.h"
#include "platform/event_pump.h"
#include "platform/file_lock.h"
#include "platform/file_ops.h"
#include "platform/message_box.h"
#include "platform/transfer_control.h"
#include "sync/journal.h"
#include "sync/service_config.h"
#include "sync/service_reply.h"
#include "window/sync_run/sync_outcome.h"
#include "window/sync_run/sync_run_host.h"

namespace brindle {

// Which status line FTP progress goes to. Quiet: the transfer is the run's own business
// (the finishing of an interrupted run), its progress and errors are not shown.
enum class FtpMode { Quiet, Up, Down };

// What the export run hands over: the export file and what it holds.
struct ExportedFile {
  std::string datPath;  // the address file exported, as the window holds its path
  std::string csvName;  // the export file's bare name, as the service knows it
  std::filesystem::path csvPath;
  std::int16_t lines = 0;
  std::unordered_set<std::int32_t> recordIds;
};

// Where the service's result of the export `csvName` is downloaded to: the program folder's
// tmp, beside the export.
std::filesystem::path LocalResultPath(const std::filesystem::path& programFolder,
                                      std::string_view csvName);

// The time the run paces its verify requests by; tests give their own through the platform.
using SyncClock = std::function<std::chrono::steady_clock::time_point()>;
inline std::chrono::steady_clock::time_point SteadyClock() {
  return std::chrono::steady_clock::now();
}

// Everything outside the window the run works with. Filled with designated initialisers, so
// that the two transfer controls cannot change places unnoticed.
struct SyncRunParts {
  platform::TransferControl& itc;   // FTP
  platform::TransferControl& itc2;  // HTTP
  platform::EventPump& eventPump;
  platform::MessageBox& messageBox;
  platform::FileOps& files;
  platform::Backups& backups;
  DatReader& datReader;  // the program-wide reader; the write-back uses its copy mode
  const ServiceConfig& service;
  std::filesystem::path programFolder;
  SyncClock clock = SteadyClock;
};

class SyncRun {
 public:
  // Title of the question whether to go on when an interrupted sync cannot be finished.
  static constexpr const char* kResumeTitle = "Interrupted sync";
  // The export status line's text when the run cannot go on with what it was given or told.
  static constexpr const char* kOutputProblem =
      "Error... There is some problem with the output file!";

  SyncRun(SyncRunParts parts, SyncRunHost& host);
  SyncRun(const SyncRun&) = delete;
  SyncRun& operator=(const SyncRun&) = delete;

  // The run after a successful export (the window's SendFile); its outcome() says how it
  // ended. `lock` is the exported file's, which the export run holds until the run ends.
  void SendFile(const ExportedFile& exported, const platform::FileLock& lock);
  // Finishes the run the journal of this file tells of, if there is one, writing back into
  // `datPath`, whose lock `lock` is. True when a new run may go on; false when it may not,
  // outcome() saying why.
  bool ResumeInterrupted(const std::string& datPath, const platform::FileLock& lock);
  // The window unloads: FTP stops, and a run in progress loses its web request.
  void Unload();

  // The transfer controls' events.
  void ITC_StateChanged(platform::TransferState state);
  void ITC2_StateChanged(platform::TransferState state);
  bool ITC_Free() const;
  bool ITC2_Free() const;

  // True from the start of a run (or a resume) to its end.
  bool running() const { return running_; }
  // How the last run (or the finishing of an interrupted one) ended.
  const SyncOutcome& outcome() const { return outcome_; }
  // The service's last HTTP reply.
  const std::string& lastReply() const { return reply_; }
  FtpMode ftpMode() const { return ftpMode_; }
  // Sets the status line FTP progress goes to; the run sets it for each transfer itself.
  void SetFtpMode(FtpMode mode) { ftpMode_ = mode; }

 private:
  std::filesystem::path TmpFile(const std::string& name) const;
  void PumpTimes(int k);
  void WaitUntilFree(bool (SyncRun::*isFree)() const, int k);
  void WaitWhileBusy(platform::TransferControl& control, int k);
  void PumpUntil(std::chrono::steady_clock::time_point deadline);
  void Status(StatusLine line, const std::string& text) { host_.SetStatus(line, text); }

  // The requests. Ask sends an HTTP request and waits for its end; RunFtp runs an FTP command
  // (`what`: "the upload of 5_csv.tmp") to its end and is false when it ended in the error
  // state, FtpCause then saying why.
  void Ask(const std::string& url, const char* operation, int k);
  std::string NoReplyCause(const char* page) const;
  void LogReply(const char* page);
  bool RunFtp(const std::string& command, const std::string& what, int k);
  std::string FtpCause() const;

  // The stages (sync_run.cpp), in order. Each returns when the run may go on and throws
  // RunEnd once the window shows the run's ending.
  void Authenticate();
  void ClearStaleResult();
  bool ResultWaits();
  [[noreturn]] void StaleResultFailed(const std::string& cause);
  void UploadExport();
  void RequestImport();
  void AwaitResult();
  std::filesystem::path DownloadResult();
  void WriteBack(const std::filesystem::path& held);
  void DeleteResult();
  void Finish();

  // The endings.
  [[noreturn]] void DownloadFailed(const std::string& cause);
  [[noreturn]] void InternalFailure(const std::exception& error);
  [[noreturn]] void Fail(const std::string& cause);
  [[noreturn]] void ReplyUnreadable(const char* page, const ReplyError& error);
  void SyncFailed();
  void FtpError(StatusLine line);
  void Ended(RunEnding ending, const std::string& cause);

  // The journal (sync_journal.cpp).
  std::filesystem::path JournalPath(const std::string& datKey) const;
  std::filesystem::path HeldResultPath(const std::string& datKey) const;
  void StartJournal();
  std::optional<SyncJournal> JournalClaiming(const std::string& resultName);
  void Reach(SyncStep step);
  std::filesystem::path HoldResult(const std::filesystem::path& downloaded);
  void SaveJournal(const SyncJournal& journal);
  void DropJournal(const std::string& datKey);

  // Finishing an interrupted run (sync_recovery.cpp). The two that can fail for want of a
  // usable result say why; the user then decides (GoOnWithout).
  bool FinishInterrupted(const std::string& datPath, const std::string& datKey);
  std::optional<std::string> FetchInterruptedResult(const SyncJournal& journal);
  std::optional<std::string> WriteBackInterrupted(const SyncJournal& journal,
                                                  const std::string& datPath);
  bool DeleteInterruptedResult(const SyncJournal& journal);
  bool GoOnWithout(const std::string& cause, const std::string& datKey,
                   const SyncJournal* journal);
  [[noreturn]] void InterruptedFailed(const std::string& cause);

  SyncRunParts parts_;
  SyncRunHost& host_;
  ExportedFile exported_;  // this run's export
  const platform::FileLock* lock_ = nullptr;  // the address file's, held by the export run
  std::string reply_;      // last HTTP reply
  bool replied_ = false;   // the last HTTP request got a reply
  // The last request's error, if any: the HTTP control's words (for the run log) and the
  // causes in plain words.
  std::optional<std::string> httpError_, httpCause_, ftpError_;
  std::string ftpWhat_;  // what the last FTP command was to do
  FtpMode ftpMode_ = FtpMode::Quiet;
  bool running_ = false;
  SyncStep step_ = SyncStep::None;      // the last step this run reached
  int recordsUpdated_ = 0;
  std::optional<SyncJournal> journal_;  // this run's journal, once written
  SyncOutcome outcome_;
};

// The key a journal is filed under: the address file's absolute path as text.
std::string JournalKey(const std::string& datText);

}  // namespace brindle
