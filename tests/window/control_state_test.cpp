// The control-state procedures, the layouts and the two windows.
#include "window_fixture.h"

namespace brindle::test {
namespace {

using platform::WindowId;

TEST_F(WindowTest, SetOnRestoresTheCaptionButLeavesSyncDisabled) {
  FrmBrindle& w = Window();
  WindowSeam::Edit(w, names::btnExt_export).SetText("Processing, wait the end!");
  WindowSeam::Edit(w, names::btnExt_export).SetEnabled(false);
  WindowSeam::SetOff(w);
  WindowSeam::SetOn(w);
  EXPECT_EQ(w.control(names::btnExt_export).text(), "SYNC");
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  for (const char* name : {"btnExit", "btnConfig", "txtFile", "btnFile", "btnLoad", "lstCategory",
                           "btnExt_markall", "txtAuth_login", "txtAuth_pass"}) {
    EXPECT_TRUE(w.Find(name)->enabled()) << name;
  }
}

TEST_F(WindowTest, SetOffLeavesSyncAlone) {
  FrmBrindle& w = Window();
  WindowSeam::SetOff(w);
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_FALSE(w.control(names::txtAuth_pass).enabled());
  EXPECT_FALSE(w.control(names::btnExit).enabled());
}

TEST_F(WindowTest, ClearStatusEmptiesOnlyTheSixValues) {
  FrmBrindle& w = Window();
  const char* const values[] = {names::lblCSV_Status, names::lblAuth_Status, names::lblUP_Status,
                                names::lblSRV_Status, names::lblDOWN_Status, names::lblDAT_Status};
  for (const char* value : values) WindowSeam::Edit(w, value).SetText("x");
  WindowSeam::Clear_Status(w);
  for (const char* value : values) EXPECT_EQ(w.control(value).text(), "") << value;
  EXPECT_EQ(w.control(names::lslStatus_CSV).text(), "Exporting Data:");
  EXPECT_EQ(w.control(names::lblStatus_DAT).text(), "Local Status:");
}

// The layouts' measures are in the scenario config_yes.
TEST_F(WindowTest, ConfigurationButtonLeavesTheShortLayout) {
  FrmBrindle& w = Window();
  WindowSeam::ShortLayout(w);
  WindowSeam::SetOff(w);
  const int shortHeight = w.height();
  const int shortStatusTop = w.control(names::frStatus).top();
  w.btnConfig_Click();
  // The window grows to make room for the panels that were hidden above the status.
  EXPECT_GT(w.height(), shortHeight);
  EXPECT_GT(w.control(names::frStatus).top(), shortStatusTop);
  EXPECT_GT(w.control(names::frStatus).top(), w.control(names::frInformation).top());
  for (const Control* panel : w.panels()) {
    EXPECT_EQ(panel->visible(), panel != &w.control(names::frConfig)) << panel->name();
  }
  EXPECT_TRUE(w.categoryList().enabled());
  EXPECT_TRUE(w.control(names::btnLoad).enabled());
}

TEST_F(WindowTest, EveryChangeReachesTheListenerOnce) {
  FrmBrindle& w = Window();
  std::vector<std::string> changes;
  w.AddChangeListener([&](const std::string& what) { changes.push_back(what); });
  WindowSeam::Edit(w, names::btnLoad).SetEnabled(false);  // already disabled: no change
  WindowSeam::Edit(w, names::btnLoad).SetEnabled(true);
  WindowSeam::Edit(w, names::lblNum_reg).SetText("12");
  WindowSeam::SetHeight(w, 5000);
  EXPECT_EQ(changes, (std::vector<std::string>{"btnLoad", "lblNum_reg", "frmBrindle"}));
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
