// Runs the window model headless from a script of user actions, one per line, printing what
// the user would see as JSON Lines: every message box, file dialog and hand-over to the sync
// run, and the state on "dump".
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/file_ops.h"
#include "platform/headless/offline_transfers.h"
#include "platform/headless/queued_file_dialog.h"
#include "platform/headless/queued_message_box.h"
#include "platform/headless/recording_windowing.h"
#include "window/frm_brindle.h"

namespace brindle::drive {

// A line the driver cannot run: an unknown command or control, or a bad argument.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Real transfers for sync scenarios. The window library knows no network code, so the
// caller (brindle-cli) supplies them.
struct DriveTransfers {
  platform::TransferControl& itc;   // FTP
  platform::TransferControl& itc2;  // HTTP
  platform::EventPump& eventPump;
};

struct DriveOptions {
  std::filesystem::path programFolder;
  ServiceConfig service = DefaultServiceConfig();
  // Set by --web-host or --ftp-host: "SYNC" then runs the real sync run against that service
  // over `transfers`, instead of printing the hand-over.
  bool syncForReal = false;
  DriveTransfers* transfers = nullptr;
};

class ScenarioDriver {
 public:
  ScenarioDriver(DriveOptions options, std::ostream& out);
  ~ScenarioDriver();

  // Runs one script line. Throws ScriptError for a line it cannot run.
  void RunLine(const std::string& line);
  // True once the program has ended (the main window was closed); later lines are not run.
  bool ended() const;
  FrmBrindle* window() { return window_.get(); }

 private:
  void Start();
  void Click(const std::string& name, const std::string& command);
  void Type(const std::string& rest, const std::string& command);
  void Focus(const std::string& name, const std::string& command);
  void Select(const std::string& args, const std::string& command);
  void ListEvent(bool mouse, const std::string& command);
  bool Deliverable(const Control& control, const std::string& command);
  FrmBrindle& Window();
  void Dump(const std::string& names);
  void PrintHandOver(const ExportedFile& file);

  DriveOptions options_;
  std::ostream& out_;
  platform::QueuedMessageBox messageBox_;
  platform::QueuedFileDialog fileDialog_;
  platform::OfflineTransferControl itc_;
  platform::OfflineTransferControl itc2_;
  platform::IdleEventPump pump_;
  platform::RecordingWindowing windowing_;
  platform::RealFileOps files_;
  std::unique_ptr<FrmBrindle> window_;
  bool activationPending_ = false;
};

// Runs `script` line by line until it ends or the program ends. Returns the exit status: 0,
// or 2 for a line it cannot run (reported on `err` with its line number).
int RunScript(ScenarioDriver& driver, std::istream& script, std::ostream& out, std::ostream& err);

}  // namespace brindle::drive
