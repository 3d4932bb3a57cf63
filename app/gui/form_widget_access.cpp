// What assistive technology reads out for each control: its name, taken from the captions on
// screen, and as its description the frame (or window) it belongs to.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>

#include "form_widget.h"

namespace brindle::gui {
namespace {

// A value shown beside its caption ("Local Status:" and what the run wrote there): named after
// the caption, its own text is its value.
constexpr char kValueOf[] = "brindleValueOf";

class CaptionedValue : public QAccessibleWidget {
 public:
  explicit CaptionedValue(QWidget* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return static_cast<const QLabel*>(widget())->text();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* CaptionedValues(const QString& className, QObject* object) {
  if (className != QLatin1String("QLabel") || !object->property(kValueOf).isValid()) {
    return nullptr;
  }
  return new CaptionedValue(static_cast<QWidget*>(object));
}

QString Caption(const QWidget* widget) {
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (const auto* button = qobject_cast<const QPushButton*>(widget)) return button->text();
  if (const auto* box = qobject_cast<const QGroupBox*>(widget)) return box->title();
  return {};
}

}  // namespace

void FormWidget::UpdateAccessibleTexts() {
  static const bool installed = [] {
    QAccessible::installFactory(CaptionedValues);
    return true;
  }();
  Q_UNUSED(installed);
  for (const NamedAfter& named : placeTable_.namedAfter) {
    if (auto* label = ControlAs<QLabel>(named.control)) label->setProperty(kValueOf, true);
  }
  for (const ControlPlace& place : placeTable_.controls) {
    QWidget* widget = Control(place.name);
    QString name = Caption(widget);
    for (const NamedAfter& named : placeTable_.namedAfter) {
      if (std::strcmp(named.control, place.name) == 0) name = Caption(Control(named.caption));
    }
    const QWidget* frame = place.parent != nullptr ? Control(place.parent) : nullptr;
    const QString where = frame != nullptr ? Caption(frame) : windowTitle();
    if (widget->accessibleName() != name) widget->setAccessibleName(name);
    if (widget->accessibleDescription() != where) widget->setAccessibleDescription(where);
  }
}

}  // namespace brindle::gui
