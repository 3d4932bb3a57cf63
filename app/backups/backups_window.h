// The window of brindle-backups: the kept versions of the address file that Brindle.conf names
// (time, reason in words, records, size, newest first), "Restore..." for the selected one,
// "Open backups folder" and "Close". What it shows and does comes from src/versions.
#pragma once

#include <QMessageBox>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/backups.h"
#include "versions/kept_versions.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace brindle::backups_view {

class BackupsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit BackupsWindow(const std::filesystem::path& programFolder, QWidget* parent = nullptr);

 private:
  // Reads Brindle.conf and the backups folder again.
  void Refresh();
  void RestoreSelected();
  void OpenFolder();
  // A box of the window's own, its text plain (paths may hold '<'). With `question`, Yes and
  // No, No the default; returns whether Yes was chosen.
  bool Show(QMessageBox::Icon icon, const QString& title, const QString& text,
            bool question = false);

  std::filesystem::path programFolder_;
  platform::Backups backups_;
  std::optional<std::filesystem::path> file_;
  std::vector<versions::Version> versions_;
  QLabel* heading_;
  QTableWidget* table_;
  QPushButton* restore_;
  QPushButton* openFolder_;
};

}  // namespace brindle::backups_view
