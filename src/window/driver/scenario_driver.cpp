#include "window/driver/scenario_driver.h"

#include <climits>
#include <ostream>
#include <sstream>
#include <vector>

#include "platform/code_page.h"
#include "text/whole_number.h"
#include "window/driver/json.h"
#include "window/driver/state_dump.h"

namespace brindle::drive {

namespace {

const char* ButtonsName(platform::MsgButtons buttons) {
  return buttons == platform::MsgButtons::OK ? "OK" : "YesNo";
}

const char* IconName(platform::MsgIcon icon) {
  return icon == platform::MsgIcon::Critical ? "critical" : "none";
}

std::string Utf8(const std::string& text) { return platform::CodePageToUtf8(text); }
std::string PathText(const std::filesystem::path& path) {
  const std::u8string utf8 = path.generic_u8string();
  return std::string(utf8.begin(), utf8.end());
}

// Splits "word rest": the rest is everything after the single blank that follows the word.
std::pair<std::string, std::string> SplitWord(const std::string& text) {
  const auto blank = text.find(' ');
  if (blank == std::string::npos) return {text, ""};
  return {text.substr(0, blank), text.substr(blank + 1)};
}

// Drops a trailing " # comment" from a command that takes no free text.
std::string StripComment(std::string text) {
  const auto hash = text.find(" #");
  if (hash != std::string::npos) text.erase(hash);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

}  // namespace

ScenarioDriver::ScenarioDriver(DriveOptions options, std::ostream& out)
    : options_(std::move(options)), out_(out) {
  messageBox_.onShown = [this](const platform::ShownMessage& box) {
    JsonObject shown;
    shown.Text("text", Utf8(box.text))
        .Text("title", Utf8(box.title))
        .Text("buttons", ButtonsName(box.buttons))
        .Text("icon", IconName(box.icon))
        .Text("answer", platform::AnswerName(box.answer));
    out_ << JsonObject().Raw("msgbox", shown.str()).str() << '\n';
  };
  fileDialog_.onShown = [this](const platform::OpenDialogCall& call) {
    JsonObject shown;
    shown.Text("initialDir", call.initialDir).Text("filter", call.filter).Text("file", call.result);
    out_ << JsonObject().Raw("dialog", shown.str()).str() << '\n';
  };
  windowing_.onShow = [this](platform::WindowId window) {
    if (window == platform::WindowId::Main) activationPending_ = true;
  };
}

ScenarioDriver::~ScenarioDriver() = default;

bool ScenarioDriver::ended() const { return window_ && window_->ended(); }

FrmBrindle& ScenarioDriver::Window() {
  if (!window_) throw ScriptError("no window yet: the script must \"start\" first");
  return *window_;
}

void ScenarioDriver::RunLine(const std::string& rawLine) {
  std::string line = rawLine;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const auto first = line.find_first_not_of(" \t");
  if (first == std::string::npos || line[first] == '#') return;
  line.erase(0, first);
  const auto [command, rest] = SplitWord(line);
  if (command == "type") {
    Type(rest, line);
  } else if (command == "dialog") {
    fileDialog_.QueueResult(rest == "cancel" ? "" : rest);
  } else {
    const std::string arg = StripComment(rest);
    const std::string shown = StripComment(line);
    if (command == "start") {
      Start();
    } else if (command == "answer") {
      const auto answer = platform::AnswerFromName(arg);
      if (!answer) throw ScriptError("answer must be Yes, No or OK: " + arg);
      messageBox_.QueueAnswer(*answer);
    } else if (command == "click") {
      Click(arg, shown);
    } else if (command == "focus") {
      Focus(arg, shown);
    } else if (command == "activate") {
      Window().Form_Activate();
    } else if (command == "select") {
      Select(arg, shown);
    } else if (command == "mouseup" || command == "keyup") {
      ListEvent(command == "mouseup", shown);
    } else if (command == "close") {
      Window().CloseMain();
    } else if (command == "dump") {
      Dump(arg);
    } else {
      throw ScriptError("unknown command: " + command);
    }
  }
  // Showing the main window makes it the active window.
  while (activationPending_ && window_ && !window_->ended()) {
    activationPending_ = false;
    window_->Form_Activate();
  }
  if (ended()) out_ << "{\"ended\":true}\n";
}

void ScenarioDriver::Start() {
  if (window_) throw ScriptError("the windows exist already");
  DriveTransfers* real = options_.transfers;
  WindowPlatform platform{.messageBox = messageBox_,
                          .fileDialog = fileDialog_,
                          .eventPump = real ? real->eventPump : pump_,
                          .itc = real ? real->itc : itc_,
                          .itc2 = real ? real->itc2 : itc2_,
                          .windowing = windowing_,
                          .files = files_};
  if (!real) platform.handOver = [this](const ExportedFile& file) { PrintHandOver(file); };
  window_ = std::make_unique<FrmBrindle>(platform, options_.programFolder, options_.service);
  window_->Form_Load();
}

void ScenarioDriver::Dump(const std::string& names) {
  std::vector<std::string> wanted;
  std::istringstream words(names);
  for (std::string name; words >> name;) wanted.push_back(name);
  try {
    out_ << DumpState(Window(), wanted) << '\n';
  } catch (const std::invalid_argument& e) {
    throw ScriptError(e.what());
  }
}

// The keys are the window's own names for what it hands over.
void ScenarioDriver::PrintHandOver(const ExportedFile& file) {
  JsonObject state;
  state.Text("csvName", Utf8(file.csvName))
      .Text("csvPath", PathText(file.csvPath))
      .Int("recordsExported", file.lines)
      .Text("datPath", Utf8(file.datPath))
      .Text(names::lblCSV_Status, Utf8(window_->control(names::lblCSV_Status).text()));
  out_ << JsonObject().Raw("sendFile", state.str()).str() << '\n';
}

bool ScenarioDriver::Deliverable(const Control& control, const std::string& command) {
  if (Window().Reachable(control)) return true;
  // Scripts match this line whole: a hidden control is reported like a disabled one.
  out_ << JsonObject().Text("ignored", command + ": disabled").str() << '\n';
  return false;
}

void ScenarioDriver::Click(const std::string& name, const std::string& command) {
  FrmBrindle& w = Window();
  const Control* button = nullptr;
  for (const platform::WindowId window : {platform::WindowId::Main, platform::WindowId::Form1}) {
    for (const Control* control : w.controls(window)) {
      if (control->name() == name && control->kind() == ControlKind::Button) button = control;
    }
  }
  if (button == nullptr) throw ScriptError("no button to click: " + name);
  if (Deliverable(*button, command)) w.Click(name);
}

void ScenarioDriver::Type(const std::string& rest, const std::string& command) {
  FrmBrindle& w = Window();
  const auto [name, text] = SplitWord(rest);
  const Control* field = w.Find(name);
  if (field == nullptr || field->kind() != ControlKind::TextBox) {
    throw ScriptError("no text field: " + name);
  }
  if (Deliverable(*field, command)) w.Type(name, platform::Utf8ToCodePage(text));
}

void ScenarioDriver::Focus(const std::string& name, const std::string& command) {
  FrmBrindle& w = Window();
  const Control* control = w.Find(name);
  if (control == nullptr || !control->takesFocus()) {
    throw ScriptError("no control that takes the focus: " + name);
  }
  if (Deliverable(*control, command)) w.SetFocus(name);
}

void ScenarioDriver::Select(const std::string& args, const std::string& command) {
  FrmBrindle& w = Window();
  const auto [indexText, state] = SplitWord(args);
  if (state != "on" && state != "off") throw ScriptError("select needs on or off: " + args);
  const auto index = text::ParseWholeNumber(indexText);
  if (!index || *index < 0 || *index > INT_MAX) throw ScriptError("bad list index: " + indexText);
  if (!Deliverable(w.categoryList(), command)) return;
  if (*index >= w.categoryList().size()) {
    throw ScriptError("the list has no entry " + indexText);
  }
  w.ClickListEntry(static_cast<int>(*index), state == "on");
}

void ScenarioDriver::ListEvent(bool mouse, const std::string& command) {
  FrmBrindle& w = Window();
  if (!Deliverable(w.categoryList(), command)) return;
  mouse ? w.MouseUp(names::lstCategory) : w.KeyUp(names::lstCategory);
}

}  // namespace brindle::drive
