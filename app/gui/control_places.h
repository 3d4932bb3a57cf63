// Where every control of the two windows sits, in twips, and how it is drawn. The model owns
// captions, texts and states; only places, fonts and colours live here.
#pragma once

#include <span>

namespace brindle::gui {

enum class WidgetKind { Panel, Label, TextField, PasswordField, Button, List };

enum ControlStyle : unsigned {
  kPlain = 0,
  kBold = 1u << 0,
  kWrap = 1u << 1,        // multi-line text, top-aligned
  kSmall = 1u << 2,       // a point smaller than the window's font
  kTypewriter = 1u << 3,  // Courier New
  kHeavy = 1u << 4,       // Arial Black, large
  kBookFace = 1u << 5,    // Book Antiqua
  kRed = 1u << 6,
  kOneLine = 1u << 7,  // grows to the right to show its whole line
};

struct ControlPlace {
  const char* name;
  WidgetKind kind;
  const char* parent;  // panel name, or nullptr for the window itself
  int left, top, width, height;
  unsigned style;
};

// A control that is read out under the caption of the control beside it: a text field under
// its label (or its frame's caption when it has none), a value under its caption label.
struct NamedAfter {
  const char* control;
  const char* caption;
};

struct WindowPlaces {
  int clientWidth;
  int clientHeight;
  double pointSize;  // the window's font; the styles above are relative to it
  // Panels before the controls inside them; later entries lie on top of earlier ones.
  std::span<const ControlPlace> controls;
  std::span<const NamedAfter> namedAfter;
};

const WindowPlaces& MainWindowPlaces();
const WindowPlaces& AlertWindowPlaces();

}  // namespace brindle::gui
