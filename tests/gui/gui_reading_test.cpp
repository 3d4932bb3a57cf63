// The windows as a user who reads them closely, zooms them or does not see them reads them:
// every text whole inside its frame and window, every control named for assistive technology,
// the focus visiting the controls in reading order and every button pressed from the keyboard.
// ctest runs the text checks at 100 %, at 200 % (QT_SCALE_FACTOR=2) and with a larger font
// (QT_FONT_DPI=144).
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "desktop_program.h"
#include "gui_harness.h"
#include "support/dat_builder.h"

using namespace brindle;
using namespace brindle::gui;
using namespace brindle::gui::test;
namespace fs = std::filesystem;

namespace {

QRect OnWindow(const QWidget* widget) {
  return QRect(widget->mapTo(widget->window(), QPoint()), widget->size());
}

QString CaptionOf(const QWidget* widget) {
  if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (const auto* box = qobject_cast<const QGroupBox*>(widget)) return box->title();
  return {};
}

// Read after: on a later row (starting below the middle of the other), or further right on
// the same row.
bool ReadAfter(const QWidget* later, const QWidget* earlier) {
  const QRect a = OnWindow(earlier);
  const QRect b = OnWindow(later);
  return b.top() > a.center().y() || (b.top() < a.bottom() && b.left() > a.left());
}

}  // namespace

class GuiReadingTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> folder_;
  std::unique_ptr<DesktopProgram> program_;
  std::unique_ptr<BoxWatcher> boxes_;
  QFont desktopFont_;

  fs::path Folder() const { return fs::path(folder_->path().toStdU16String()); }
  fs::path DatPath() const { return Folder() / "Palm" / "address.dat"; }
  FormWidget& Main() { return program_->View().MainWindow(); }
  FormWidget& Alert() { return program_->View().AlertWindow(); }
  QWidget* Find(const char* name) { return Main().Control(name); }

  void StartProgram(bool savedSettings) {
    if (savedSettings) {
      std::ofstream conf(Folder() / "Brindle.conf", std::ios::binary);
      conf << DatPath().string() << "\r\n1\r\ndemo\r\ndemo\r\n";
      boxes_->Queue(QMessageBox::Yes);  // the short layout
    }
    program_ = std::make_unique<DesktopProgram>(Folder(), DefaultServiceConfig());
    program_->View().onEnded = [] {};
    program_->StartSoon();
    QTRY_VERIFY(Alert().isVisible());
  }

  // Every label shows its whole text: within its own place at its font, inside its frame,
  // inside the window, and not under a frame that lies on top of its own.
  void CheckLabelsFit(FormWidget& form, const char* layout) {
    const QList<QWidget*> stacked = form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QLabel* label : form.findChildren<QLabel*>()) {
      if (!label->isVisibleTo(&form) || label->text().isEmpty()) continue;
      const QString what = QStringLiteral("%1 in %2: \"%3\"")
                               .arg(label->objectName(), QLatin1String(layout), label->text());
      const QRect room = label->contentsRect();
      const int flags = (label->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine) |
                        Qt::AlignLeft | Qt::AlignTop;
      const QRect text = QFontMetrics(label->font()).boundingRect(room, flags, label->text());
      QVERIFY2(text.width() <= room.width() && text.height() <= room.height(),
               qPrintable(QStringLiteral("%1 needs %2x%3, has %4x%5")
                              .arg(what)
                              .arg(text.width())
                              .arg(text.height())
                              .arg(room.width())
                              .arg(room.height())));
      const QWidget* frame = label->parentWidget();
      QVERIFY2(frame->rect().contains(label->geometry()), qPrintable(what));
      QVERIFY2(form.rect().contains(OnWindow(label)), qPrintable(what));
      for (qsizetype i = stacked.indexOf(const_cast<QWidget*>(frame)) + 1;
           frame != &form && i < stacked.size(); ++i) {
        if (!stacked[i]->isVisibleTo(&form)) continue;
        QVERIFY2(!OnWindow(stacked[i]).intersects(OnWindow(label)),
                 qPrintable(what + " under " + stacked[i]->objectName()));
      }
    }
  }

  // Every control that can be seen has a name and a description; a text field or a value
  // beside a caption ending in ":" is named after that caption, a field with no label beside
  // it after its frame.
  void CheckNames(FormWidget& form) {
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    QVERIFY(window != nullptr);
    int named = 0;
    for (int i = 0; i < window->childCount(); ++i) {
      QAccessibleInterface* frame = window->child(i);
      for (int j = -1; j < frame->childCount(); ++j) {
        QAccessibleInterface* item = j < 0 ? frame : frame->child(j);
        auto* widget = qobject_cast<QWidget*>(item->object());
        if (widget == nullptr || form.Control(widget->objectName()) != widget) continue;
        if (item->state().invisible) continue;
        ++named;
        const QString name = item->text(QAccessible::Name);
        QVERIFY2(!name.isEmpty(), qPrintable(widget->objectName()));
        QVERIFY2(!item->text(QAccessible::Description).isEmpty(), qPrintable(name));
        const QWidget* caption = CaptionBeside(form, widget);
        if (caption != nullptr) QCOMPARE(name, CaptionOf(caption));
        if (qobject_cast<QLabel*>(widget) && caption != nullptr) {
          QCOMPARE(item->text(QAccessible::Value), CaptionOf(widget));
        }
      }
    }
    int visible = 0;
    for (const QWidget* widget : form.Controls()) visible += widget->isVisibleTo(&form) ? 1 : 0;
    QCOMPARE(named, visible);
  }

  // The caption a field or value is read under: the control nearest to its left on its row
  // when that is a label ending in ":", or for a text field without one, its frame.
  static const QWidget* CaptionBeside(FormWidget& form, const QWidget* widget) {
    const bool field = qobject_cast<const QLineEdit*>(widget) != nullptr;
    if (!field && qobject_cast<const QLabel*>(widget) == nullptr) return nullptr;
    const QRect mine = OnWindow(widget);
    const QWidget* nearest = nullptr;
    for (const QWidget* other : form.Controls()) {
      const QRect place = OnWindow(other);
      if (other == widget || !other->isVisibleTo(&form) || place.right() > mine.left() ||
          place.bottom() < mine.center().y() || place.top() > mine.center().y()) {
        continue;
      }
      if (nearest == nullptr || place.right() > OnWindow(nearest).right()) nearest = other;
    }
    if (qobject_cast<const QLabel*>(nearest) && CaptionOf(nearest).endsWith(':')) return nearest;
    return field ? widget->parentWidget() : nullptr;
  }

  // One round of Tab from the focused control visits every control the user can reach, each
  // once, in reading order.
  void CheckTabOrder(FormWidget& form) {
    QList<QWidget*> reachable;
    for (QWidget* widget : form.Controls()) {
      if (widget->isVisibleTo(&form) && widget->isEnabled() &&
          (widget->focusPolicy() & Qt::TabFocus))
        reachable << widget;
    }
    QWidget* first = QApplication::focusWidget();
    QVERIFY(first != nullptr && reachable.contains(first));
    QList<QWidget*> visited{first};
    for (int i = 0; i < 2 * reachable.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      if (QApplication::focusWidget() == first) break;
      visited << QApplication::focusWidget();
    }
    QCOMPARE(visited.size(), reachable.size());
    // Around the round, only the step from the last control back to the first goes backwards.
    int backwards = 0;
    for (qsizetype i = 0; i < visited.size(); ++i) {
      backwards += ReadAfter(visited[(i + 1) % visited.size()], visited[i]) ? 0 : 1;
    }
    QCOMPARE(backwards, 1);
  }

  // Tabs to a control and presses a key there.
  void Press(FormWidget& form, const char* name, Qt::Key key) {
    QWidget* target = form.Control(name);
    for (int i = 0; i < 20 && QApplication::focusWidget() != target; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, key);
  }

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/brindle-XXXXXX");
    QVERIFY(folder_->isValid());
    fs::create_directories(DatPath().parent_path());
    std::ofstream(DatPath(), std::ios::binary) << brindle::test::DatBuilder()
                                                      .Category(1, "Business")
                                                      .Category(2, "Personal")
                                                      .Record(brindle::test::RecordPlan(11, 1))
                                                      .EndMarker()
                                                      .Bytes();
    boxes_ = std::make_unique<BoxWatcher>();
  }

  void initTestCase() { desktopFont_ = QApplication::font(); }

  void cleanup() {
    program_.reset();
    QApplication::setFont(desktopFont_);
    boxes_.reset();
    folder_.reset();
  }

  void everyLabelFitsInEveryLayout_data() {
    // A wide font stands for the fonts another system puts in place of the usual ones.
    QTest::addColumn<bool>("savedSettings");
    QTest::addColumn<QString>("family");
    QTest::newRow("first start") << false << QString();
    QTest::newRow("saved settings, then Configuration") << true << QString();
    QTest::newRow("first start, wide font") << false << QString("DejaVu Serif");
    QTest::newRow("saved settings, wide font") << true << QString("DejaVu Serif");
  }

  void everyLabelFitsInEveryLayout() {
    QFETCH(bool, savedSettings);
    QFETCH(QString, family);
    if (!family.isEmpty() && !QFontDatabase::hasFamily(family)) QSKIP("the wide font is missing");
    if (!family.isEmpty()) QApplication::setFont(QFont(family));
    StartProgram(savedSettings);
    // A setting that did not reach the program would check the plain window once more. (Qt
    // turns a font resolution above the usual 96 into a larger device pixel ratio.)
    QCOMPARE(Alert().devicePixelRatioF(), qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble() *
                                              qEnvironmentVariable("QT_FONT_DPI", "96").toDouble() /
                                              96);
    CheckLabelsFit(Alert(), "the warning");
    QTest::mouseClick(Alert().Control("Command1"), Qt::LeftButton);
    QTRY_VERIFY(Main().isActiveWindow());
    if (savedSettings) {
      QTRY_COMPARE(Main().ControlAs<QListWidget>("lstCategory")->count(), 3);
      CheckLabelsFit(Main(), "the short layout");
      QTest::mouseClick(Find("btnConfig"), Qt::LeftButton);
    }
    CheckLabelsFit(Main(), savedSettings ? "the Configuration layout" : "the full layout");
    if (savedSettings && family.isEmpty() && Main().devicePixelRatioF() > 1.0) {
      Screenshot(
          Main(),
          QStringLiteral("main-at-%1-percent").arg(qRound(Main().devicePixelRatioF() * 100)));
    }
  }

  void namesTabOrderAndKeyboardButtons() {
    StartProgram(false);
    CheckNames(Alert());
    Alert().Control("Command2")->setFocus(Qt::OtherFocusReason);
    CheckTabOrder(Alert());
    Press(Alert(), "Command1", Qt::Key_Return);  // "No, is  not running"
    QTRY_VERIFY(Main().isActiveWindow());

    program_->FileDialog().SetNextAnswer(DatPath().string());
    Press(Main(), "btnFile", Qt::Key_Space);
    QCOMPARE(program_->FileDialog().LastFilter(), QString("*.dat (*.dat)"));
    Press(Main(), "btnLoad", Qt::Key_Return);
    QCOMPARE(Main().ControlAs<QListWidget>("lstCategory")->count(), 3);
    Press(Main(), "btnExt_markall", Qt::Key_Space);
    QCOMPARE(CaptionOf(Find("lblExt_num_selected")), QString("3"));
    CheckNames(Main());
    CheckTabOrder(Main());
  }
};

int main(int argc, char** argv) {
  TakeQtSettingsFromWine();
  QApplication application(argc, argv);
#ifdef Q_OS_WIN
  // The offscreen platform knows no desktop font on Windows; under Wine the desktop's is
  // Tahoma.
  QApplication::setFont(QFont("Tahoma"));
#endif
  GuiReadingTest test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}
#include "gui_reading_test.moc"
