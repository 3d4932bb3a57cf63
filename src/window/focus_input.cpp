// Keyboard focus and the user's own input as a view delivers it.
#include <algorithm>

#include "window/frm_brindle.h"

namespace brindle {

namespace {

// The order in which the focus visits the main window's controls.
constexpr const char* kTabOrder[] = {
    "txtFile",      "btnFile",       "btnLoad",   "lstCategory", "btnExt_markall", "txtAuth_login",
    "txtAuth_pass", "btnExt_export", "btnConfig", "btnExit",     "btnExit2"};

bool OnForm1(const Form1& form1, const Control& control) {
  const auto& list = form1.controls();
  return std::find(list.begin(), list.end(), &control) != list.end();
}

}  // namespace

bool FrmBrindle::Reachable(const Control& control) const {
  if (!control.enabled() || !control.visible()) return false;
  if (OnForm1(form1, control)) return form1Shown_;
  if (!mainShown_) return false;
  for (const Control* panel : panels_) {
    if (panel->name() == control.panel()) return panel->visible();
  }
  return true;
}

std::string FrmBrindle::FirstFocusable() const {
  for (const char* name : kTabOrder) {
    const Control* control = Find(name);
    if (control->takesFocus() && Reachable(*control)) return name;
  }
  return "";
}

bool FrmBrindle::SetFocus(const std::string& name) {
  Control* control = Find(name);
  if (control == nullptr || !control->takesFocus() || !Reachable(*control)) return false;
  if (focus_ == name) return true;
  const std::string previous = focus_;
  focus_ = name;
  Notify("focus");
  LostFocus(previous);
  return true;
}

void FrmBrindle::LostFocus(const std::string& name) {
  if (name == "txtFile") txtFile_LostFocus();
  if (name == "txtAuth_login") txtAuth_login_LostFocus();
  if (name == "txtAuth_pass") txtAuth_pass_LostFocus();
}

void FrmBrindle::TypeText(Control& field, const std::string& text) {
  field.SetText(text);
  if (&field == &txtAuth_login) txtAuth_login_KeyPress();
  if (&field == &txtAuth_pass) txtAuth_pass_KeyPress();
}

void FrmBrindle::ClickListEntry(int index, bool selected) {
  lstCategory.SetSelected(index, selected);
}

}  // namespace brindle
