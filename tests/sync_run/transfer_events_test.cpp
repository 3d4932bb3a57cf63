// The transfer controls' state changes as the window turns them into status lines, replies
// and error boxes.
#include "sync_fixture.h"

namespace brindle::test {
namespace {

class TransferEventsTest : public SyncTest {
 protected:
  // The window as the export run hands it to the sync run: locked, SYNC disabled.
  void LockedByAnExport() {
    Prepare();
    Window().SetHandOver([](const ExportedFile&) {});
    Window().btnExt_export_Click();
    ASSERT_FALSE(Window().control(names::txtFile).enabled());
  }
};

TEST_F(TransferEventsTest, FtpProgressGoesToTheLineOfTheMode) {
  FrmBrindle& w = Window();
  const std::vector<std::pair<int, const char*>> up = {{1, "Connecting To Host!"},
                                                       {3, "Connecting To Host!"},
                                                       {4, "Uploading Data... Wait a moment!"},
                                                       {8, "Uploading Data... Wait a moment!"},
                                                       {9, "Disconnecting"},
                                                       {10, "Data sent!"},
                                                       {12, "Data sent!"},
                                                       {0, "Data sent!"}};
  w.syncRun().SetFtpMode(FtpMode::Up);
  for (const auto& [state, text] : up) {
    itc.Raise(state);
    EXPECT_EQ(w.control(names::lblUP_Status).text(), text) << state;
  }
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(), "");

  w.syncRun().SetFtpMode(FtpMode::Down);
  itc.Raise(2);
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(), "Connecting To Host!");
  itc.Raise(7);
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(), "Downloading Data... Wait a moment!");
  itc.Raise(10);
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(), "Data received!");
  EXPECT_EQ(w.control(names::lblUP_Status).text(), "Data sent!");
}

TEST_F(TransferEventsTest, FtpEventsWithoutAModeChangeNothing) {
  FrmBrindle& w = Window();
  itc.QueueScript(FtpFailure(550, "x"));
  itc.ExecuteCommand("GET \"a\" \"b\"");
  for (int state : {1, 4, 10, 11}) itc.Raise(state);
  EXPECT_EQ(w.control(names::lblUP_Status).text(), "");
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(), "");
  EXPECT_TRUE(messageBox.shown().empty());
}

TEST_F(TransferEventsTest, FtpErrorsAreShownInACriticalBox) {
  LockedByAnExport();
  FrmBrindle& w = Window();
  ASSERT_FALSE(w.control(names::btnExt_export).enabled());
  w.syncRun().SetFtpMode(FtpMode::Down);
  itc.Raise(7);  // "Downloading Data... Wait a moment!"
  itc.QueueScript(FtpFailure(550, "No such file or directory."));
  itc.ExecuteCommand("GET \"a\" \"b\"");
  itc.Raise(11);
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text, "550 No such file or directory.");
  EXPECT_EQ(messageBox.shown()[0].title, "Error");
  EXPECT_EQ(messageBox.shown()[0].buttons, platform::MsgButtons::OK);
  EXPECT_EQ(messageBox.shown()[0].icon, platform::MsgIcon::Critical);
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(), "Downloading Data... Wait a moment!");
  EXPECT_TRUE(w.control(names::txtFile).enabled());  // SetOn ran
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
}

TEST_F(TransferEventsTest, LostConnectionSaysNotConnected) {
  FrmBrindle& w = Window();
  w.syncRun().SetFtpMode(FtpMode::Up);
  itc.QueueScript(FtpFailure(platform::kErrorCannotConnect, "Connection refused"));
  itc.ExecuteCommand("PUT \"a\" \"b\"");
  itc.Raise(11);
  EXPECT_EQ(w.control(names::lblUP_Status).text(), "Not Connected");
  EXPECT_EQ(itc.cancelCount(), 1);
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text.rfind("12030 ", 0), 0u);
}

TEST_F(TransferEventsTest, ErrorEightySevenIsSilent) {
  LockedByAnExport();
  FrmBrindle& w = Window();
  w.syncRun().SetFtpMode(FtpMode::Up);
  itc.QueueScript(FtpFailure(87, "The parameter is incorrect."));
  itc.ExecuteCommand("PUT \"a\" \"b\"");
  itc.Raise(11);
  EXPECT_TRUE(messageBox.shown().empty());
  EXPECT_EQ(w.control(names::lblUP_Status).text(), "");
  EXPECT_FALSE(w.control(names::txtFile).enabled());
}

TEST_F(TransferEventsTest, HttpReplyIsTheFirst512BytesAtResponseComplete) {
  FrmBrindle& w = Window();
  itc2.QueueScript(HttpReply(std::string(600, 'x')));
  itc2.Execute("http://web.test/", "");
  for (int state : {1, 4, 8, 11}) itc2.Raise(state);
  EXPECT_EQ(w.syncRun().lastReply(), "");  // only the completed response counts
  itc2.Raise(12);
  EXPECT_EQ(w.syncRun().lastReply(), std::string(512, 'x'));
}

TEST_F(TransferEventsTest, FreeMeansNotExecuting) {
  FrmBrindle& w = Window();
  EXPECT_TRUE(w.syncRun().ITC_Free());
  EXPECT_TRUE(w.syncRun().ITC2_Free());
  itc.QueueScript(FtpDone());
  itc.ExecuteCommand("DELETE \"a\"");
  EXPECT_FALSE(w.syncRun().ITC_Free());
  EXPECT_TRUE(w.syncRun().ITC2_Free());
  while (itc.DeliverNext()) {
  }
  EXPECT_TRUE(w.syncRun().ITC_Free());
}

TEST_F(TransferEventsTest, ExitCleanUpAfterAFinishedRunLeavesOnlyWhatItShould) {
  Prepare();
  ScriptSuccess("101,1\n\n102,2\n\n", 0);
  FrmBrindle& w = Window();
  w.btnExt_export_Click();
  ASSERT_EQ(w.control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_TRUE(std::filesystem::exists(Tmp("address.bkp")));
  const int cancels = itc.cancelCount();
  w.CloseMain();
  EXPECT_EQ(itc.cancelCount(), cancels + 1);
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.bkp")));
  EXPECT_TRUE(std::filesystem::exists(Tmp("")));
  EXPECT_TRUE(std::filesystem::exists(dir / "prog" / "Brindle.conf"));
  EXPECT_EQ(ReadStates(datPath()).at(101).status, 2);
}

}  // namespace
}  // namespace brindle::test
