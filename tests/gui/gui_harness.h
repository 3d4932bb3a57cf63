// Helpers of the GUI tests: a rookery-dev service on loopback, a watcher that answers the
// real message boxes as they open, and screenshots on request.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <memory>
#include <vector>

class QWidget;

namespace brindle::gui::test {

// A rookery-dev on loopback for one test, keeping its data in a folder the test may look into.
// On Linux it is the test's own child, started on free ports and stopped by its PID. Under
// Wine a Windows program can neither read a Linux program's output nor stop it, so there the
// script that runs the test starts it (wine_gui_test.sh) and passes it in.
class RookeryDev {
 public:
  // Returns once the service answers on its ports; false (with a warning) otherwise.
  bool Start(const QStringList& extraArgs = {});
  void Stop();
  ~RookeryDev() { Stop(); }

  QString WebHost() const { return QStringLiteral("127.0.0.1:%1").arg(webPort_); }
  QString FtpHost() const { return QStringLiteral("127.0.0.1:%1").arg(ftpPort_); }
  // The database and the FTP account's folder (DataDir()/ftp).
  QString DataDir() const { return dataDir_; }

 private:
  int webPort_ = 0;
  int ftpPort_ = 0;
  QString dataDir_;
#ifndef _WIN32
  QProcess process_;
  std::unique_ptr<QTemporaryDir> data_;
#endif
};

// host:port on loopback where nothing listens, so that a connection there is refused.
QString RefusedHost();

struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
  QString details;  // behind "Show Details..."; empty when the box has none
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

// Wine hands no QT_* variable to a Windows program, so wine_gui_test.sh passes each one as
// BRINDLE_SET_QT_...; this puts them back under their own names. Call it before the
// application object exists; it changes nothing on Linux, where none is set.
void TakeQtSettingsFromWine();

// Saves a picture of `widget` as NAME.png in the folder named by BRINDLE_SCREENSHOT_DIR, when
// that variable is set (scripts/gui-screenshots.sh sets it); does nothing otherwise.
void Screenshot(QWidget& widget, const QString& name);

}  // namespace brindle::gui::test
