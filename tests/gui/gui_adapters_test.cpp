// The desktop adapters on their own: text conversion, twips, message boxes, the file dialog
// and the event pump, with real Qt widgets on the offscreen platform.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>

#include "platform/code_page.h"
#include "qt_event_pump.h"
#include "qt_file_dialog.h"
#include "qt_message_box.h"
#include "text_codec.h"
#include "twips.h"

using namespace brindle;
using namespace brindle::gui;

namespace {

// Answers the next modal message box from inside its event loop, after letting `inspect`
// look at it.
void AnswerNextBox(QMessageBox::StandardButton button,
                   std::function<void(QMessageBox*)> inspect = {}) {
  QTimer::singleShot(0, [button, inspect] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(box != nullptr);
    if (inspect) inspect(box);
    QTest::mouseClick(box->button(button), Qt::LeftButton);
  });
}

}  // namespace

class GuiAdaptersTest : public QObject {
  Q_OBJECT

 private slots:
  void cp1252RoundTripsEveryByte() {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const QString text = FromCodePage(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text[0x80], QChar(0x20AC));  // euro sign
    QCOMPARE(text[0x9F], QChar(0x0178));  // Y with diaeresis
    QCOMPARE(text[0xE9], QChar(0x00E9));
    QCOMPARE(ToCodePage(text), all);
  }

  // The view's conversions are the platform codec's; Qt's own converter for the same code page
  // is the second opinion on every byte and on typed characters outside the code page. On
  // Windows that code page is the system's ANSI one, which Qt knows as its System encoding
  // (Qt for Windows built without ICU has no converter by name).
  void cp1252AgreesWithQtsConverter() {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
#ifdef Q_OS_WIN
    const auto codePage = QStringConverter::System;
#else
    const char* codePage = "windows-1252";
#endif
    QStringDecoder decoder(codePage, QStringConverter::Flag::Stateless);
    QVERIFY(decoder.isValid());
    const QString qt = decoder.decode(QByteArrayView(all.data(), all.size()));
    const QString ours = FromCodePage(all);
    for (int b = 0; b < 256; ++b) QCOMPARE(ours[b], qt[b]);
    QCOMPARE(QString::fromStdString(platform::CodePageToUtf8(all)), ours);
    const QString typed = QString::fromUtf8("\xC5\xA0koda \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\xA6");
    QStringEncoder encoder(codePage, QStringConverter::Flag::Stateless);
    const QByteArray qtBytes = encoder.encode(typed);
    QCOMPARE(QByteArray::fromStdString(ToCodePage(typed)).toHex(), qtBytes.toHex());
    QCOMPARE(ToCodePage(typed), platform::Utf8ToCodePage(typed.toUtf8().toStdString()));
  }

  void unencodableCharactersBecomeQuestionMarks() {
    // A snowman and an emoji (a surrogate pair) have no byte; the rest survives.
    const QString typed =
        QString::fromUtf8("M\xC3\xBCller \xE2\x98\x83 \xF0\x9F\x98\x80 \xE2\x82\xAC");
    QCOMPARE(ToCodePage(typed), std::string("M\xFCller ? ? \x80"));
  }

  void twipsFollowTheScreenResolution() {
    const TwipsScale classic(96, 96);
    QCOMPARE(classic.X(1440), 96);
    QCOMPARE(classic.Y(6975), 465);
    const TwipsScale large(144, 120);
    QCOMPARE(large.X(1440), 144);
    QCOMPARE(large.Y(1440), 120);
    // Neighbours placed edge to edge stay edge to edge whatever the rounding.
    const QRect left = large.Rect(120, 230, 1065, 315);
    const QRect right = large.Rect(1185, 230, 1065, 315);
    QCOMPARE(left.right() + 1, right.left());
  }

  void messageBoxShowsTitleTextButtonsAndIcon() {
    QtMessageBox boxes;
    AnswerNextBox(QMessageBox::Ok, [](QMessageBox* box) {
      QCOMPARE(box->windowTitle(), QString("Error"));
      QCOMPARE(box->text(), QString::fromUtf8("12030 Caf\xC3\xA9 not reached"));
      QCOMPARE(box->icon(), QMessageBox::Critical);
      QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    });
    QCOMPARE(boxes.Show("12030 Caf\xE9 not reached", "Error", platform::MsgButtons::OK,
                        platform::MsgIcon::Critical),
             platform::MsgAnswer::OK);

    AnswerNextBox(QMessageBox::No, [](QMessageBox* box) {
      QCOMPARE(box->icon(), QMessageBox::NoIcon);
      QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    });
    QCOMPARE(boxes.Show("Run it?", "Pre-configuration...", platform::MsgButtons::YesNo,
                        platform::MsgIcon::None),
             platform::MsgAnswer::No);
    AnswerNextBox(QMessageBox::Yes);
    QCOMPARE(boxes.Show("Run it?", "Pre-configuration...", platform::MsgButtons::YesNo,
                        platform::MsgIcon::None),
             platform::MsgAnswer::Yes);
  }

  void fileDialogFilterIsTranslated() {
    QCOMPARE(QtFileDialog::QtFilter("*.dat | *.dat"), QString("*.dat (*.dat)"));
    QCOMPARE(QtFileDialog::QtFilter("Address files|*.dat;*.DAT|All|*.*"),
             QString("Address files (*.dat *.DAT);;All (*.*)"));
  }

  void fileDialogStartsInTheFolderOfThePath() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString palm = dir.filePath("Palm");
    QVERIFY(QDir().mkpath(palm));
    const QString existing = palm + "/address.dat";
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QCOMPARE(QtFileDialog::StartFolder(existing), palm);
    QCOMPARE(QtFileDialog::StartFolder(palm), palm);
    QCOMPARE(QtFileDialog::StartFolder(palm + "/gone/deeper/address.dat"), palm);
  }

  // An empty path box opens Palm Desktop's folder on Windows and the home folder elsewhere,
  // not the folder the program was started in.
  void fileDialogWithAnEmptyPathStartsInTheUsersFolder() {
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath("Palm/Owner/address")));
#ifdef Q_OS_WIN
    const char* variable = "ProgramFiles(x86)";
    const QString expected = QDir::toNativeSeparators(dir.filePath("Palm"));
#else
    const char* variable = "HOME";
    const QString expected = dir.path();
#endif
    const QByteArray saved = qgetenv(variable);
    qputenv(variable, QDir::toNativeSeparators(dir.path()).toLocal8Bit());
    const QString chosen = QDir::toNativeSeparators(QtFileDialog::StartFolder(""));
    qputenv(variable, saved);
    QCOMPARE(chosen, expected);
    QVERIFY(chosen != QDir::toNativeSeparators(QDir::currentPath()));
  }

  void fileDialogSeamAnswersWithoutADialog() {
    QTemporaryDir dir;
    QtFileDialog dialog;
    dialog.SetNextAnswer("/data/address.dat");
    const std::string folder = QDir::toNativeSeparators(dir.path()).toStdString();
    QCOMPARE(dialog.ShowOpen(folder + "/address.dat", "*.dat | *.dat"),
             std::string("/data/address.dat"));
    QCOMPARE(dialog.LastStartFolder(), dir.path());
    QCOMPARE(dialog.LastFilter(), QString("*.dat (*.dat)"));
  }

  void eventPumpRunsWindowEventsAndTransfers() {
    std::chrono::milliseconds slice{0};
    QtEventPump pump([&](std::chrono::milliseconds timeout) { slice = timeout; });
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    pump.DoEvents();
    QVERIFY(ran);
    QCOMPARE(slice, QtEventPump::kWaitSlice);

    QtEventPump windowOnly;
    ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    windowOnly.DoEvents();
    QVERIFY(ran);
  }
};

QTEST_MAIN(GuiAdaptersTest)
#include "gui_adapters_test.moc"
