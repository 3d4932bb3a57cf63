#include "qt_event_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace brindle::gui {

void QtEventPump::DoEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (transfers_) {
    transfers_(kWaitSlice);
    // What the transfers' events changed is painted before the caller looks again.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // No transfers to watch: wait for window events alone, for at most one slice.
  QEventLoop loop;
  QTimer::singleShot(kWaitSlice, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace brindle::gui
