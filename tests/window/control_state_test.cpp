// The control-state procedures, the layouts and the two windows.
#include "window_fixture.h"

namespace brindle::test {
namespace {

using platform::WindowId;

TEST_F(WindowTest, SetOnRestoresTheCaptionButLeavesSyncDisabled) {
  FrmBrindle& w = Window();
  w.btnExt_export.SetText("Processing, wait the end!");
  w.btnExt_export.SetEnabled(false);
  w.SetOff();
  w.SetOn();
  EXPECT_EQ(w.btnExt_export.text(), "SYNC");
  EXPECT_FALSE(w.btnExt_export.enabled());
  for (const char* name : {"btnExit", "btnConfig", "txtFile", "btnFile", "btnLoad", "lstCategory",
                           "btnExt_markall", "txtAuth_login", "txtAuth_pass"}) {
    EXPECT_TRUE(w.Find(name)->enabled()) << name;
  }
}

TEST_F(WindowTest, SetOffLeavesSyncAlone) {
  FrmBrindle& w = Window();
  w.SetOff();
  EXPECT_TRUE(w.btnExt_export.enabled());
  EXPECT_FALSE(w.txtAuth_pass.enabled());
  EXPECT_FALSE(w.btnExit.enabled());
}

TEST_F(WindowTest, ClearStatusEmptiesOnlyTheSixValues) {
  FrmBrindle& w = Window();
  for (Control* value : {&w.lblCSV_Status, &w.lblAuth_Status, &w.lblUP_Status, &w.lblSRV_Status,
                         &w.lblDOWN_Status, &w.lblDAT_Status}) {
    value->SetText("x");
  }
  w.Clear_Status();
  for (Control* value : {&w.lblCSV_Status, &w.lblAuth_Status, &w.lblUP_Status, &w.lblSRV_Status,
                         &w.lblDOWN_Status, &w.lblDAT_Status}) {
    EXPECT_EQ(value->text(), "") << value->name();
  }
  EXPECT_EQ(w.lslStatus_CSV.text(), "Exporting Data:");
  EXPECT_EQ(w.lblStatus_DAT.text(), "Local Status:");
}

// The layouts' measures are in the scenario config_yes.
TEST_F(WindowTest, ConfigurationButtonLeavesTheShortLayout) {
  FrmBrindle& w = Window();
  w.ShortLayout();
  w.SetOff();
  const int shortHeight = w.height();
  const int shortStatusTop = w.frStatus.top();
  w.btnConfig_Click();
  // The window grows to make room for the panels that were hidden above the status.
  EXPECT_GT(w.height(), shortHeight);
  EXPECT_GT(w.frStatus.top(), shortStatusTop);
  EXPECT_GT(w.frStatus.top(), w.frInformation.top());
  for (const Control* panel : w.panels()) {
    EXPECT_EQ(panel->visible(), panel != &w.frConfig) << panel->name();
  }
  EXPECT_TRUE(w.lstCategory.enabled());
  EXPECT_TRUE(w.btnLoad.enabled());
}

TEST_F(WindowTest, EveryChangeReachesTheListenerOnce) {
  FrmBrindle& w = Window();
  std::vector<std::string> changes;
  w.AddChangeListener([&](const std::string& what) { changes.push_back(what); });
  w.btnLoad.SetEnabled(false);  // already disabled: no change
  w.btnLoad.SetEnabled(true);
  w.lblNum_reg.SetText("12");
  w.SetHeight(5000);
  EXPECT_EQ(changes, (std::vector<std::string>{"btnLoad", "lblNum_reg", "frmBrindle"}));
}

TEST_F(WindowTest, NoIsNotRunningShowsTheMainWindowAndYesEndsTheProgram) {
  FrmBrindle& w = Window();
  w.Form_Load();
  EXPECT_TRUE(w.shown(WindowId::Form1));
  EXPECT_FALSE(w.shown(WindowId::Main));
  w.form1.Command1_Click();
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
  w.form1.Command2_Click();
  EXPECT_TRUE(w.ended());
  EXPECT_FALSE(w.shown(WindowId::Form1));
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.bkp")));
  EXPECT_EQ(itc.cancelCount(), 1);
  EXPECT_EQ(windowing.calls().back(), "close frmBrindle");
}

TEST_F(WindowTest, FocusSkipsHiddenAndDisabledControlsAndRunsLostFocus) {
  FrmBrindle& w = Window();
  w.Form_Load();
  w.form1.Command1_Click();
  EXPECT_FALSE(w.SetFocus("btnLoad"));   // disabled: nothing typed yet
  EXPECT_FALSE(w.SetFocus("btnExit2"));  // hidden
  w.TypeText(w.txtAuth_login, "tarn, wick");
  ASSERT_TRUE(w.SetFocus("txtAuth_login"));
  ASSERT_TRUE(w.SetFocus("txtAuth_pass"));
  EXPECT_EQ(Conf(), "\r\n\r\ntarn, wick\r\n\r\n");
}

}  // namespace
}  // namespace brindle::test
