// Keyboard focus and which controls the user can reach.
#include <algorithm>

#include "window/frm_brindle.h"

namespace brindle {

namespace {

// The order in which the focus visits the main window's controls.
constexpr const char* kTabOrder[] = {
    names::txtFile,        names::btnFile,       names::btnLoad,      names::lstCategory,
    names::btnExt_markall, names::txtAuth_login, names::txtAuth_pass, names::btnExt_export,
    names::btnConfig,      names::btnExit,       names::btnExit2};

bool OnForm1(const Form1& form1, const Control& control) {
  const auto& list = form1.controls();
  return std::find(list.begin(), list.end(), &control) != list.end();
}

}  // namespace

bool FrmBrindle::Reachable(const Control& control) const {
  if (!control.enabled() || !control.visible()) return false;
  if (OnForm1(form1, control)) return form1Shown_;
  if (!mainShown_) return false;
  const Control* panel = Find(control.panel());
  return panel == nullptr || panel->visible();
}

std::string FrmBrindle::FirstFocusable() const {
  for (const char* name : kTabOrder) {
    const Control* control = Find(name);
    if (control->takesFocus() && Reachable(*control)) return name;
  }
  return "";
}

bool FrmBrindle::SetFocus(const std::string& name) {
  const Control* control = Find(name);
  return control != nullptr && SetFocus(*control);
}

bool FrmBrindle::SetFocus(const Control& control) {
  if (!control.takesFocus() || !Reachable(control)) return false;
  if (focus_ == control.name()) return true;
  const std::string previous = focus_;
  focus_ = control.name();
  Notify(names::focus);
  LostFocus(previous);
  return true;
}

}  // namespace brindle
