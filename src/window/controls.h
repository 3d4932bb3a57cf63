// The state of one control as a view shows it: caption or text, enabled, visible, and for the
// frames their top. Every change is reported to the owning window so that a view can follow.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brindle {

enum class ControlKind { Frame, Label, TextBox, Button, List };

class Control;

// Told about every change of a control's state.
class ControlObserver {
 public:
  virtual ~ControlObserver() = default;
  virtual void ControlChanged(const Control& control) = 0;
};

class Control {
 public:
  struct Init {
    std::string name;
    ControlKind kind;
    std::string panel;  // name of the frame that holds it; "" for a frame or on Form1
    std::string text;   // caption of a frame, label or button; text of a text field
    bool enabled = true;
    bool visible = true;
    int top = 0;  // frames only, in twips
  };

  Control(ControlObserver& observer, Init init);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return init_.name; }
  ControlKind kind() const { return init_.kind; }
  const std::string& panel() const { return init_.panel; }
  const std::string& text() const { return init_.text; }
  bool enabled() const { return init_.enabled; }
  bool visible() const { return init_.visible; }
  int top() const { return init_.top; }
  bool takesFocus() const;
  // Why the failure that wrote the text happened, in plain words (UTF-8); "" for a text that
  // no failure wrote. A view shows it as the control's tooltip and accessible description.
  const std::string& cause() const { return cause_; }

  // A text set by code or by typing; runs onTextChanged when the text changes. It drops the
  // cause: the cause is of the text it came with.
  void SetText(std::string text);
  void SetCause(std::string cause);
  void SetEnabled(bool enabled);
  void SetVisible(bool visible);
  void SetTop(int top);

  // The control's Change event (only txtFile has a handler).
  std::function<void()> onTextChanged;

 protected:
  void Changed() { observer_.ControlChanged(*this); }

 private:
  ControlObserver& observer_;
  Init init_;
  std::string cause_;
};

struct ListEntry {
  std::string text;
  std::int32_t itemData = 0;
  bool selected = false;
};

// A list in which several entries can be selected at once; the current entry is the one the
// last click, key or code change moved to.
class ListControl : public Control {
 public:
  using Control::Control;

  const std::vector<ListEntry>& entries() const { return entries_; }
  int size() const { return static_cast<int>(entries_.size()); }
  // -1 when there is no current entry.
  int current() const { return current_; }
  int selectedCount() const;

  void Clear();
  // Appends an entry with item data 0; it does not become current.
  void AddItem(std::string text);
  void SetItemData(int index, std::int32_t data);
  // Selects or unselects an entry and makes it the current entry.
  void SetSelected(int index, bool selected);

 private:
  std::vector<ListEntry> entries_;
  int current_ = -1;
};

}  // namespace brindle
