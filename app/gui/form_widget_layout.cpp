// Where each control goes for the texts it holds now, and the order the focus visits them.
#include <QLabel>
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "form_layout.h"
#include "form_widget.h"

namespace brindle::gui {
namespace {

bool SameParent(const char* a, const char* b) {
  return a == b || (a != nullptr && b != nullptr && std::strcmp(a, b) == 0);
}

// Rows of controls in the order they are read: top to bottom, and within a row, where the
// controls overlap in height, left to right.
std::vector<QWidget*> InReadingOrder(std::vector<QWidget*> widgets) {
  std::stable_sort(widgets.begin(), widgets.end(),
                   [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
  std::vector<QWidget*> ordered;
  for (std::size_t start = 0; start < widgets.size();) {
    std::size_t end = start + 1;
    int bottom = widgets[start]->geometry().bottom();
    while (end < widgets.size() && widgets[end]->y() <= bottom) {
      bottom = std::max(bottom, widgets[end]->geometry().bottom());
      ++end;
    }
    std::vector<QWidget*> row(widgets.begin() + start, widgets.begin() + end);
    std::stable_sort(row.begin(), row.end(),
                     [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    ordered.insert(ordered.end(), row.begin(), row.end());
    start = end;
  }
  return ordered;
}

}  // namespace

void FormWidget::Relayout() {
  QHash<QString, int> growth;
  for (const ControlPlace& place : placeTable_.controls) {
    if (auto* label = ControlAs<QLabel>(QString::fromLatin1(place.name))) {
      growth.insert(label->objectName(), FitLabel(label, place));
    }
  }
  for (const ControlPlace& place : placeTable_.controls) {
    if (place.kind == WidgetKind::Panel) {
      growth.insert(QString::fromLatin1(place.name), LayOutChildren(place.name, growth));
    }
  }
  const int windowGrowth = LayOutChildren(nullptr, growth);
  const int pixels = std::max(1, scale_.Y(clientHeight_)) + windowGrowth;
  if (pixels != height()) setFixedHeight(pixels);
  OrderTabs();
}

int FormWidget::FitLabel(QLabel* label, const ControlPlace& place) const {
  const QRect rect = scale_.Rect(place.left, place.top, place.width, place.height);
  const QFontMetrics metrics(label->font());
  if (place.style & kOneLine) {
    // A one-line text grows to the right: the warning's credit line.
    label->setWordWrap(false);
    label->resize(std::max(rect.width(), label->sizeHint().width()), label->height());
    return 0;
  }
  const QRect line = metrics.boundingRect(QRect(0, 0, INT_MAX / 2, rect.height()),
                                          Qt::AlignLeft | Qt::TextSingleLine, label->text());
  const bool wrap = (place.style & kWrap) != 0 || line.width() > rect.width();
  label->setWordWrap(wrap);
  const int needed = wrap ? metrics
                                .boundingRect(QRect(0, 0, rect.width(), INT_MAX / 2),
                                              Qt::AlignLeft | Qt::TextWordWrap, label->text())
                                .height()
                          : line.height();
  return std::max(0, needed - rect.height());
}

int FormWidget::LayOutChildren(const char* parent, const QHash<QString, int>& growth) {
  std::vector<const ControlPlace*> children;
  std::vector<LayoutItem> items;
  for (const ControlPlace& place : placeTable_.controls) {
    if (!SameParent(place.parent, parent)) continue;
    const QString name = QString::fromLatin1(place.name);
    const bool panel = place.kind == WidgetKind::Panel;
    const QRect rect = scale_.Rect(place.left, panel ? panelTops_.value(name) : place.top,
                                   place.width, place.height);
    children.push_back(&place);
    items.push_back(
        {rect.y(), rect.height(), growth.value(name), !panel || !Control(name)->isHidden()});
  }
  const LayoutShifts shifts = Shifts(items);
  for (std::size_t i = 0; i < children.size(); ++i) {
    const ControlPlace& place = *children[i];
    QWidget* widget = Control(QString::fromLatin1(place.name));
    const QRect rect = scale_.Rect(place.left, 0, place.width, 0);
    const int width = (place.style & kOneLine) ? widget->width() : rect.width();
    widget->setGeometry(rect.x(), items[i].top + shifts.down[i], width,
                        items[i].height + items[i].growth);
  }
  return shifts.growth;
}

void FormWidget::OrderTabs() {
  // Frames and the window's own controls in the order they are read, then those inside each
  // frame.
  const auto inside = [this](const char* parent) {
    std::vector<QWidget*> widgets;
    for (const ControlPlace& place : placeTable_.controls) {
      if (SameParent(place.parent, parent)) widgets.push_back(Control(place.name));
    }
    return InReadingOrder(widgets);
  };
  QWidget* previous = nullptr;
  for (QWidget* outer : inside(nullptr)) {
    const ControlPlace place = places_.value(outer->objectName());
    for (QWidget* widget :
         place.kind == WidgetKind::Panel ? inside(place.name) : std::vector<QWidget*>{outer}) {
      if ((widget->focusPolicy() & Qt::TabFocus) == 0) continue;
      if (previous != nullptr) setTabOrder(previous, widget);
      previous = widget;
    }
  }
}

}  // namespace brindle::gui
