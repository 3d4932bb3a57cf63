// The start-up warning window: asks whether Palm Desktop is still running.
#pragma once

#include "window/controls.h"

namespace brindle {

class FrmBrindle;

class Form1 {
 public:
  Form1(FrmBrindle& main, ControlObserver& observer);

  static constexpr const char* kCaption = "Alert";

  Control Label2;  // credit line
  Control Label1;  // the question
  Control Command2;
  Control Command1;
  Control Label3;  // the warning about synchronising

  // "No, is  not running": closes this window, then shows the main window.
  void Command1_Click();
  // "Yes, it is running.Close Brindle": closes this window, then the main window.
  void Command2_Click();

  const std::vector<const Control*>& controls() const { return controls_; }

 private:
  FrmBrindle& main_;
  std::vector<const Control*> controls_;
};

}  // namespace brindle
