// What the window model needs from a real windowing system: showing, hiding and closing its
// two windows, and painting a control at once while the window thread is busy.
#pragma once

#include <string>

namespace brindle::platform {

enum class WindowId { Main, Form1 };

class Windowing {
 public:
  virtual ~Windowing() = default;
  // The model has already updated its own state when these run; a view makes it real.
  virtual void Show(WindowId window) = 0;
  virtual void Hide(WindowId window) = 0;
  // Closing the main window ends the program.
  virtual void Close(WindowId window) = 0;
  // Paints the named control now, before the caller goes on blocking the window thread.
  virtual void Repaint(const std::string& control) = 0;
};

// Name of a window as the user-facing model knows it: "frmBrindle" or "Form1".
const char* WindowName(WindowId window);

}  // namespace brindle::platform
