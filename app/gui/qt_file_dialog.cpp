#include "qt_file_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "platform/browse_folder.h"

namespace brindle::gui {

std::string QtFileDialog::ShowOpen(const std::string& initialDir, const std::string& filter) {
  lastStartFolder_ = StartFolder(QString::fromStdString(initialDir));
  lastFilter_ = QtFilter(QString::fromStdString(filter));
  if (nextAnswer_) {
    std::string answer = std::move(*nextAnswer_);
    nextAnswer_.reset();
    return answer;
  }
  const QString chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                                      lastStartFolder_, lastFilter_);
  return chosen.isEmpty() ? std::string() : QDir::toNativeSeparators(chosen).toStdString();
}

namespace {

QString NothingToStartFrom() {
  const std::u8string folder = platform::BrowseStartFolder(platform::ThisUsersFolders()).u8string();
  return QString::fromUtf8(reinterpret_cast<const char*>(folder.data()),
                           static_cast<qsizetype>(folder.size()));
}

}  // namespace

QString QtFileDialog::StartFolder(const QString& path) {
  if (path.isEmpty()) return NothingToStartFrom();
  const QFileInfo info(QDir::fromNativeSeparators(path));
  QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
  // Walk up until a folder exists, so a mistyped or moved file still opens near it.
  while (!QFileInfo(folder).isDir()) {
    const QString parent = QFileInfo(folder).path();
    if (parent == folder) return NothingToStartFrom();
    folder = parent;
  }
  return folder;
}

QString QtFileDialog::QtFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList lines;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString patterns = parts[i + 1].trimmed().replace(';', ' ');
    lines << QStringLiteral("%1 (%2)").arg(description, patterns);
  }
  if (lines.isEmpty()) lines << QStringLiteral("All files (*)");
  return lines.join(QStringLiteral(";;"));
}

}  // namespace brindle::gui
