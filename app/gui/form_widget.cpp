#include "form_widget.h"

#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "category_list.h"
#include "frame_panel.h"

namespace brindle::gui {
namespace {

QFont FontFor(const QFont& base, unsigned style) {
  QFont font = base;
  if (style & kTypewriter) {
    font.setFamilies({"Courier New", "DejaVu Sans Mono"});
    font.setStyleHint(QFont::TypeWriter);
  }
  if (style & kHeavy) {
    font.setFamilies({"Arial Black", "DejaVu Sans"});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(18.0);
    font.setWeight(QFont::Black);
  }
  if (style & kBookFace) {
    font.setFamilies({"Book Antiqua", "DejaVu Serif"});
    font.setStyleHint(QFont::Serif);
  }
  if (style & kBold) font.setBold(true);
  if (style & kSmall) font.setPointSizeF(font.pointSizeF() - 1.0);
  return font;
}

}  // namespace

FormWidget::FormWidget(const QString& formName, const WindowPlaces& places, const TwipsScale& scale)
    : placeTable_(places), scale_(scale), clientHeight_(places.clientHeight) {
  setObjectName(formName);
  // The system's font family at a fixed size, so that texts fit their fixed places.
  QFont base = font();
  base.setPointSizeF(places.pointSize);
  setFont(base);
  // The password box masks with "*", whatever the style's own choice.
  setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
  for (const ControlPlace& place : places.controls) {
    QWidget* parent = place.parent ? Control(QString::fromLatin1(place.parent)) : this;
    QWidget* widget = Build(place, parent);
    widget->setObjectName(QString::fromLatin1(place.name));
    widget->setGeometry(scale_.Rect(place.left, place.top, place.width, place.height));
    ApplyStyle(widget, place.style);
    controls_.insert(widget->objectName(), widget);
    places_.insert(widget->objectName(), place);
    if (place.kind == WidgetKind::Panel) {
      panelTops_.insert(widget->objectName(), place.top);
      widget->installEventFilter(this);  // its showing and hiding moves the frames below
    }
  }
  setFixedWidth(scale_.X(places.clientWidth));
  Relayout();
  UpdateAccessibleTexts();
}

QWidget* FormWidget::Build(const ControlPlace& place, QWidget* parent) {
  switch (place.kind) {
    case WidgetKind::Panel:
      return new FramePanel(parent);
    case WidgetKind::Label:
      return new QLabel(parent);
    case WidgetKind::TextField:
      return new QLineEdit(parent);
    case WidgetKind::PasswordField: {
      auto* edit = new QLineEdit(parent);
      edit->setEchoMode(QLineEdit::Password);
      return edit;
    }
    case WidgetKind::Button: {
      // Enter presses a focused button as Space does, as in the system's own dialogs.
      auto* button = new QPushButton(parent);
      button->setAutoDefault(true);
      return button;
    }
    case WidgetKind::List:
      return new CategoryList(parent);
  }
  return new QWidget(parent);
}

void FormWidget::ApplyStyle(QWidget* widget, unsigned style) const {
  widget->setFont(FontFor(font(), style));
  if (style & kRed) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    widget->setPalette(palette);
  }
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap((style & kWrap) != 0);
    label->setAlignment((style & kWrap) ? Qt::AlignLeft | Qt::AlignTop
                                        : Qt::AlignLeft | Qt::AlignVCenter);
  }
}

void FormWidget::SetControlText(const QString& name, const QString& text) {
  QWidget* widget = Control(name);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    if (label->text() == text) return;
    label->setText(text);
    Relayout();
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    if (button->text() == text) return;
    button->setText(text);
  } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
    if (box->title() == text) return;
    box->setTitle(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    // setText would move the cursor to the end even for an unchanged text; a field's own text
    // is no part of its name.
    if (edit->text() != text) edit->setText(text);
    return;
  }
  UpdateAccessibleTexts();
}

void FormWidget::SetPanelTop(const QString& name, int twips) {
  if (!panelTops_.contains(name) || panelTops_.value(name) == twips) return;
  panelTops_.insert(name, twips);
  Relayout();
}

void FormWidget::SetClientHeight(int twips) {
  if (twips == clientHeight_) return;
  clientHeight_ = twips;
  Relayout();
}

bool FormWidget::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && onActivated) onActivated();
  if (event->type() == QEvent::WindowTitleChange) UpdateAccessibleTexts();
  return QWidget::event(event);
}

bool FormWidget::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) Relayout();
  return QWidget::eventFilter(watched, event);
}

void FormWidget::closeEvent(QCloseEvent* event) {
  if (onCloseRequest && !onCloseRequest()) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace brindle::gui
