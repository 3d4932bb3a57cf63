// Starting the window as a user meets it: the warning window comes up, the user answers "No,
// is  not running", and the main window is shown and becomes the active window. The user
// events reach only what is shown, so every test that acts on the main window starts here.
#pragma once

#include "window/frm_brindle.h"

namespace brindle::test {

inline void StartAsUser(FrmBrindle& w) {
  w.Form_Load();
  w.Click(names::Command1);
  if (w.shown(platform::WindowId::Main)) w.Form_Activate();
}

}  // namespace brindle::test
