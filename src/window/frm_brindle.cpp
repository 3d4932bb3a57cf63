// Creation of the main window's controls, the registry a view uses to find them, window
// visibility and the change notification.
#include "window/frm_brindle.h"

#include <stdexcept>
#include <utility>

#include "platform/program_folder.h"

namespace brindle {

namespace {

using K = ControlKind;

Control::Init Make(const char* name, ControlKind kind, const char* panel, const char* text,
                   bool enabled = true, bool visible = true) {
  return {name, kind, panel, text, enabled, visible, 0};
}

Control::Init Frame(const char* name, const char* caption, int top, bool visible) {
  return {name, K::Frame, "", caption, true, visible, top};
}

constexpr const char* kNewUsersNote =
    "This program is for new users of Palm Desktop 4.1.4. Synchronizing with handheld device "
    "is not required. Users who upgraded from a previous version of Palm Desktop or who "
    "synchronize with older handhelds should use BRINDLE version 4.c.4.";

constexpr const char* kWarning =
    "Click SYNC to sync now. However, you must close Palm Desktop first or you will lose your "
    "data.";

}  // namespace

FrmBrindle::FrmBrindle(WindowPlatform platform, std::filesystem::path programFolder,
                       ServiceConfig serviceConfig)
    : frFile(*this, Frame(names::frFile, "Palm Desktop address.dat Path:", 0, false)),
      Label1(*this, Make(names::Label1, K::Label, names::frFile, kNewUsersNote)),
      txtFile(*this, Make(names::txtFile, K::TextBox, names::frFile, "")),
      btnFile(*this, Make(names::btnFile, K::Button, names::frFile, "Browse")),
      btnLoad(*this, Make(names::btnLoad, K::Button, names::frFile, "Load File", false)),
      frInformation(*this, Frame(names::frInformation, "Information About the File", 1560, true)),
      lblRegister(*this, Make(names::lblRegister, K::Label, names::frInformation, "Register(s):")),
      lblNum_reg(*this, Make(names::lblNum_reg, K::Label, names::frInformation, "0")),
      Label2(*this,
             Make(names::Label2, K::Label, names::frInformation, "(This number is not exact)")),
      lblCategory(*this,
                  Make(names::lblCategory, K::Label, names::frInformation, "Categories(s):")),
      lblNum_cat(*this, Make(names::lblNum_cat, K::Label, names::frInformation, "0")),
      lblStatus_File(*this, Make(names::lblStatus_File, K::Label, names::frInformation,
                                 "Reading .DAT file. Wait a momment...", true, false)),
      frExport(*this, Frame(names::frExport, "Export Data", 2400, false)),
      lblExt_cat(*this, Make(names::lblExt_cat, K::Label, names::frExport,
                             "Select the categories to put online")),
      lstCategory(*this, Make(names::lstCategory, K::List, names::frExport, "", false)),
      btnExt_markall(*this,
                     Make(names::btnExt_markall, K::Button, names::frExport, "Mark All", false)),
      lblExt_selected(
          *this, Make(names::lblExt_selected, K::Label, names::frExport, "Categories selected:")),
      lblExt_num_selected(*this, Make(names::lblExt_num_selected, K::Label, names::frExport, "0")),
      frConfig(*this, Frame(names::frConfig, "Configuration", 3840, false)),
      btnConfig(*this, Make(names::btnConfig, K::Button, names::frConfig, "Configuration")),
      btnExit(*this, Make(names::btnExit, K::Button, names::frConfig, "Exit", true, false)),
      frAuth(*this, Frame(names::frAuth, "User Authentication", 3840, false)),
      lblAuth_name(*this, Make(names::lblAuth_name, K::Label, names::frAuth, "User Name:")),
      txtAuth_login(*this, Make(names::txtAuth_login, K::TextBox, names::frAuth, "")),
      lblAuth_pass(*this, Make(names::lblAuth_pass, K::Label, names::frAuth, "Password:")),
      txtAuth_pass(*this, Make(names::txtAuth_pass, K::TextBox, names::frAuth, "")),
      frStatus(*this, Frame(names::frStatus, "Status", 4800, true)),
      lblWarning(*this, Make(names::lblWarning, K::Label, names::frStatus, kWarning)),
      btnExt_export(*this, Make(names::btnExt_export, K::Button, names::frStatus, "SYNC")),
      btnExit2(*this, Make(names::btnExit2, K::Button, names::frStatus, "Exit", true, false)),
      lslStatus_CSV(*this,
                    Make(names::lslStatus_CSV, K::Label, names::frStatus, "Exporting Data:")),
      lblCSV_Status(*this, Make(names::lblCSV_Status, K::Label, names::frStatus, "")),
      lblStatus_Auth(*this,
                     Make(names::lblStatus_Auth, K::Label, names::frStatus, "Authentication:")),
      lblAuth_Status(*this, Make(names::lblAuth_Status, K::Label, names::frStatus, "")),
      lblStatus_UP(*this, Make(names::lblStatus_UP, K::Label, names::frStatus, "Uploading Data:")),
      lblUP_Status(*this, Make(names::lblUP_Status, K::Label, names::frStatus, "")),
      lblStatus_Srv(*this,
                    Make(names::lblStatus_Srv, K::Label, names::frStatus, "Importing Online:")),
      lblSRV_Status(*this, Make(names::lblSRV_Status, K::Label, names::frStatus, "")),
      lblStatus_DOWN(*this,
                     Make(names::lblStatus_DOWN, K::Label, names::frStatus, "Downloading Data:")),
      lblDOWN_Status(*this, Make(names::lblDOWN_Status, K::Label, names::frStatus, "")),
      lblStatus_DAT(*this, Make(names::lblStatus_DAT, K::Label, names::frStatus, "Local Status:")),
      lblDAT_Status(*this, Make(names::lblDAT_Status, K::Label, names::frStatus, "")),
      form1(*this, *this),
      eventPump(platform.eventPump),
      messageBox(platform.messageBox),
      files(platform.files),
      service(std::move(serviceConfig)),
      platform_(platform),
      programFolder_(std::move(programFolder)),
      backups_(platform::BackupsFolder(programFolder_)),
      runLog_(platform::RunLogFile(programFolder_)),
      syncRun_(SyncRunParts{.itc = platform.itc,
                            .itc2 = platform.itc2,
                            .eventPump = platform.eventPump,
                            .messageBox = platform.messageBox,
                            .files = platform.files,
                            .backups = backups_,
                            .datReader = datReader,
                            .service = service,
                            .programFolder = programFolder_,
                            .clock = platform.clock},
               *this) {
  controls_ = {&frFile,         &Label1,          &txtFile,
               &btnFile,        &btnLoad,         &frInformation,
               &lblRegister,    &lblNum_reg,      &Label2,
               &lblCategory,    &lblNum_cat,      &lblStatus_File,
               &frExport,       &lblExt_cat,      &lstCategory,
               &btnExt_markall, &lblExt_selected, &lblExt_num_selected,
               &frConfig,       &btnConfig,       &btnExit,
               &frAuth,         &lblAuth_name,    &txtAuth_login,
               &lblAuth_pass,   &txtAuth_pass,    &frStatus,
               &lblWarning,     &btnExt_export,   &btnExit2,
               &lslStatus_CSV,  &lblCSV_Status,   &lblStatus_Auth,
               &lblAuth_Status, &lblStatus_UP,    &lblUP_Status,
               &lblStatus_Srv,  &lblSRV_Status,   &lblStatus_DOWN,
               &lblDOWN_Status, &lblStatus_DAT,   &lblDAT_Status};
  txtFile.onTextChanged = [this] { txtFile_Change(); };
  AddChangeListener([this](const std::string& what) { LogStatus(what); });
  AddDiagnosticListener([this](const std::string& cause) { runLog_.Step("cause: " + cause); });
}

std::filesystem::path FrmBrindle::TmpFile(const std::string& name) const {
  return platform::TmpFolder(programFolder_) / name;
}

std::filesystem::path FrmBrindle::CsvResultPath() const {
  return LocalResultPath(programFolder_, csvName_);
}

const Control* FrmBrindle::Find(const std::string& name) const {
  for (const Control* control : controls_) {
    if (control->name() == name) return control;
  }
  return nullptr;
}

const std::vector<const Control*>& FrmBrindle::controls(platform::WindowId window) const {
  return window == platform::WindowId::Main ? controls_ : form1.controls();
}

const Control& FrmBrindle::control(const std::string& name) const {
  const Control* found = Find(name);
  if (found == nullptr) throw std::invalid_argument("no control named " + name);
  return *found;
}

void FrmBrindle::AddChangeListener(std::function<void(const std::string&)> listener) {
  listeners_.push_back(std::move(listener));
}

void FrmBrindle::AddDiagnosticListener(std::function<void(const std::string&)> listener) {
  diagnosticListeners_.push_back(std::move(listener));
}

void FrmBrindle::Report(const std::string& cause) {
  for (const auto& listener : diagnosticListeners_) listener(cause);
}

void FrmBrindle::ControlChanged(const Control& control) { Notify(control.name()); }

void FrmBrindle::Notify(const std::string& what) {
  for (const auto& listener : listeners_) listener(what);
}

void FrmBrindle::Repaint(const Control& control) { platform_.windowing.Repaint(control.name()); }

bool FrmBrindle::shown(platform::WindowId window) const {
  return window == platform::WindowId::Main ? mainShown_ : form1Shown_;
}

void FrmBrindle::ShowMain() {
  if (ended_) return;
  mainShown_ = true;
  if (focus_.empty()) focus_ = FirstFocusable();
  Notify(names::frmBrindle);
  platform_.windowing.Show(platform::WindowId::Main);
}

void FrmBrindle::HideMain() {
  mainShown_ = false;
  Notify(names::frmBrindle);
  platform_.windowing.Hide(platform::WindowId::Main);
}

void FrmBrindle::CloseMain() {
  if (ended_) return;
  Form_Unload();
  if (form1Loaded_) CloseForm1();
  mainShown_ = false;
  ended_ = true;
  Notify(names::frmBrindle);
  platform_.windowing.Close(platform::WindowId::Main);
}

void FrmBrindle::ShowForm1() {
  form1Shown_ = true;
  Notify(names::Form1);
  platform_.windowing.Show(platform::WindowId::Form1);
}

void FrmBrindle::CloseForm1() {
  form1Shown_ = false;
  form1Loaded_ = false;
  Notify(names::Form1);
  platform_.windowing.Close(platform::WindowId::Form1);
}

void FrmBrindle::SetHeight(int twips) {
  if (twips == height_) return;
  height_ = twips;
  Notify(names::frmBrindle);
}

}  // namespace brindle
