// The one table of the buttons a user can click in either window and the handler each runs,
// and the list of the text fields a user types into. The Qt view, the scenario driver and
// brindle-cli deliver clicks and typing through them.
#include <stdexcept>

#include "window/frm_brindle.h"

namespace brindle {

namespace {

struct ButtonEntry {
  const char* name;
  platform::WindowId window;
  Control& (*control)(FrmBrindle&);
  void (*click)(FrmBrindle&);
};

using platform::WindowId;

const ButtonEntry kButtons[] = {
    {"btnFile", WindowId::Main, [](FrmBrindle& w) -> Control& { return w.btnFile; },
     [](FrmBrindle& w) { w.btnFile_Click(); }},
    {"btnLoad", WindowId::Main, [](FrmBrindle& w) -> Control& { return w.btnLoad; },
     [](FrmBrindle& w) { w.btnLoad_Click(); }},
    {"btnExt_markall", WindowId::Main, [](FrmBrindle& w) -> Control& { return w.btnExt_markall; },
     [](FrmBrindle& w) { w.btnExt_markall_Click(); }},
    {"btnConfig", WindowId::Main, [](FrmBrindle& w) -> Control& { return w.btnConfig; },
     [](FrmBrindle& w) { w.btnConfig_Click(); }},
    {"btnExit", WindowId::Main, [](FrmBrindle& w) -> Control& { return w.btnExit; },
     [](FrmBrindle& w) { w.btnExit_Click(); }},
    {"btnExt_export", WindowId::Main, [](FrmBrindle& w) -> Control& { return w.btnExt_export; },
     [](FrmBrindle& w) { w.btnExt_export_Click(); }},
    {"btnExit2", WindowId::Main, [](FrmBrindle& w) -> Control& { return w.btnExit2; },
     [](FrmBrindle& w) { w.btnExit2_Click(); }},
    {"Command1", WindowId::Form1, [](FrmBrindle& w) -> Control& { return w.form1.Command1; },
     [](FrmBrindle& w) { w.form1.Command1_Click(); }},
    {"Command2", WindowId::Form1, [](FrmBrindle& w) -> Control& { return w.form1.Command2; },
     [](FrmBrindle& w) { w.form1.Command2_Click(); }},
};

const std::vector<const char*> kTextFields = {"txtFile", "txtAuth_login", "txtAuth_pass"};

const ButtonEntry* FindEntry(const std::string& name) {
  for (const ButtonEntry& entry : kButtons) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

}  // namespace

const std::vector<FrmBrindle::ButtonName>& FrmBrindle::Buttons() {
  static const std::vector<ButtonName> names = [] {
    std::vector<ButtonName> all;
    for (const ButtonEntry& entry : kButtons) all.push_back({entry.name, entry.window});
    return all;
  }();
  return names;
}

Control* FrmBrindle::FindButton(const std::string& name) {
  const ButtonEntry* entry = FindEntry(name);
  return entry ? &entry->control(*this) : nullptr;
}

bool FrmBrindle::Click(const std::string& name) {
  const ButtonEntry* entry = FindEntry(name);
  if (entry == nullptr) throw std::invalid_argument("no button named " + name);
  if (!Reachable(entry->control(*this))) return false;
  entry->click(*this);
  return true;
}

const std::vector<const char*>& FrmBrindle::TextFields() { return kTextFields; }

void FrmBrindle::Type(const std::string& name, const std::string& text) {
  Control* field = Find(name);
  if (field == nullptr || field->kind() != ControlKind::TextBox) {
    throw std::invalid_argument("no text field named " + name);
  }
  TypeText(*field, text);
}

}  // namespace brindle
