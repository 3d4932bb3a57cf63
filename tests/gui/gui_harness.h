// Helpers of the GUI tests: a rookery-dev service on loopback, a watcher that answers the
// real message boxes as they open, and screenshots on request.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <vector>

class QWidget;

namespace brindle::gui::test {

// rookery-dev started as a child of the test, on free loopback ports, stopped by its PID.
class RookeryDev {
 public:
  // Waits until it prints its ports. Fails the calling test (returns false) otherwise.
  bool Start(const QStringList& extraArgs = {});
  void Stop();
  ~RookeryDev() { Stop(); }

  QString WebHost() const { return QStringLiteral("127.0.0.1:%1").arg(webPort_); }
  QString FtpHost() const { return QStringLiteral("127.0.0.1:%1").arg(ftpPort_); }

 private:
  QProcess process_;
  int webPort_ = 0;
  int ftpPort_ = 0;
};

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
};

// Answers every message box that opens, with the queued answer or its default (OK, or No),
// and records what it showed.
class BoxWatcher : public QObject {
 public:
  BoxWatcher();
  void Queue(QMessageBox::StandardButton answer) { answers_.push_back(answer); }
  // The next box opened is also saved as a screenshot under `name` (see Screenshot).
  void ScreenshotNext(const QString& name) { screenshotName_ = name; }
  const std::vector<SeenBox>& Seen() const { return seen_; }

 private:
  void Poll();

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> answers_;
  std::vector<SeenBox> seen_;
  QString screenshotName_;
};

// Saves a picture of `widget` as NAME.png in the folder named by BRINDLE_SCREENSHOT_DIR, when
// that variable is set (scripts/gui-screenshots.sh sets it); does nothing otherwise.
void Screenshot(QWidget& widget, const QString& name);

}  // namespace brindle::gui::test
