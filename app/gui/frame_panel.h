// A frame as the window's users know it: the caption sits on the top border, the border line
// runs at half the caption's height, and the children keep their places measured from the
// frame's top edge. A styled group box would put its line below the caption, through the
// first line of content that was placed just under the caption.
#pragma once

#include <QGroupBox>

namespace brindle::gui {

class FramePanel : public QGroupBox {
  Q_OBJECT

 public:
  explicit FramePanel(QWidget* parent);

  // Where the caption is drawn, in the frame's own coordinates.
  QRect CaptionRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace brindle::gui
