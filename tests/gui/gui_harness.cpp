#include "gui_harness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#ifndef _WIN32
#include <QHostAddress>
#include <QTcpServer>
#endif
#include <QRegularExpression>
#include <QWidget>

namespace brindle::gui::test {

#ifdef _WIN32

bool RookeryDev::Start(const QStringList& extraArgs) {
  const QString given = qEnvironmentVariable("BRINDLE_ROOKERY_ARGS");
  const QString web = qEnvironmentVariable("BRINDLE_ROOKERY_WEB");
  const QString ftp = qEnvironmentVariable("BRINDLE_ROOKERY_FTP");
  if (web.isEmpty() || ftp.isEmpty()) {
    qWarning("no rookery-dev given: run this test through wine_gui_test.sh --rookery");
    return false;
  }
  // The service must be the one this test asks for, or it would test something else.
  if (given != extraArgs.join(' ')) {
    qWarning("rookery-dev was started with \"%s\", the test needs \"%s\"", qPrintable(given),
             qPrintable(extraArgs.join(' ')));
    return false;
  }
  webPort_ = web.section(':', 1).toInt();
  ftpPort_ = ftp.section(':', 1).toInt();
  dataDir_ = qEnvironmentVariable("BRINDLE_ROOKERY_DATA");
  return webPort_ > 0 && ftpPort_ > 0 && !dataDir_.isEmpty();
}

void RookeryDev::Stop() {}  // the script that started it stops it

QString RefusedHost() { return qEnvironmentVariable("BRINDLE_REFUSED_HOST"); }

#else

bool RookeryDev::Start(const QStringList& extraArgs) {
  data_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/rookery-XXXXXX");
  if (!data_->isValid()) return false;
  dataDir_ = data_->path();
  process_.setProgram(QStringLiteral(BRINDLE_ROOKERY_DEV));
  process_.setArguments(QStringList{"--data-dir", dataDir_} + extraArgs);
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.start();
  if (!process_.waitForStarted(10000)) return false;
  const QRegularExpression ports(R"(web 127\.0\.0\.1:(\d+) ftp 127\.0\.0\.1:(\d+))");
  QString seen;
  while (process_.waitForReadyRead(10000)) {
    seen += QString::fromUtf8(process_.readAll());
    const auto match = ports.match(seen);
    if (match.hasMatch()) {
      webPort_ = match.captured(1).toInt();
      ftpPort_ = match.captured(2).toInt();
      return true;
    }
  }
  qWarning("rookery-dev did not report its ports: %s", qPrintable(seen));
  return false;
}

void RookeryDev::Stop() {
  if (process_.state() != QProcess::NotRunning) {
    process_.terminate();  // SIGTERM to our own child, by its PID
    if (!process_.waitForFinished(10000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }
  data_.reset();
}

QString RefusedHost() {
  QTcpServer closed;
  if (!closed.listen(QHostAddress::LocalHost)) return {};
  return QStringLiteral("127.0.0.1:%1").arg(closed.serverPort());  // closed on return
}

#endif

BoxWatcher::BoxWatcher() {
  timer_.setInterval(20);
  connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
  timer_.start();
}

void BoxWatcher::Poll() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr || !box->isVisible()) return;
  seen_.push_back(
      {box->windowTitle(), box->text(), box->icon(), box->standardButtons(), box->detailedText()});
  if (!screenshotName_.isEmpty()) {
    Screenshot(*box, screenshotName_);
    screenshotName_.clear();
  }
  QMessageBox::StandardButton answer =
      box->standardButtons().testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::No;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  QAbstractButton* button = box->button(answer);
  if (button == nullptr)
    button = box->button(box->standardButtons().testFlag(QMessageBox::Ok) ? QMessageBox::Ok
                                                                          : QMessageBox::No);
  button->click();
}

void TakeQtSettingsFromWine() {
  for (const char* name : {"QT_SCALE_FACTOR", "QT_FONT_DPI", "QT_QPA_FONTDIR"}) {
    const QByteArray value = qgetenv(QByteArray("BRINDLE_SET_") + name);
    if (!value.isEmpty()) qputenv(name, value);
  }
}

void Screenshot(QWidget& widget, const QString& name) {
  const QString folder = qEnvironmentVariable("BRINDLE_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  widget.grab().save(QDir(folder).filePath(name + ".png"));
}

}  // namespace brindle::gui::test
