// The window as the sync run sees it: its status lines, the steps that give the controls
// back, the credentials as typed, the causes of failures and the run log.
#include "window/frm_brindle.h"

#include "platform/utf8_path.h"

namespace brindle {

Control& FrmBrindle::StatusControl(StatusLine line) {
  switch (line) {
    case StatusLine::Export:
      return lblCSV_Status;
    case StatusLine::Authentication:
      return lblAuth_Status;
    case StatusLine::Upload:
      return lblUP_Status;
    case StatusLine::Import:
      return lblSRV_Status;
    case StatusLine::Download:
      return lblDOWN_Status;
    case StatusLine::AddressFile:
      return lblDAT_Status;
  }
  return lblDAT_Status;
}

void FrmBrindle::SetStatus(StatusLine line, const std::string& text) {
  lastStatus_ = &StatusControl(line);
  lastStatus_->SetText(text);
}

// The run writes the line that tells of a failure first, and its cause after.
void FrmBrindle::Diagnose(const std::string& cause) {
  Report(cause);
  if (lastStatus_ != nullptr) lastStatus_->SetCause(cause);
  lastStatus_ = nullptr;
}

std::string FrmBrindle::FailureDetails(const std::string& cause) const {
  return cause + "\n\nRun log: " + platform::Utf8FromPath(runLog_.file());
}

void FrmBrindle::ControlsOn() { SetOn(); }

void FrmBrindle::EnableSync(bool enabled) { btnExt_export.SetEnabled(enabled); }

void FrmBrindle::ShowFinished() {
  // The box is disabled for the run and a disabled box cannot take the focus, so the focus
  // moves once SetOn has enabled it again (a hidden box still leaves the focus where it is).
  SetFocus(txtFile);
  btnExt_export.SetEnabled(false);
  btnExit2.SetVisible(true);
}

void FrmBrindle::FocusLogin() { SetFocus(txtAuth_login); }

std::string FrmBrindle::Login() const { return txtAuth_login.text(); }

std::string FrmBrindle::Password() const { return txtAuth_pass.text(); }

void FrmBrindle::LogStep(const std::string& step) { runLog_.Step(step); }

bool FrmBrindle::WindowClosed() const { return ended_; }

}  // namespace brindle
