// A top-level window built from a table of control places: panels, labels, text fields,
// buttons and a list, each a widget named after its control. It only knows how to show
// values; what the values are is the binding's business.
#pragma once

#include <QHash>
#include <QString>
#include <QWidget>
#include <functional>

#include "control_places.h"
#include "twips.h"

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
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* Build(const ControlPlace& place, QWidget* parent);
  void ApplyStyle(QWidget* widget, unsigned style) const;

  TwipsScale scale_;
  QHash<QString, QWidget*> controls_;
  QHash<QString, ControlPlace> places_;
};

}  // namespace brindle::gui
