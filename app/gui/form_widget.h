// A top-level window built from a table of control places: panels, labels, text fields,
// buttons and a list, each a widget named after its control. It only knows how to show
// values; what the values are is the binding's business. Texts that do not fit their places
// at the user's font wrap, and what they need in height moves the controls below them down;
// the focus visits the controls in reading order; every control carries an accessible name.
#pragma once

#include <QHash>
#include <QString>
#include <QWidget>
#include <functional>

#include "control_places.h"
#include "twips.h"

class QLabel;

namespace brindle::gui {

class FormWidget : public QWidget {
  Q_OBJECT

 public:
  FormWidget(const QString& formName, const WindowPlaces& places, const TwipsScale& scale);

  // Hooks for the binding. onCloseRequest decides whether a close (close box, Alt+F4) goes
  // ahead; without it the window closes.
  std::function<bool()> onCloseRequest;
  std::function<void()> onActivated;

  QWidget* Control(const QString& name) const { return controls_.value(name); }
  template <class W>
  W* ControlAs(const QString& name) const {
    return qobject_cast<W*>(Control(name));
  }
  const QHash<QString, QWidget*>& Controls() const { return controls_; }

  // Caption of a label, button or panel, or text of a text field; unchanged when equal.
  void SetControlText(const QString& name, const QString& text);
  void SetPanelTop(const QString& name, int twips);
  void SetClientHeight(int twips);

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* Build(const ControlPlace& place, QWidget* parent);
  void ApplyStyle(QWidget* widget, unsigned style) const;

  // Places every control for the texts it holds now (form_widget_layout.cpp).
  void Relayout();
  int FitLabel(QLabel* label, const ControlPlace& place) const;
  int LayOutChildren(const char* parent, const QHash<QString, int>& growth);
  void OrderTabs();
  void UpdateAccessibleTexts();

  const WindowPlaces& placeTable_;
  TwipsScale scale_;
  QHash<QString, QWidget*> controls_;
  QHash<QString, ControlPlace> places_;
  QHash<QString, int> panelTops_;  // twips, as the binding last set them
  int clientHeight_ = 0;           // twips
};

}  // namespace brindle::gui
