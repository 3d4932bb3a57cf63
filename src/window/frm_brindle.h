// The main window as a model: every control's state, the run-time members the procedures
// share, and every event handler and procedure of the window, all private. A view (the Qt
// window, the scenario driver, brindle-cli sync) reads the controls' state by name, follows
// it through the change listener and delivers user events by control name through one table
// (user_events.cpp); the model reaches the platform only through the injected interfaces.
//
// Texts are Windows-1252 bytes, as the address file and the configuration file hold them.
// File names coming from the platform (the dialog) are UTF-8 and are converted on the way in.
//
// Errors: the window throws none of its own. The procedure that started the work catches what
// the layers below throw (FileError, DatError, JournalError, ...) and turns it into the
// window's texts and a cause in plain words: the diagnostic (AddDiagnosticListener), the
// details of the message box the failure shows, and the cause of the status line it writes
// (Control::cause).
//
// Binding a view:
//  - Construct, then run Form_Load once: it shows the warning window and sets everything up.
//  - AddChangeListener is called after every change with a control's name, names::frmBrindle
//    (height, shown), names::Form1 (shown) or names::focus; read the state back by name.
//  - Windowing::Repaint(name) asks for a control to be painted at once: a load blocks the
//    window thread right after it.
//  - Deliver user events: clicks to Click (it runs the handler only when Reachable), typing
//    to Type, a click on a list entry to ClickListEntry then MouseUp, a key released over the
//    list to KeyUp, focus changes to SetFocus, the main window becoming the program's active
//    window (when it is shown after the warning, not when the user returns from another
//    program) to Form_Activate, and the close box to CloseMain.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "address_file/dat_reader.h"
#include "config/config_file.h"
#include "export/record_export.h"
#include "platform/backups.h"
#include "platform/event_pump.h"
#include "platform/file_dialog.h"
#include "platform/file_ops.h"
#include "platform/file_replacement.h"
#include "platform/message_box.h"
#include "platform/transfer_control.h"
#include "platform/windowing.h"
#include "sync/service_config.h"
#include "window/control_names.h"
#include "window/controls.h"
#include "window/form1.h"
#include "window/run_log.h"
#include "window/sync_run/sync_run.h"

namespace brindle {

// Everything outside the window it works with. Filled with designated initialisers, so that
// the two transfer controls cannot change places unnoticed.
struct WindowPlatform {
  platform::MessageBox& messageBox;
  platform::FileDialog& fileDialog;
  platform::EventPump& eventPump;
  platform::TransferControl& itc;   // FTP
  platform::TransferControl& itc2;  // HTTP
  platform::Windowing& windowing;
  platform::FileOps& files;
  // What no user arranges: the time the sync run paces its waits by, and where the export
  // run hands its file (empty: to the sync run; the offline scenario driver prints it).
  SyncClock clock = SteadyClock;
  std::function<void(const ExportedFile&)> handOver = nullptr;
};

class FrmBrindle : private ControlObserver, private SyncRunHost {
 public:
  static constexpr const char* kCaption =
      "BRINDLE version 4.c.9 - For Palm Desktop 4.1.4 (new users)";
  // Outer height when created: the 7590 twips of client area plus title bar and borders.
  static constexpr int kCreatedHeight = 7995;

  FrmBrindle(WindowPlatform platform, std::filesystem::path programFolder,
             ServiceConfig service = DefaultServiceConfig());
  FrmBrindle(const FrmBrindle&) = delete;
  FrmBrindle& operator=(const FrmBrindle&) = delete;

  // ---- Reading the windows ----
  // A control of the main window by name (names:: in control_names.h), or nullptr.
  const Control* Find(const std::string& name) const;
  // A control of the main window by name; throws std::invalid_argument for an unknown name.
  const Control& control(const std::string& name) const;
  // The category list (lstCategory).
  const ListControl& categoryList() const { return lstCategory; }
  // Every control of a window in creation order, the main window's frames included. A view
  // connects clicks to its buttons (ControlKind::Button) and typing to its text fields
  // (ControlKind::TextBox); its frames are its panels.
  const std::vector<const Control*>& controls(
      platform::WindowId window = platform::WindowId::Main) const;
  int height() const { return height_; }
  const std::string& focus() const { return focus_; }
  bool shown(platform::WindowId window) const;
  bool ended() const { return ended_; }
  // True when the user could reach the control: its window shown, it and its frame visible,
  // and it enabled.
  bool Reachable(const Control& control) const;
  // The chosen categories, one slot per list position.
  const SelCat& selectedCategories() const { return selectedCategories_; }

  // ---- Listeners and the program's own state ----
  // Called with a control's name, names::frmBrindle, names::Form1 or names::focus whenever
  // that changed.
  void AddChangeListener(std::function<void(const std::string& what)> listener);
  // Called with the technical cause of a failure (a file error, a refused result file, ...)
  // whose window text stays the general one.
  void AddDiagnosticListener(std::function<void(const std::string& cause)> listener);
  // How the last press of "SYNC" ended: a failure of the export before any transfer, or the
  // sync run's own outcome (the records updated among it).
  const SyncOutcome& lastRun() const { return lastRun_; }
  // The program folder's "Brindle.log", a few lines per sync run.
  const RunLog& runLog() const { return runLog_; }

  // ---- User events, by control name (user_events.cpp) ----
  // A click on a button of either window: runs its handler when the user could reach it, and
  // says whether it ran. Throws std::invalid_argument for a name that is no button.
  bool Click(const std::string& name);
  // Typing `text` (Windows-1252) into a text field: sets the text and runs its key-press
  // handler. Throws std::invalid_argument for a name that is no text field.
  void Type(const std::string& name, const std::string& text);
  // Moves the keyboard focus, running the lost-focus handler of the control that had it.
  // A control that is hidden or disabled cannot take it: the focus stays and false returns.
  bool SetFocus(const std::string& name);
  // A click on an entry of the category list: selects or unselects it and makes it current.
  // The view then delivers the mouse-up.
  void ClickListEntry(int index, bool selected);
  // A mouse button or a key released over a control. Throws std::invalid_argument for a
  // control that has no such handler.
  void MouseUp(const std::string& name);
  void KeyUp(const std::string& name);
  // The close box: unloads the main window (Form_Unload), then ends the program.
  void CloseMain();
  // Start-up: shows the warning window and sets everything up. Run once, after construction.
  void Form_Load();
  // The main window became the program's active window (shown after the warning, not the
  // user returning from another program).
  void Form_Activate();

 private:
  friend class Form1;  // its buttons close it and show or close the main window
  struct UserEvent;
  static const std::vector<UserEvent>& UserEvents();
  static const UserEvent* FindEvent(const std::string& name);

  // ---- The window's event handlers, by the names its description gives them; the user
  // reaches them through the user events above ----
  void btnFile_Click();
  void btnLoad_Click();
  void btnExt_markall_Click();
  void btnConfig_Click();
  void btnExit_Click();
  void btnExit2_Click();
  void btnExt_export_Click();
  void txtAuth_login_KeyPress();
  void txtAuth_pass_KeyPress();
  void txtFile_LostFocus();
  void txtAuth_login_LostFocus();
  void txtAuth_pass_LostFocus();
  void lstCategory_KeyUp();
  void lstCategory_MouseUp();

  // ---- Windows ----
  void Form_Unload();  // run by CloseMain
  void ShowMain();
  void HideMain();
  void ShowForm1();
  void CloseForm1();
  void SetHeight(int twips);

  // ---- Focus and typing ----
  bool SetFocus(const Control& control);
  void LostFocus(const std::string& name);
  std::string FirstFocusable() const;

  // ---- Control-state procedures ----
  void SetOn();
  void SetOff();
  void Clear_Status();
  void ShortLayout();
  void FullLayoutAtStart();

  // ---- Configuration ----
  void WriteCache(const std::string& LineDescr, const std::string& LineContent);
  void UpdateSyncButton();

  // ---- Address-file loading and the category selection ----
  void FileLoad();
  void txtFile_Change();
  void LoadCategories();
  void PreselectSaved(int position, std::int32_t number, bool& unfiled);
  void LoadFailed(const std::string& cause);
  void SwapAfterLoad(platform::FileReplacement& replacement);
  void Recalculation();

  // ---- The export run and the hand-over ----
  std::filesystem::path TmpFile(const std::string& name) const;  // the tmp folder + name
  std::filesystem::path CsvResultPath() const;  // csvPath_ + ".out": the result file
  void ExportFailed(const char* text, const std::exception& error);
  void CopySavedSelection();
  void HandOver(const platform::FileLock& lock);
  void RunExport();

  void ControlChanged(const Control& control) override;
  void Notify(const std::string& what);
  void Repaint(const Control& control);

  // What the sync run reaches of the window (SyncRunHost, sync_run_host.cpp).
  void SetStatus(StatusLine line, const std::string& text) override;
  void ControlsOn() override;
  void EnableSync(bool enabled) override;
  void ShowFinished() override;
  void FocusLogin() override;
  std::string Login() const override;
  std::string Password() const override;
  void Diagnose(const std::string& cause) override;
  std::string FailureDetails(const std::string& cause) const override;
  void LogStep(const std::string& step) override;
  bool WindowClosed() const override;
  Control& StatusControl(StatusLine line);
  void Report(const std::string& cause);  // to the diagnostic listeners
  void BeginRunLog();
  void LogStatus(const std::string& what);
  void EndRunLog();

  // ---- Controls, by panel ----
  Control frFile, Label1, txtFile, btnFile, btnLoad;
  Control frInformation, lblRegister, lblNum_reg, Label2, lblCategory, lblNum_cat, lblStatus_File;
  Control frExport, lblExt_cat;
  ListControl lstCategory;
  Control btnExt_markall, lblExt_selected, lblExt_num_selected;
  Control frConfig, btnConfig, btnExit;
  Control frAuth, lblAuth_name, txtAuth_login, lblAuth_pass, txtAuth_pass;
  Control frStatus, lblWarning, btnExt_export, btnExit2;
  Control lslStatus_CSV, lblCSV_Status, lblStatus_Auth, lblAuth_Status, lblStatus_UP, lblUP_Status;
  Control lblStatus_Srv, lblSRV_Status, lblStatus_DOWN, lblDOWN_Status, lblStatus_DAT,
      lblDAT_Status;

  Form1 form1;

  // ---- Members shared between the procedures ----
  std::string datPath_;                       // address file being worked on
  SelCat selectedCategories_;                 // chosen categories, one slot per list position
  std::vector<std::string> savedCategories_;  // category numbers saved in the configuration
  bool markAll_ = false;                      // true: "Mark All" unmarks next
  std::string csvName_;                       // bare name of the export file
  // Full path of the export file. A path, never a Windows-1252 text: the program folder may
  // hold characters that the code page cannot.
  std::filesystem::path csvPath_;
  std::int16_t recordsExported_ = 0;  // lines written by the last export

  // ---- Platform ----
  platform::EventPump& eventPump;
  platform::MessageBox& messageBox;
  platform::FileOps& files;
  DatReader datReader;  // the one address-file reader; its state is program-wide
  const ServiceConfig service;

  WindowPlatform platform_;
  std::filesystem::path programFolder_;
  platform::Backups backups_;
  std::filesystem::path loadCopy_;  // a load's copy left by a failed swap; removed at exit
  RunLog runLog_;
  std::map<std::string, std::string> logged_;  // status texts already in the run log
  std::vector<const Control*> controls_;
  std::vector<std::function<void(const std::string&)>> listeners_;
  std::vector<std::function<void(const std::string&)>> diagnosticListeners_;
  Control* lastStatus_ = nullptr;                 // the status line the sync run wrote last
  std::unordered_set<std::int32_t> exportedIds_;  // records of the last export
  SyncOutcome lastRun_;
  ConfigValues saved_;                            // the configuration read at start-up
  int height_ = kCreatedHeight;
  std::string focus_;
  bool mainShown_ = false;
  bool form1Shown_ = false;
  bool form1Loaded_ = true;
  bool ended_ = false;
  SyncRun syncRun_;  // last: it works with the members above
};

}  // namespace brindle
