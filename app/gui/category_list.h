// The category list: several entries selectable at once, a click toggles one. It reports the
// releases of mouse buttons and keys, after the list has dealt with them.
#pragma once

#include <QListWidget>

namespace brindle::gui {

class CategoryList : public QListWidget {
  Q_OBJECT

 public:
  explicit CategoryList(QWidget* parent);

 signals:
  void mouseReleased();
  void keyReleased();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
};

}  // namespace brindle::gui
