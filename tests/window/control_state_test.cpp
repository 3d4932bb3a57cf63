// The control-state procedures, the layouts and the two windows.
#include "window_fixture.h"

namespace brindle::test {
namespace {

using platform::WindowId;

// The layouts' measures are in the scenario config_yes.
TEST_F(WindowTest, ConfigurationButtonLeavesTheShortLayout) {
  // A saved configuration whose address file is gone: the short layout, then a failed load
  // that leaves the list and the load button locked.
  WriteConf((dir / "gone.dat").string() + "\r\n2\r\nu\r\np\r\n");
  messageBox.QueueAnswer(platform::MsgAnswer::Yes);
  StartAndShow();
  FrmBrindle& w = Window();
  ASSERT_FALSE(w.categoryList().enabled());
  const int shortHeight = w.height();
  const int shortStatusTop = w.control(names::frStatus).top();
  ASSERT_TRUE(w.Click(names::btnConfig));
  // The window grows to make room for the panels that were hidden above the status.
  EXPECT_GT(w.height(), shortHeight);
  EXPECT_GT(w.control(names::frStatus).top(), shortStatusTop);
  EXPECT_GT(w.control(names::frStatus).top(), w.control(names::frInformation).top());
  for (const Control* panel : w.controls()) {
    if (panel->kind() != ControlKind::Frame) continue;
    EXPECT_EQ(panel->visible(), panel != &w.control(names::frConfig)) << panel->name();
  }
  EXPECT_TRUE(w.categoryList().enabled());
  EXPECT_TRUE(w.control(names::btnLoad).enabled());
}

TEST_F(WindowTest, EveryChangeReachesTheListenerOnce) {
  FrmBrindle& w = Window();
  w.Form_Load();
  std::vector<std::string> changes;
  w.AddChangeListener([&](const std::string& what) { changes.push_back(what); });
  w.Type(names::txtFile, "a");  // its change handler enables Load
  w.Type(names::txtFile, "b");  // Load is enabled already: no change
  w.Type(names::txtFile, "b");  // the same text: no change
  w.Click(names::Command1);     // the warning closes, the main window shows
  EXPECT_EQ(changes,
            (std::vector<std::string>{"txtFile", "btnLoad", "txtFile", "Form1", "frmBrindle"}));
}

TEST_F(WindowTest, NoIsNotRunningShowsTheMainWindowAndYesEndsTheProgram) {
  FrmBrindle& w = Window();
  w.Form_Load();
  EXPECT_TRUE(w.shown(WindowId::Form1));
  EXPECT_FALSE(w.shown(WindowId::Main));
  w.Click(names::Command1);
  EXPECT_FALSE(w.shown(WindowId::Form1));
  EXPECT_TRUE(w.shown(WindowId::Main));
  EXPECT_EQ(windowing.calls().back(), "show frmBrindle");
  EXPECT_EQ(w.focus(), "txtFile");
  EXPECT_FALSE(w.ended());
}

TEST_F(WindowTest, YesItIsRunningClosesBothWindowsAfterTheCleanUp) {
  FrmBrindle& w = Window();
  w.Form_Load();
  WriteFileBytes(Tmp("address.bkp"), "old");
  w.Click(names::Command2);
  EXPECT_TRUE(w.ended());
  EXPECT_FALSE(w.shown(WindowId::Form1));
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.bkp")));
  EXPECT_EQ(itc.cancelCount(), 1);
  EXPECT_EQ(windowing.calls().back(), "close frmBrindle");
}

TEST_F(WindowTest, FocusSkipsHiddenAndDisabledControlsAndRunsLostFocus) {
  FrmBrindle& w = Window();
  w.Form_Load();
  w.Click(names::Command1);
  EXPECT_FALSE(w.SetFocus("btnLoad"));   // disabled: nothing typed yet
  EXPECT_FALSE(w.SetFocus("btnExit2"));  // hidden
  w.Type(names::txtAuth_login, "tarn, wick");
  ASSERT_TRUE(w.SetFocus("txtAuth_login"));
  ASSERT_TRUE(w.SetFocus("txtAuth_pass"));
  EXPECT_EQ(Conf(), "\r\n\r\ntarn, wick\r\n\r\n");
}

}  // namespace
}  // namespace brindle::test
