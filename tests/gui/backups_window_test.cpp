// brindle-backups driven as a user drives it: real widgets, real clicks, real message boxes,
// in a program folder of its own that serves two address files (two Palm users) and holds a
// backup from before backups recorded their file.
#include "backups_window.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "gui_harness.h"
#include "platform/code_page.h"
#include "platform/file_lock.h"
#include "platform/file_replacement.h"
#include "platform/file_sync.h"
#include "support/dat_builder.h"

using namespace brindle;
using namespace brindle::gui::test;
using brindle::test::DatBuilder;
using brindle::test::RecordPlan;
namespace fs = std::filesystem;

namespace {

// Alice's file before its first sync, after it (records 11 and 12 carry the service's ids),
// and now, with a record added in Palm Desktop since.
std::string AliceFirst() {
  return DatBuilder()
      .Record(RecordPlan(11, 0).Text(17, "Ada"))
      .Record(RecordPlan(12, 0).Text(17, "Alan"))
      .Record(RecordPlan(13, 0).Text(17, "Grace"))
      .EndMarker()
      .Bytes();
}
std::string AliceSynced() {
  return DatBuilder()
      .Record(RecordPlan(11, 0).Text(17, "Ada").Status(2).Custom(9, "501"))
      .Record(RecordPlan(12, 0).Text(17, "Alan").Status(2).Custom(9, "502"))
      .Record(RecordPlan(13, 0).Text(17, "Grace"))
      .EndMarker()
      .Bytes();
}
std::string AliceNow() {
  return DatBuilder()
      .Record(RecordPlan(11, 0).Text(17, "Ada").Status(2).Custom(9, "501"))
      .Record(RecordPlan(12, 0).Text(17, "Alan").Status(2).Custom(9, "502"))
      .Record(RecordPlan(13, 0).Text(17, "Grace"))
      .Record(RecordPlan(14, 0).Text(17, "Edsger"))
      .EndMarker()
      .Bytes();
}
std::string BobFile(int records) {
  DatBuilder file;
  for (int i = 0; i < records; ++i) file.Record(RecordPlan(20 + i, 0).Text(17, "Bob"));
  return file.EndMarker().Bytes();
}

}  // namespace

// One row of the list as it reads: reason, records, file.
using Row = QStringList;
Q_DECLARE_METATYPE(std::vector<Row>)

class BackupsWindowTest : public QObject {
  Q_OBJECT

 public slots:
  // Stands for the system's file manager (QDesktopServices::setUrlHandler).
  void opened(const QUrl& url) { opened_.push_back(url); }

 private:
  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<BoxWatcher> boxes_;
  std::unique_ptr<backups_view::BackupsWindow> window_;
  std::vector<QUrl> opened_;

  fs::path Folder() const { return fs::path(folder_->path().toStdU16String()); }
  fs::path Alice() const { return Folder() / "Palm" / "alice" / "address.dat"; }
  fs::path Bob() const { return Folder() / "Palm" / "bob" / "address.dat"; }
  fs::path BackupsFolder() const { return Folder() / "backups"; }

  // What a Brindle run does to a file: replaces it, keeping the old one in the backups.
  static void Replace(const fs::path& programFolder, const fs::path& file, const std::string& bytes,
                      const std::string& reason) {
    platform::Backups backups(programFolder / "backups");
    platform::FileReplacement replacement(file, backups);
    const platform::FileReplacement::Copy copy = replacement.Write();
    std::fwrite(bytes.data(), 1, bytes.size(), copy.stream);
    QVERIFY(platform::SyncFile(copy.stream));
    std::fclose(copy.stream);
    static_cast<void>(replacement.Commit(reason));
  }

  void NameInConfiguration(const std::optional<fs::path>& file) {
    std::ofstream conf(Folder() / "Brindle.conf", std::ios::binary);
    conf << (file ? platform::TextFromPath(*file) : "") << "\r\n2\r\nalice\r\nsecret\r\n";
  }

  void Open() {
    window_ = std::make_unique<backups_view::BackupsWindow>(Folder());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  template <class W>
  W* Find(const char* name) {
    return window_->findChild<W*>(name);
  }
  QTableWidget* Table() { return Find<QTableWidget>("versions"); }

  std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (int row = 0; row < Table()->rowCount(); ++row) {
      rows.push_back({Table()->item(row, 1)->text(), Table()->item(row, 2)->text(),
                      Table()->item(row, 4)->text()});
    }
    return rows;
  }

  void ClickRow(int row) {
    const QPoint centre = Table()->visualItemRect(Table()->item(row, 0)).center();
    QTest::mouseClick(Table()->viewport(), Qt::LeftButton, {}, centre);
    QVERIFY(Table()->item(row, 0)->isSelected());
  }

  void Click(const char* name) {
    auto* button = Find<QPushButton>(name);
    QVERIFY2(button->isVisible() && button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
  }

  // Restores the version in `row`, answering the question with `answer`; returns its text.
  QString RestoreRow(int row, QMessageBox::StandardButton answer) {
    ClickRow(row);
    const std::size_t seen = boxes_->Seen().size();
    boxes_->Queue(answer);
    Click("restore");
    if (boxes_->Seen().size() <= seen) return {};
    return boxes_->Seen()[seen].text;
  }

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/brindle-backups-XXXXXX");
    QVERIFY(folder_->isValid());
    fs::create_directories(Alice().parent_path());
    fs::create_directories(Bob().parent_path());
    brindle::test::WriteFileBytes(Alice(), AliceFirst());
    brindle::test::WriteFileBytes(Bob(), BobFile(2));
    Replace(Folder(), Alice(), AliceSynced(), "writeback");
    Replace(Folder(), Bob(), BobFile(3), "writeback");
    Replace(Folder(), Alice(), AliceNow(), "load");
    // A backup an earlier Brindle made, which did not record its file.
    brindle::test::WriteFileBytes(BackupsFolder() / "address-2026-01-01T00-00-00.000-load.dat",
                                  BobFile(5));
    boxes_ = std::make_unique<BoxWatcher>();
    opened_.clear();
    QDesktopServices::setUrlHandler("file", this, "opened");
  }

  void cleanup() {
    QDesktopServices::unsetUrlHandler("file");
    window_.reset();
    boxes_.reset();
    folder_.reset();
  }

  void listsOnlyTheConfiguredFilesVersionsNewestFirst_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<std::vector<Row>>("rows");
    QTest::addColumn<QString>("heading");
    const Row unknown{"before a load", "5", "file unknown"};
    QTest::newRow("alice") << "alice"
                           << std::vector<Row>{{"before a load", "3", "this file"},
                                               {"before a write-back of the service's ids", "3",
                                                "this file"},
                                               unknown}
                           << "Kept versions of ";
    QTest::newRow("bob") << "bob"
                         << std::vector<Row>{{"before a write-back of the service's ids", "2",
                                              "this file"},
                                             unknown}
                         << "Kept versions of ";
    QTest::newRow("no file saved") << "" << std::vector<Row>{} << "names no address file";
  }

  void listsOnlyTheConfiguredFilesVersionsNewestFirst() {
    QFETCH(QString, user);
    QFETCH(std::vector<Row>, rows);
    QFETCH(QString, heading);
    NameInConfiguration(
        user.isEmpty() ? std::nullopt
                       : std::optional(Folder() / "Palm" / user.toStdString() / "address.dat"));
    Open();
    QCOMPARE(window_->windowTitle(), QString("Brindle backups"));
    QCOMPARE(Rows(), rows);
    QVERIFY2(Find<QLabel>("heading")->text().contains(heading),
             qPrintable(Find<QLabel>("heading")->text()));
    QVERIFY(!Find<QPushButton>("restore")->isEnabled());  // nothing chosen yet
    if (user == "alice") Screenshot(*window_, "backups");

    Click("openFolder");
    QCOMPARE(opened_.size(), std::size_t{1});
    QCOMPARE(fs::path(opened_[0].toLocalFile().toStdU16String()), BackupsFolder());
    Click("close");
    QVERIFY(!window_->isVisible());
  }

  void restoreAskedThenUndoneByRestoringTheKeptFile() {
    NameInConfiguration(Alice());
    Open();
    // Answered No: nothing changes.
    QString question = RestoreRow(1, QMessageBox::No);
    QCOMPARE(brindle::test::ReadFileBytes(Alice()), AliceNow());
    QCOMPARE(Rows().size(), std::size_t{3});

    boxes_->ScreenshotNext("backups-question");
    question = RestoreRow(1, QMessageBox::Yes);
    QVERIFY2(question.contains(QString::fromStdU16String(Alice().u16string())),
             qPrintable(question));
    QVERIFY2(question.contains("before a write-back of the service's ids"), qPrintable(question));
    QVERIFY2(question.contains("2 record(s) now carry a service id"), qPrintable(question));
    QVERIFY2(question.contains("next SYNC adds their contacts to the service again"),
             qPrintable(question));
    QVERIFY2(question.contains("Palm Desktop must be closed"), qPrintable(question));
    QCOMPARE(boxes_->Seen().back().title, QString("Restored"));
    QCOMPARE(brindle::test::ReadFileBytes(Alice()), AliceFirst());
    QCOMPARE(Rows().front(), (Row{"before a restore", "4", "this file"}));
    QCOMPARE(Rows().size(), std::size_t{4});
    QCOMPARE(brindle::test::ReadFileBytes(Bob()), BobFile(3));

    // Undo: the file as it was before the restore is the newest version.
    question = RestoreRow(0, QMessageBox::Yes);
    QVERIFY2(question.contains("No record loses a service id"), qPrintable(question));
    QCOMPARE(brindle::test::ReadFileBytes(Alice()), AliceNow());
  }

  void refusedWhileABrindleRunHoldsTheFile() {
    NameInConfiguration(Alice());
    Open();
    const platform::FileLock run(Alice());  // a load or a SYNC working on the file
    const QString text = RestoreRow(1, QMessageBox::Yes);
    QCOMPARE(boxes_->Seen().size(), std::size_t{1});  // refused: no question asked
    QCOMPARE(boxes_->Seen()[0].title, QString("File in use"));
    QVERIFY2(text.contains("A Brindle run is working on"), qPrintable(text));
    QCOMPARE(brindle::test::ReadFileBytes(Alice()), AliceNow());
    QCOMPARE(Rows().size(), std::size_t{3});
  }
};

QTEST_MAIN(BackupsWindowTest)
#include "backups_window_test.moc"
