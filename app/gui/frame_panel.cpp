#include "frame_panel.h"

#include <qdrawutil.h>

#include <QPainter>
#include <QStyle>

namespace brindle::gui {

FramePanel::FramePanel(QWidget* parent) : QGroupBox(parent) {
  // Opaque: the "Configuration" layout lays some frames over the bottom of others.
  setAutoFillBackground(true);
}

QRect FramePanel::CaptionRect() const {
  const QFontMetrics metrics(font());
  // The caption starts a little way in from the left edge, with a blank either side so that
  // the line stops short of the text.
  const int pad = metrics.horizontalAdvance(QLatin1Char(' ')) / 2 + 1;
  const int indent = metrics.averageCharWidth();
  return QRect(indent, 0, metrics.horizontalAdvance(title()) + 2 * pad, metrics.height());
}

void FramePanel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QRect caption = CaptionRect();
  // An etched line drawn here rather than the style's group-box frame: some styles move that
  // frame down by a caption's height of their own.
  qDrawShadeRect(&painter, rect().adjusted(0, caption.height() / 2, 0, 0), palette(), true, 1, 0);
  if (title().isEmpty()) return;
  painter.fillRect(caption, palette().brush(backgroundRole()));
  style()->drawItemText(&painter, caption, Qt::AlignCenter | Qt::TextSingleLine, palette(),
                        isEnabled(), title(), foregroundRole());
}

}  // namespace brindle::gui
