// What the sync run needs of the window it runs in: its status lines, the steps that give the
// controls back, the credentials as typed now, and where causes and log steps go. The window
// implements it; the sync run knows nothing else of the window.
#pragma once

#include <string>

namespace brindle {

// The status lines of the window's status panel, one per stage of a run.
enum class StatusLine { Export, Authentication, Upload, Import, Download, AddressFile };

class SyncRunHost {
 public:
  virtual void SetStatus(StatusLine line, const std::string& text) = 0;
  // The controls a run locks become usable again (the window's SetOn).
  virtual void ControlsOn() = 0;
  virtual void EnableSync(bool enabled) = 0;
  // After a finished run: the focus goes to the address-file box and the second Exit shows.
  virtual void ShowFinished() = 0;
  // After a failed run: the focus goes to the login, ready for another try.
  virtual void FocusLogin() = 0;
  // Read when the run sends them: the user may change them while an FTP error has the
  // controls enabled.
  virtual std::string Login() const = 0;
  virtual std::string Password() const = 0;
  // The cause of a failure whose window text stays the general one; the status line written
  // last, by that failure, shows it too.
  virtual void Diagnose(const std::string& cause) = 0;
  // The details of a message box about a failure: its cause and where the run log is.
  virtual std::string FailureDetails(const std::string& cause) const = 0;
  virtual void LogStep(const std::string& step) = 0;
  // True once the window has been closed: the run then ends at its next wait.
  virtual bool WindowClosed() const = 0;

 protected:
  ~SyncRunHost() = default;
};

}  // namespace brindle
