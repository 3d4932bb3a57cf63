// The desktop program driven the way a user drives it: real widgets, real
// clicks and keys, real message boxes, a real rookery-dev on loopback. Each
// test starts the program afresh in its own program folder.
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

#include "address_file/dat_input.h"
#include "address_file/dat_reader.h"
#include "desktop_program.h"
#include "gui_harness.h"
#include "platform/file_lock.h"
#include "platform/utf8_path.h"
#include "support/dat_builder.h"

using namespace brindle;
using namespace brindle::gui;
using namespace brindle::gui::test;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Three categories (one named in Windows-1252), records in each and one
// unfiled.
std::string SampleAddressFile() {
  return brindle::test::DatBuilder()
      .Category(1, "Business")
      .Category(2, "Personal")
      .Category(5, "Caf\xE9")
      .Record(brindle::test::RecordPlan(11, 1).Text(17, "Ada").Text(18, "Lovelace"))
      .Record(brindle::test::RecordPlan(12, 2).Text(17, "Alan").Text(18, "Turing"))
      .Record(brindle::test::RecordPlan(13, 5).Text(17, "Ren\xE9").Text(18, "Descartes"))
      .Record(brindle::test::RecordPlan(14, 0).Text(17, "Grace").Text(18, "Hopper"))
      .EndMarker()
      .Bytes();
}

struct RecordState {
  std::int32_t status;
  std::string custom9;
};

std::map<std::int32_t, RecordState> RecordsOf(const fs::path& path) {
  DatInput in(path);
  DatReader reader;
  const DatHeader header = reader.ReadHeader(in);
  std::map<std::int32_t, RecordState> records;
  ForEachRecord(reader, in, header.recordCount, [&](const DatRecord& record, std::int64_t) {
    records[record.recordId] = {record.status, record.custom9};
  });
  return records;
}

// A failure as the user meets it: the window's text stays what it always was, and the cause
// behind it names what really happened.
enum class Fault { MissingFile, ReadOnlyFile, HeldByAnotherRun, ServiceDown, FtpRefused, UnsafeId };

struct FailureCase {
  const char* name;
  Fault fault;
  const char* statusLine;  // the status line the failure writes; nullptr: it shows a box
  const char* windowText;  // the box's or the status line's text, exactly
  // Parts of the cause; {dat}, {log}, {web} and {ftp} stand for the test's own file, run log
  // and hosts.
  std::vector<const char*> cause;
};

const std::vector<FailureCase>& FailureCases() {
  static const std::vector<FailureCase> cases = {
      {"missing file", Fault::MissingFile, nullptr, "Palm Desktop address.dat file Problem!",
       {"{dat} does not exist\n\nRun log: {log}"}},
      {"read-only file", Fault::ReadOnlyFile, nullptr, "Palm Desktop address.dat file Problem!",
       {"{dat} is read-only", "Run log: {log}"}},
      {"held by another run", Fault::HeldByAnotherRun, nullptr,
       "Palm Desktop address.dat file Problem!",
       {"{dat} is in use by another Brindle run", "then press Load File again", "Run log: {log}"}},
      {"service down", Fault::ServiceDown, "lblAuth_Status",
       "Error... You have to enter with a valid USERNAME/PASSWORD!",
       {"nothing answered at {web}: connection refused", "password were not checked"}},
      {"FTP login refused", Fault::FtpRefused, nullptr, "530 Authentication failed.",
       {"the upload of 4_csv.tmp failed: the server at {ftp} replied 530 Authentication failed.",
        "Run log: {log}"}},
      {"unsafe id in the result", Fault::UnsafeId, "lblDOWN_Status",
       "Download error, check your connection and try again!",
       {"database identifier holds byte 0x1B", "for record 11"}},
  };
  return cases;
}

bool NeedsService(Fault fault) { return fault == Fault::FtpRefused || fault == Fault::UnsafeId; }

bool FailsTheLoad(Fault fault) {
  return fault == Fault::MissingFile || fault == Fault::ReadOnlyFile ||
         fault == Fault::HeldByAnotherRun;
}

}  // namespace

class GuiWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<DesktopProgram> program_;
  std::unique_ptr<BoxWatcher> boxes_;
  RookeryDev service_;
  bool ended_ = false;

  fs::path Folder() const { return fs::path(folder_->path().toStdString()); }
  fs::path DatPath() const { return Folder() / "Palm" / "address.dat"; }
  FormWidget& Main() { return program_->View().MainWindow(); }
  FormWidget& Alert() { return program_->View().AlertWindow(); }
  template <class W = QWidget>
  W* Find(const char* name) {
    W* widget = Main().ControlAs<W>(name);
    if (widget == nullptr) widget = Alert().ControlAs<W>(name);
    return widget;
  }
  QString Text(const char* name) {
    if (auto* label = Find<QLabel>(name)) return label->text();
    if (auto* button = Find<QPushButton>(name)) return button->text();
    if (auto* edit = Find<QLineEdit>(name)) return edit->text();
    return Find<QGroupBox>(name)->title();
  }
  bool Shown(const char* name) { return Find(name)->isVisibleTo(Find(name)->window()); }

  // Starts the program against the running service, or against hosts that
  // refuse.
  void StartProgram(const QString& webHost, const QString& ftpHost,
                    const std::string& ftpPassword = DefaultServiceConfig().ftpPassword) {
    ServiceConfig service = DefaultServiceConfig();
    service.webHost = webHost.toStdString();
    service.ftpHost = ftpHost.toStdString();
    service.ftpPassword = ftpPassword;
    program_ = std::make_unique<DesktopProgram>(Folder(), service);
    program_->View().onEnded = [this] { ended_ = true; };
    program_->StartSoon();
    QTRY_VERIFY(Alert().isVisible());
  }

  void Click(const char* name) {
    QWidget* widget = Find(name);
    QVERIFY2(widget->isVisible() && widget->isEnabled(), name);
    QTest::mouseClick(widget, Qt::LeftButton);
  }

  void ClickEntry(int row) {
    auto* list = Find<QListWidget>("lstCategory");
    list->scrollToItem(list->item(row));
    const QPoint centre = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
  }

  void Type(const char* name, const QString& text) {
    QWidget* field = Find(name);
    QTest::mouseClick(field, Qt::LeftButton);  // focus by mouse, as a user would
    QTest::keyClicks(field, text);
  }

  // Answers the warning "No, is  not running" and waits for the main window to
  // be active.
  void AnswerNotRunning() {
    Click("Command1");
    QTRY_VERIFY(Main().isVisible());
    QTRY_VERIFY(Main().isActiveWindow());
    QVERIFY(!Alert().isVisible());
  }

  void WriteConfiguration(const std::string& categories) {
    std::ofstream conf(Folder() / "Brindle.conf", std::ios::binary);
    conf << DatPath().string() << "\r\n" << categories << "\r\ndemo\r\ndemo\r\n";
  }

  void AddFailureCases(bool withService) {
    QTest::addColumn<int>("row");
    for (std::size_t row = 0; row < FailureCases().size(); ++row) {
      const FailureCase& c = FailureCases()[row];
      if (NeedsService(c.fault) == withService) QTest::newRow(c.name) << static_cast<int>(row);
    }
  }

  // Brings the failure about as a user would meet it, then reads the window's text and the
  // cause behind it: a box's details, or a status line's tooltip and accessible description.
  void ShowsItsTextAndCause() {
    QFETCH(int, row);
    const FailureCase& c = FailureCases()[static_cast<std::size_t>(row)];
    if (NeedsService(c.fault)) QVERIFY(service_.Start({"--fault", "bad_id=esc"}));
    const QString refused = RefusedHost();
    QVERIFY(!refused.isEmpty());
    const QString web = NeedsService(c.fault) ? service_.WebHost() : refused;
    const QString ftp = NeedsService(c.fault) ? service_.FtpHost() : refused;
    std::optional<platform::FileLock> held;
    if (c.fault == Fault::MissingFile) fs::remove(DatPath());
    if (c.fault == Fault::ReadOnlyFile) {
      fs::permissions(DatPath(), fs::perms::owner_write, fs::perm_options::remove);
    }
    if (c.fault == Fault::HeldByAnotherRun) held.emplace(DatPath());
    if (!FailsTheLoad(c.fault)) {
      WriteConfiguration("1");
      boxes_->Queue(QMessageBox::No);  // the saved settings' question: the full layout
    }
    StartProgram(web, ftp,
                 c.fault == Fault::FtpRefused ? "not the password"
                                              : DefaultServiceConfig().ftpPassword);
    AnswerNotRunning();
    if (FailsTheLoad(c.fault)) {
      Type("txtFile", QString::fromStdString(platform::Utf8FromPath(DatPath())));
      Click("btnLoad");
    } else {
      QTRY_COMPARE(Find<QListWidget>("lstCategory")->count(), 4);
      Click("btnExt_export");  // returns once the run has ended
    }

    QString details;
    if (c.statusLine != nullptr) {
      QCOMPARE(Text(c.statusLine), QString(c.windowText));
      details = Find(c.statusLine)->toolTip();
      QCOMPARE(Find(c.statusLine)->accessibleDescription(), details);
    } else {
      QTRY_VERIFY(!boxes_->Seen().empty());
      const SeenBox& box = boxes_->Seen().back();
      QCOMPARE(box.text, QString(c.windowText));
      QCOMPARE(box.title, QString(FailsTheLoad(c.fault) ? "File Path Error" : "Error"));
      QCOMPARE(box.icon, FailsTheLoad(c.fault) ? QMessageBox::NoIcon : QMessageBox::Critical);
      QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
      details = box.details;
    }
    const auto own = [&](QString part) {
      return part.replace("{dat}", QString::fromStdString(platform::Utf8FromPath(DatPath())))
          .replace("{log}",
                   QString::fromStdString(platform::Utf8FromPath(Folder() / "Brindle.log")))
          .replace("{web}", web)
          .replace("{ftp}", ftp);
    };
    for (const char* part : c.cause) {
      QVERIFY2(details.contains(own(QString::fromUtf8(part))), qPrintable(details));
    }
  }

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/brindle-XXXXXX");
    QVERIFY(folder_->isValid());
    fs::create_directories(DatPath().parent_path());
    std::ofstream(DatPath(), std::ios::binary) << SampleAddressFile();
    boxes_ = std::make_unique<BoxWatcher>();
    ended_ = false;
  }

  void cleanup() {
    program_.reset();
    boxes_.reset();
    service_.Stop();
    folder_.reset();
  }

  void firstStartBrowseLoadSelectAndSync() {
    QVERIFY(service_.Start({"--delay", "200"}));
    StartProgram(service_.WebHost(), service_.FtpHost());
    QCOMPARE(Alert().windowTitle(), QString("Alert"));
    QVERIFY(!Main().isVisible());
    QVERIFY(boxes_->Seen().empty());  // no saved configuration: no question
    Screenshot(Alert(), "alert");
    AnswerNotRunning();
    QCOMPARE(Main().windowTitle(),
             QString("BRINDLE version 4.c.9 - For Palm Desktop 4.1.4 (new users)"));
    QVERIFY(!Find("btnLoad")->isEnabled());
    QVERIFY(!Find("btnExt_export")->isEnabled());
    Screenshot(Main(), "main-first-start");

    // Browse: the dialog starts in the folder of the path box and puts the
    // choice in it.
    program_->FileDialog().SetNextAnswer(DatPath().string());
    Click("btnFile");
    QCOMPARE(program_->FileDialog().LastFilter(), QString("*.dat (*.dat)"));
    QCOMPARE(Text("txtFile"), QString::fromStdString(DatPath().string()));
    QVERIFY(Find("btnLoad")->isEnabled());
    QCOMPARE(QApplication::focusWidget(), Find("btnLoad"));

    // Load: the waiting notice is on screen before the file is read.
    bool noticeShownBeforeRead = false;
    program_->View().onRepainted = [&](const std::string& control) {
      if (control != "lblStatus_File") return;
      noticeShownBeforeRead = Shown("lblStatus_File") && Find("lblStatus_File")->isVisible() &&
                              Text("lblStatus_File") == "Reading .DAT file. Wait a momment..." &&
                              Find<QListWidget>("lstCategory")->count() == 0;
    };
    Click("btnLoad");
    QVERIFY(noticeShownBeforeRead);
    QVERIFY(!Shown("lblStatus_File"));
    auto* list = Find<QListWidget>("lstCategory");
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->item(2)->text(), QString::fromUtf8("Caf\xC3\xA9"));
    QCOMPARE(list->item(3)->text(), QString("Unfiled"));
    QCOMPARE(Text("lblNum_cat"), QString("4"));
    QCOMPARE(Text("lblNum_reg"), QString("4"));

    // One category by a click (a click toggles), one by the keyboard; then user
    // and password.
    ClickEntry(0);
    QCOMPARE(Text("lblExt_num_selected"), QString("1"));
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(list->selectedItems().size(), 2);
    QVERIFY(list->item(2)->isSelected());
    QCOMPARE(Text("lblExt_num_selected"), QString("2"));
    Type("txtAuth_login", "demo");
    Type("txtAuth_pass", "demo");
    QCOMPARE(Find<QLineEdit>("txtAuth_pass")->echoMode(), QLineEdit::Password);
    QVERIFY(Find("btnExt_export")->isEnabled());
    Screenshot(Main(), "main-ready");

    const auto before = RecordsOf(DatPath());
    Click("btnExt_export");
    QTRY_COMPARE_WITH_TIMEOUT(Text("lblDAT_Status"), QString("Process finished..."), 60000);
    QVERIFY(Shown("btnExit2"));
    QVERIFY(!Find("btnExt_export")->isEnabled());
    QCOMPARE(Text("lblCSV_Status"), QString("Wrote 2 register(s)!"));
    QVERIFY(boxes_->Seen().empty());
    Screenshot(Main(), "main-sync-finished");

    // Records of the two chosen categories now carry the service's ids; the
    // others do not.
    const auto after = RecordsOf(DatPath());
    QCOMPARE(after.at(11).status, 2);
    QCOMPARE(after.at(13).status, 2);
    // The service numbers its contacts: each record has an id of its own.
    const auto isId = [](const std::string& id) {
      return !id.empty() && id.find_first_not_of("0123456789") == std::string::npos;
    };
    QVERIFY(isId(after.at(11).custom9));
    QVERIFY(isId(after.at(13).custom9));
    QVERIFY(after.at(11).custom9 != after.at(13).custom9);
    QCOMPARE(after.at(12).custom9, before.at(12).custom9);
    QCOMPARE(after.at(14).custom9, before.at(14).custom9);

    Click("btnExit2");
    QVERIFY(ended_);
    QVERIFY(!Main().isVisible());
    QVERIFY(!fs::exists(Folder() / "tmp" / "address.bkp"));
  }

  void savedConfigurationAnsweredYesThenConfiguration() {
    WriteConfiguration("2 0");
    boxes_->Queue(QMessageBox::Yes);
    boxes_->ScreenshotNext("question-box");
    StartProgram("127.0.0.1:9", "127.0.0.1:9");
    QTRY_COMPARE(boxes_->Seen().size(), std::size_t{1});
    const SeenBox& question = boxes_->Seen()[0];
    QCOMPARE(question.title, QString("Pre-configuration..."));
    QCOMPARE(question.text,
             QString("There is a pre-configuration saved. Do you wish to execute it?"));
    QCOMPARE(question.icon, QMessageBox::NoIcon);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);

    // Activation loads the saved file and selects the saved categories, in the
    // short layout.
    AnswerNotRunning();
    auto* list = Find<QListWidget>("lstCategory");
    QTRY_COMPARE(list->count(), 4);
    QVERIFY(list->item(1)->isSelected());
    QVERIFY(list->item(3)->isSelected());
    for (const char* panel : {"frFile", "frExport", "frAuth"}) QVERIFY2(!Shown(panel), panel);
    for (const char* panel : {"frInformation", "frStatus", "frConfig"}) {
      QVERIFY2(Shown(panel), panel);
    }
    QCOMPARE(Find("frInformation")->y(), 0);
    const int shortHeight = Main().height();
    QVERIFY(Find("btnExt_export")->isEnabled());
    Screenshot(Main(), "main-short-layout");

    Click("btnConfig");
    for (const char* panel : {"frFile", "frInformation", "frExport", "frAuth", "frStatus"}) {
      QVERIFY2(Shown(panel), panel);
    }
    QVERIFY(!Shown("frConfig"));
    QVERIFY(Main().height() > shortHeight);
    QVERIFY(Find("frInformation")->y() > 0);
    // Nothing the user needs lies under the panels that moved up.
    const QRect info = Find("frInformation")->geometry();
    for (const char* control : {"txtFile", "btnFile", "btnLoad"}) {
      const QRect place(Find(control)->mapTo(&Main(), QPoint()), Find(control)->size());
      QVERIFY2(!place.intersects(info), control);
    }
    QCOMPARE(Text("txtAuth_login"), QString("demo"));
    Screenshot(Main(), "main-configuration-layout");

    // Coming back to the window from another program does not load the file again.
    int loads = 0;
    program_->View().onRepainted = [&](const std::string& control) {
      if (control == "lblStatus_File") ++loads;
    };
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QTRY_VERIFY(elsewhere.isActiveWindow());
    Main().activateWindow();
    QTRY_VERIFY(Main().isActiveWindow());
    QCOMPARE(loads, 0);
  }

  void closingTheWarningEndsTheProgram() {
    StartProgram("127.0.0.1:9", "127.0.0.1:9");
    Alert().close();  // its close box: no answer given
    QVERIFY(ended_);
    QVERIFY(!Alert().isVisible());
    QVERIFY(!Main().isVisible());
  }

  void ftpErrorShowsTheCriticalBox() {
    // The web pages answer, but nothing listens where the FTP account should
    // be.
    QVERIFY(service_.Start());
    const QString refused = RefusedHost();
    QVERIFY(!refused.isEmpty());
    WriteConfiguration("1");
    boxes_->Queue(QMessageBox::No);  // full layout
    StartProgram(service_.WebHost(), refused);
    AnswerNotRunning();
    QTRY_COMPARE(Find<QListWidget>("lstCategory")->count(), 4);
    const std::string original = ReadAll(DatPath());

    // The run goes on after the box, polling for an import that cannot come;
    // once the box has been answered and the window unlocked, the user gives up
    // and closes the window.
    QTimer watcher;
    watcher.setInterval(20);
    connect(&watcher, &QTimer::timeout, this, [&] {
      if (boxes_->Seen().size() < 2 || !Find("btnExt_export")->isEnabled()) return;
      watcher.stop();
      QCOMPARE(Text("lblUP_Status"), QString("Not Connected"));
      Main().close();
    });
    watcher.start();
    boxes_->ScreenshotNext("ftp-error-box");
    Click("btnExt_export");
    QTRY_VERIFY(ended_);
    QCOMPARE(boxes_->Seen().size(), std::size_t{2});
    const SeenBox& error = boxes_->Seen().back();
    QCOMPARE(error.title, QString("Error"));
    QCOMPARE(error.icon, QMessageBox::Critical);
    QCOMPARE(error.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY2(error.text.startsWith("12030 "), qPrintable(error.text));
    QCOMPARE(ReadAll(DatPath()), original);
  }

  void causesOfFilesAndAServiceDown_data() { AddFailureCases(false); }
  void causesOfFilesAndAServiceDown() { ShowsItsTextAndCause(); }
  void causesFromTheService_data() { AddFailureCases(true); }
  void causesFromTheService() { ShowsItsTextAndCause(); }

  void closedMidRunIsFinishedByTheNextRun() {
    // The user closes the window while the service has imported the contacts and the run has
    // not yet fetched the result; the next SYNC must finish that run first.
    QVERIFY(service_.Start({"--delay", "200"}));
    const fs::path data(service_.DataDir().toStdU16String());
    WriteConfiguration("1 2");
    boxes_->Queue(QMessageBox::No);
    StartProgram(service_.WebHost(), service_.FtpHost());
    AnswerNotRunning();
    QTRY_COMPARE(Find<QListWidget>("lstCategory")->count(), 4);
    const std::string original = ReadAll(DatPath());
    const auto resultMade = [&] {
      for (const auto& entry : fs::directory_iterator(data / "ftp")) {
        if (entry.path().extension() == ".out") return true;
      }
      return false;
    };
    QTimer closer;
    closer.setInterval(10);
    connect(&closer, &QTimer::timeout, this, [&] {
      if (Text("lblSRV_Status").startsWith("Server processing") && resultMade()) {
        closer.stop();
        Screenshot(Main(), "main-sync-waiting");
        Main().close();  // what the window's close box does
      }
    });
    closer.start();
    Click("btnExt_export");  // returns once the run has given up
    QVERIFY(ended_);
    QVERIFY(!Main().isVisible());
    QCOMPARE(ReadAll(DatPath()), original);
    QVERIFY(!fs::exists(Folder() / "tmp" / "address.bkp"));
    QVERIFY(!fs::exists(Folder() / "tmp" / "address.dat"));
    const auto journals = [&] {
      int n = 0;
      for (const auto& entry : fs::directory_iterator(Folder())) {
        n += entry.path().filename().string().rfind("sync-journal-", 0) == 0 ? 1 : 0;
      }
      return n;
    };
    QCOMPARE(journals(), 1);

    program_.reset();
    ended_ = false;
    boxes_->Queue(QMessageBox::No);
    StartProgram(service_.WebHost(), service_.FtpHost());
    std::vector<std::string> serviceLines;
    program_->Model().AddChangeListener([&](const std::string& what) {
      if (what == names::lblSRV_Status) {
        serviceLines.push_back(program_->Model().control(names::lblSRV_Status).text());
      }
    });
    AnswerNotRunning();
    QTRY_COMPARE(Find<QListWidget>("lstCategory")->count(), 4);
    Click("btnExt_export");
    QTRY_COMPARE_WITH_TIMEOUT(Text("lblDAT_Status"), QString("Process finished..."), 60000);
    QVERIFY(std::find(serviceLines.begin(), serviceLines.end(), "Interrupted sync finished!") !=
            serviceLines.end());
    for (const SeenBox& box : boxes_->Seen()) QVERIFY(box.title != "Interrupted sync");
    QCOMPARE(journals(), 0);
    QVERIFY2(!resultMade(), "a result is left on the service");
    int withIds = 0;
    std::set<std::string> ids;
    for (const auto& [id, record] : RecordsOf(DatPath())) {
      if (record.status != 2) continue;
      ++withIds;
      ids.insert(record.custom9);
    }
    QCOMPARE(QStringLiteral("Wrote %1 register(s)!").arg(withIds), Text("lblCSV_Status"));
    QVERIFY(withIds > 0);
    QCOMPARE(static_cast<int>(ids.size()), withIds);  // one contact of the service each
  }
};

QTEST_MAIN(GuiWindowTest)
#include "gui_window_test.moc"
