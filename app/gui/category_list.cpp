#include "category_list.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace brindle::gui {

CategoryList::CategoryList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::MultiSelection);
}

void CategoryList::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  emit mouseReleased();
}

void CategoryList::keyReleaseEvent(QKeyEvent* event) {
  QListWidget::keyReleaseEvent(event);
  // A held key repeats its press, but counts as released once.
  if (!event->isAutoRepeat()) emit keyReleased();
}

}  // namespace brindle::gui
