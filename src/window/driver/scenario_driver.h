// Runs the window model headless from a script of user actions, one per line, printing what
// the user would see as JSON Lines: every message box, file dialog and hand-over to the sync
// run, and the whole state on "dump".
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

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
  std::string script;  // path of the script; "" reads stdin
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
  void PrintHandOver();

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

// Options of the drive command that take a value ("--program-folder", ...).
std::set<std::string> DriveValueOptions();

// `brindle-cli drive [--program-folder DIR] [SCRIPT]`. Returns the exit status: 0, or 2 for
// a usage or script error (reported on `err` with the line number).
// `realTransfers` is used when a host option asks for a real sync.
int RunDrive(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err, const std::filesystem::path& defaultProgramFolder,
             DriveTransfers* realTransfers = nullptr);

}  // namespace brindle::drive
