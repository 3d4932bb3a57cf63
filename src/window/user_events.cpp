// The one table of the controls a user acts on, in either window, and the handler each event
// runs: clicks on buttons, typing into and leaving text fields, keys and the mouse released
// over the list. The Qt view, the scenario driver and brindle-cli deliver every user event
// through it, by control name.
#include <stdexcept>

#include "window/frm_brindle.h"

namespace brindle {

using platform::WindowId;

struct FrmBrindle::UserEvent {
  using Handler = void (*)(FrmBrindle&);
  const char* name;
  WindowId window;
  Control& (*control)(FrmBrindle&);
  bool textField = false;
  Handler click = nullptr;
  Handler keyPress = nullptr;
  Handler lostFocus = nullptr;
  Handler keyUp = nullptr;
  Handler mouseUp = nullptr;
};

const std::vector<FrmBrindle::UserEvent>& FrmBrindle::UserEvents() {
  using W = FrmBrindle;
  static const std::vector<UserEvent> table = {
      {.name = names::txtFile,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.txtFile; },
       .textField = true,
       .lostFocus = [](W& w) { w.txtFile_LostFocus(); }},
      {.name = names::btnFile,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.btnFile; },
       .click = [](W& w) { w.btnFile_Click(); }},
      {.name = names::btnLoad,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.btnLoad; },
       .click = [](W& w) { w.btnLoad_Click(); }},
      {.name = names::lstCategory,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.lstCategory; },
       .keyUp = [](W& w) { w.lstCategory_KeyUp(); },
       .mouseUp = [](W& w) { w.lstCategory_MouseUp(); }},
      {.name = names::btnExt_markall,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.btnExt_markall; },
       .click = [](W& w) { w.btnExt_markall_Click(); }},
      {.name = names::btnConfig,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.btnConfig; },
       .click = [](W& w) { w.btnConfig_Click(); }},
      {.name = names::btnExit,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.btnExit; },
       .click = [](W& w) { w.btnExit_Click(); }},
      {.name = names::txtAuth_login,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.txtAuth_login; },
       .textField = true,
       .keyPress = [](W& w) { w.txtAuth_login_KeyPress(); },
       .lostFocus = [](W& w) { w.txtAuth_login_LostFocus(); }},
      {.name = names::txtAuth_pass,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.txtAuth_pass; },
       .textField = true,
       .keyPress = [](W& w) { w.txtAuth_pass_KeyPress(); },
       .lostFocus = [](W& w) { w.txtAuth_pass_LostFocus(); }},
      {.name = names::btnExt_export,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.btnExt_export; },
       .click = [](W& w) { w.btnExt_export_Click(); }},
      {.name = names::btnExit2,
       .window = WindowId::Main,
       .control = [](W& w) -> Control& { return w.btnExit2; },
       .click = [](W& w) { w.btnExit2_Click(); }},
      {.name = names::Command1,
       .window = WindowId::Form1,
       .control = [](W& w) -> Control& { return w.form1.Command1; },
       .click = [](W& w) { w.form1.Command1_Click(); }},
      {.name = names::Command2,
       .window = WindowId::Form1,
       .control = [](W& w) -> Control& { return w.form1.Command2; },
       .click = [](W& w) { w.form1.Command2_Click(); }},
  };
  return table;
}

const FrmBrindle::UserEvent* FrmBrindle::FindEvent(const std::string& name) {
  for (const UserEvent& entry : UserEvents()) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

bool FrmBrindle::Click(const std::string& name) {
  const UserEvent* entry = FindEvent(name);
  if (entry == nullptr || entry->click == nullptr) {
    throw std::invalid_argument("no button named " + name);
  }
  if (!Reachable(entry->control(*this))) return false;
  entry->click(*this);
  return true;
}

void FrmBrindle::Type(const std::string& name, const std::string& text) {
  const UserEvent* entry = FindEvent(name);
  if (entry == nullptr || !entry->textField) {
    throw std::invalid_argument("no text field named " + name);
  }
  entry->control(*this).SetText(text);
  if (entry->keyPress != nullptr) entry->keyPress(*this);
}

void FrmBrindle::LostFocus(const std::string& name) {
  const UserEvent* entry = FindEvent(name);
  if (entry != nullptr && entry->lostFocus != nullptr) entry->lostFocus(*this);
}

void FrmBrindle::KeyUp(const std::string& name) {
  const UserEvent* entry = FindEvent(name);
  if (entry == nullptr || entry->keyUp == nullptr) {
    throw std::invalid_argument("no key-up handler for " + name);
  }
  entry->keyUp(*this);
}

void FrmBrindle::MouseUp(const std::string& name) {
  const UserEvent* entry = FindEvent(name);
  if (entry == nullptr || entry->mouseUp == nullptr) {
    throw std::invalid_argument("no mouse-up handler for " + name);
  }
  entry->mouseUp(*this);
}

void FrmBrindle::ClickListEntry(int index, bool selected) {
  lstCategory.SetSelected(index, selected);
}

}  // namespace brindle
