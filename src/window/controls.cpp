#include "window/controls.h"

#include <algorithm>

namespace brindle {

Control::Control(ControlObserver& observer, Init init)
    : observer_(observer), init_(std::move(init)) {}

bool Control::takesFocus() const {
  return init_.kind == ControlKind::TextBox || init_.kind == ControlKind::Button ||
         init_.kind == ControlKind::List;
}

void Control::SetText(std::string text) {
  const bool textChanged = text != init_.text;
  if (!textChanged && cause_.empty()) return;
  init_.text = std::move(text);
  cause_.clear();
  Changed();
  if (textChanged && onTextChanged) onTextChanged();
}

void Control::SetCause(std::string cause) {
  if (cause == cause_) return;
  cause_ = std::move(cause);
  Changed();
}

void Control::SetEnabled(bool enabled) {
  if (enabled == init_.enabled) return;
  init_.enabled = enabled;
  Changed();
}

void Control::SetVisible(bool visible) {
  if (visible == init_.visible) return;
  init_.visible = visible;
  Changed();
}

void Control::SetTop(int top) {
  if (top == init_.top) return;
  init_.top = top;
  Changed();
}

int ListControl::selectedCount() const {
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                        [](const ListEntry& e) { return e.selected; }));
}

void ListControl::Clear() {
  entries_.clear();
  current_ = -1;
  Changed();
}

void ListControl::AddItem(std::string text) {
  entries_.push_back({std::move(text), 0, false});
  Changed();
}

void ListControl::SetItemData(int index, std::int32_t data) {
  entries_.at(static_cast<std::size_t>(index)).itemData = data;
  Changed();
}

void ListControl::SetSelected(int index, bool selected) {
  entries_.at(static_cast<std::size_t>(index)).selected = selected;
  current_ = index;
  Changed();
}

}  // namespace brindle
