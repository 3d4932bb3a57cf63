#include "window/driver/state_dump.h"

#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/code_page.h"
#include "window/driver/json.h"

namespace brindle::drive {

namespace {

std::string Utf8(const std::string& text) { return platform::CodePageToUtf8(text); }

std::string ListPart(const ListControl& list, JsonObject& object) {
  std::vector<std::string> items, itemData, selected;
  for (std::size_t i = 0; i < list.entries().size(); ++i) {
    const ListEntry& entry = list.entries()[i];
    items.push_back(JsonString(Utf8(entry.text)));
    itemData.push_back(std::to_string(entry.itemData));
    if (entry.selected) selected.push_back(std::to_string(i));
  }
  object.Raw("items", JsonArray(items))
      .Raw("itemData", JsonArray(itemData))
      .Raw("selected", JsonArray(selected))
      .Int("current", list.current());
  return object.str();
}

// The password box shows one "*" per character, here as on the screen: a dump ends up in
// logs and bug reports.
std::string ShownText(const Control& control) {
  if (control.name() == names::txtAuth_pass) return std::string(control.text().size(), '*');
  return Utf8(control.text());
}

std::string ControlJson(const Control& control) {
  JsonObject object;
  if (control.kind() == ControlKind::TextBox) {
    object.Text("text", ShownText(control));
  } else if (control.kind() != ControlKind::List) {
    object.Text("caption", Utf8(control.text()));
  }
  object.Bool("enabled", control.enabled()).Bool("visible", control.visible());
  if (control.kind() == ControlKind::List) {
    return ListPart(static_cast<const ListControl&>(control), object);
  }
  return object.str();
}

std::string ControlsJson(const std::vector<const Control*>& controls) {
  JsonObject object;
  for (const Control* control : controls) object.Raw(control->name(), ControlJson(*control));
  return object.str();
}

// The main window's frames, in creation order.
std::string PanelsJson(const std::vector<const Control*>& controls) {
  JsonObject object;
  for (const Control* panel : controls) {
    if (panel->kind() != ControlKind::Frame) continue;
    object.Raw(panel->name(),
               JsonObject().Int("top", panel->top()).Bool("visible", panel->visible()).str());
  }
  return object.str();
}

std::string ShownJson(const FrmBrindle& window) {
  std::vector<std::string> shown;
  if (window.shown(platform::WindowId::Main)) shown.push_back(JsonString(names::frmBrindle));
  if (window.shown(platform::WindowId::Form1)) shown.push_back(JsonString(names::Form1));
  return JsonArray(shown);
}

std::string SelCatJson(const SelCat& selectedCategories) {
  std::vector<std::string> slots;
  for (const std::string& slot : selectedCategories) {
    slots.push_back(slot.empty() ? "null" : JsonString(Utf8(slot)));
  }
  return JsonArray(slots);
}

// Every top-level item of the dump, in its order, keyed as in the dump.
std::vector<std::pair<std::string, std::string>> TopLevelItems(const FrmBrindle& window) {
  JsonObject captions;
  captions.Text(names::frmBrindle, FrmBrindle::kCaption).Text(names::Form1, Form1::kCaption);
  return {{"controls", ControlsJson(window.controls())},
          {"form1", ControlsJson(window.controls(platform::WindowId::Form1))},
          {"captions", captions.str()},
          {"focus", window.focus().empty() ? "null" : JsonString(window.focus())},
          {"height", std::to_string(window.height())},
          {"panels", PanelsJson(window.controls())},
          {"shown", ShownJson(window)},
          {"selectedCategories", SelCatJson(window.selectedCategories())}};
}

const Control* FindIn(const std::vector<const Control*>& controls, std::string_view name) {
  for (const Control* control : controls) {
    if (control->name() == name) return control;
  }
  return nullptr;
}

std::string ItemJson(const FrmBrindle& window,
                     const std::vector<std::pair<std::string, std::string>>& topLevel,
                     const std::string& name) {
  for (const auto& [key, json] : topLevel) {
    if (key == name) return json;
  }
  constexpr std::string_view kForm1Prefix = "Form1.";
  const bool onForm1 = name.starts_with(kForm1Prefix);
  const Control* control =
      onForm1 ? FindIn(window.controls(platform::WindowId::Form1), name.substr(kForm1Prefix.size()))
              : FindIn(window.controls(), name);
  if (control == nullptr) throw std::invalid_argument("nothing to dump by the name " + name);
  return ControlJson(*control);
}

}  // namespace

std::string DumpState(const FrmBrindle& window, const std::vector<std::string>& names) {
  const auto topLevel = TopLevelItems(window);
  JsonObject dump;
  if (names.empty()) {
    for (const auto& [key, json] : topLevel) dump.Raw(key, json);
  } else {
    for (const std::string& name : names) dump.Raw(name, ItemJson(window, topLevel, name));
  }
  return dump.str();
}

}  // namespace brindle::drive
