#include "backups_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <exception>

#include "platform/file_lock.h"
#include "platform/program_folder.h"
#include "versions/configured_file.h"
#include "versions/restore.h"

namespace brindle::backups_view {

namespace fs = std::filesystem;

namespace {

QString FromPath(const fs::path& path) { return QString::fromStdU16String(path.u16string()); }
QString FromUtf8(const std::string& text) { return QString::fromUtf8(text); }

QTableWidgetItem* Cell(const QString& text, bool right = false) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  if (right) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

}  // namespace

BackupsWindow::BackupsWindow(const fs::path& programFolder, QWidget* parent)
    : QWidget(parent),
      programFolder_(programFolder),
      backups_(platform::BackupsFolder(programFolder)),
      heading_(new QLabel(this)),
      table_(new QTableWidget(0, 5, this)),
      restore_(new QPushButton("Restore...", this)),
      openFolder_(new QPushButton("Open backups folder", this)) {
  setWindowTitle("Brindle backups");
  heading_->setObjectName("heading");
  heading_->setWordWrap(true);
  heading_->setTextFormat(Qt::PlainText);
  table_->setObjectName("versions");
  table_->setHorizontalHeaderLabels({"Time", "Reason", "Records", "Size", "File"});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  restore_->setObjectName("restore");
  openFolder_->setObjectName("openFolder");
  auto* close = new QPushButton("Close", this);
  close->setObjectName("close");

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(restore_);
  buttons->addWidget(openFolder_);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  resize(720, 360);

  connect(table_, &QTableWidget::itemSelectionChanged, this,
          [this] { restore_->setEnabled(!table_->selectedItems().isEmpty()); });
  connect(restore_, &QPushButton::clicked, this, [this] { RestoreSelected(); });
  connect(openFolder_, &QPushButton::clicked, this, [this] { OpenFolder(); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  Refresh();
}

void BackupsWindow::Refresh() {
  file_ = versions::ConfiguredAddressFile(programFolder_);
  versions_ = file_ ? versions::VersionsOf(backups_, *file_) : std::vector<versions::Version>{};
  if (!file_) {
    heading_->setText(FromPath(platform::ConfigFile(programFolder_)) +
                      " names no address file: load one in Brindle first.");
  } else if (versions_.empty()) {
    heading_->setText("No kept versions of " + FromPath(*file_) + " yet.");
  } else {
    heading_->setText("Kept versions of " + FromPath(*file_) + ", newest first:");
  }
  table_->clearSelection();
  table_->setRowCount(static_cast<int>(versions_.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const versions::Version& v = versions_[static_cast<std::size_t>(row)];
    table_->setItem(row, 0, Cell(FromUtf8(v.time)));
    table_->setItem(row, 1, Cell(FromUtf8(versions::ReasonInWords(v.backup.reason))));
    table_->setItem(row, 2, Cell(v.records ? QString::number(*v.records) : "?", true));
    table_->setItem(row, 3, Cell(QString::number(v.backup.size) + " bytes", true));
    table_->setItem(row, 4, Cell(v.sourceKnown() ? "this file" : "file unknown"));
  }
  table_->resizeColumnsToContents();
  restore_->setEnabled(false);
  std::error_code ec;
  openFolder_->setEnabled(fs::is_directory(backups_.folder(), ec));
}

void BackupsWindow::RestoreSelected() {
  const int row = table_->currentRow();
  if (!file_ || row < 0 || row >= static_cast<int>(versions_.size())) return;
  const versions::Version version = versions_[static_cast<std::size_t>(row)];
  const QString file = FromPath(*file_);
  // The lock is held from the question to the restore: no Brindle run starts on the file in
  // between, so the count in the question is the cost of the restore.
  std::optional<platform::FileLock> lock;
  try {
    lock.emplace(*file_);
    versions::RequireReadable(version.backup.path);
  } catch (const platform::FileInUse&) {
    Show(QMessageBox::Warning, "File in use",
         "A Brindle run is working on " + file +
             " (a load, a SYNC or a restore). Let it finish, then restore again.");
    return;
  } catch (const std::exception& e) {
    Show(QMessageBox::Critical, "Not restored", FromUtf8(e.what()));
    return;
  }
  const std::optional<int> lost = versions::IdsLost(lock->target(), version.backup.path);
  if (!Show(QMessageBox::Question, "Restore a kept version",
            FromUtf8(versions::RestoreQuestion(*file_, version, lost)), true)) {
    return;
  }
  try {
    const fs::path kept = versions::Restore(*lock, backups_, version.backup.path);
    lock.reset();
    Refresh();
    Show(QMessageBox::Information, "Restored",
         file + " now holds the version of " + FromUtf8(version.time) + ". " +
             (kept.empty() ? "The file as it was equals the newest version listed, which stays."
                           : "The file as it was is kept as the newest version listed: restore "
                             "that one to undo this."));
  } catch (const std::exception& e) {
    lock.reset();
    Refresh();
    Show(QMessageBox::Critical, "Not restored", FromUtf8(e.what()));
  }
}

void BackupsWindow::OpenFolder() {
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(backups_.folder())))) {
    Show(QMessageBox::Warning, "Open backups folder",
         "The file manager could not be started for " + FromPath(backups_.folder()) + ".");
  }
}

bool BackupsWindow::Show(QMessageBox::Icon icon, const QString& title, const QString& text,
                         bool question) {
  QMessageBox box(icon, title, text, QMessageBox::NoButton, this);
  box.setTextFormat(Qt::PlainText);
  if (question) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  return box.exec() == QMessageBox::Yes;
}

}  // namespace brindle::backups_view
