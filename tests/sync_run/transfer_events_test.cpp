// The transfer controls' state changes as the sync run turns them into status lines, replies
// and error boxes. The status line FTP progress goes to is the run's own choice for each of
// its transfers, so these tests drive a sync run of their own, with a host that records what
// the window would be told; the window's part is its exit clean-up.
#include <fstream>
#include <map>

#include "platform/backups.h"
#include "platform/file_lock.h"
#include "sync_fixture.h"

namespace brindle::test {
namespace {

// The window as the sync run sees it, recorded.
class RecordingHost final : public SyncRunHost {
 public:
  void SetStatus(StatusLine line, const std::string& text) override { status[line] = text; }
  void ControlsOn() override { controlsOn = true; }
  void EnableSync(bool enabled) override { syncEnabled = enabled; }
  void ShowFinished() override {}
  void FocusLogin() override {}
  std::string Login() const override { return "demo"; }
  std::string Password() const override { return "demo"; }
  void Diagnose(const std::string&) override {}
  std::string FailureDetails(const std::string& cause) const override { return cause; }
  void LogStep(const std::string&) override {}
  bool WindowClosed() const override { return false; }

  std::map<StatusLine, std::string> status;
  bool controlsOn = false;   // locked, as the export run hands over
  bool syncEnabled = false;  // SYNC disabled meanwhile
};

class TransferEventsTest : public ::testing::Test, protected PlatformDoubles {
 protected:
  std::string Line(StatusLine line) { return host.status[line]; }

  TempDir dir;
  platform::Backups backups{dir / "backups"};
  DatReader datReader;
  ServiceConfig service = DefaultServiceConfig();
  RecordingHost host;
  SyncRun run{SyncRunParts{.itc = itc,
                           .itc2 = itc2,
                           .eventPump = pump,
                           .messageBox = messageBox,
                           .files = files,
                           .backups = backups,
                           .datReader = datReader,
                           .service = service,
                           .programFolder = dir.path()},
              host};
};

TEST_F(TransferEventsTest, FtpProgressGoesToTheLineOfTheMode) {
  const std::vector<std::pair<int, const char*>> up = {{1, "Connecting To Host!"},
                                                       {3, "Connecting To Host!"},
                                                       {4, "Uploading Data... Wait a moment!"},
                                                       {8, "Uploading Data... Wait a moment!"},
                                                       {9, "Disconnecting"},
                                                       {10, "Data sent!"},
                                                       {12, "Data sent!"},
                                                       {0, "Data sent!"}};
  run.SetFtpMode(FtpMode::Up);
  for (const auto& [state, text] : up) {
    itc.Raise(state);
    EXPECT_EQ(Line(StatusLine::Upload), text) << state;
  }
  EXPECT_EQ(Line(StatusLine::Download), "");

  run.SetFtpMode(FtpMode::Down);
  itc.Raise(2);
  EXPECT_EQ(Line(StatusLine::Download), "Connecting To Host!");
  itc.Raise(7);
  EXPECT_EQ(Line(StatusLine::Download), "Downloading Data... Wait a moment!");
  itc.Raise(10);
  EXPECT_EQ(Line(StatusLine::Download), "Data received!");
  EXPECT_EQ(Line(StatusLine::Upload), "Data sent!");
}

TEST_F(TransferEventsTest, FtpErrorsAreShownInACriticalBox) {
  run.SetFtpMode(FtpMode::Down);
  itc.Raise(7);  // "Downloading Data... Wait a moment!"
  itc.QueueScript(FtpFailure(550, "No such file or directory."));
  itc.ExecuteCommand("GET \"a\" \"b\"");
  itc.Raise(11);
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text, "550 No such file or directory.");
  EXPECT_EQ(messageBox.shown()[0].title, "Error");
  EXPECT_EQ(messageBox.shown()[0].buttons, platform::MsgButtons::OK);
  EXPECT_EQ(messageBox.shown()[0].icon, platform::MsgIcon::Critical);
  EXPECT_EQ(Line(StatusLine::Download), "Downloading Data... Wait a moment!");
  EXPECT_TRUE(host.controlsOn);  // SetOn ran
  EXPECT_TRUE(host.syncEnabled);
}

TEST_F(TransferEventsTest, LostConnectionSaysNotConnected) {
  run.SetFtpMode(FtpMode::Up);
  itc.QueueScript(FtpFailure(platform::kErrorCannotConnect, "Connection refused"));
  itc.ExecuteCommand("PUT \"a\" \"b\"");
  itc.Raise(11);
  EXPECT_EQ(Line(StatusLine::Upload), "Not Connected");
  EXPECT_EQ(itc.cancelCount(), 1);
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text.rfind("12030 ", 0), 0u);
}

TEST_F(TransferEventsTest, ErrorEightySevenIsSilent) {
  run.SetFtpMode(FtpMode::Up);
  itc.QueueScript(FtpFailure(87, "The parameter is incorrect."));
  itc.ExecuteCommand("PUT \"a\" \"b\"");
  itc.Raise(11);
  EXPECT_TRUE(messageBox.shown().empty());
  EXPECT_EQ(Line(StatusLine::Upload), "");
  EXPECT_FALSE(host.controlsOn);
}

TEST_F(TransferEventsTest, HttpReplyIsTheFirst512BytesAtResponseComplete) {
  itc2.QueueScript(HttpReply(std::string(600, 'x')));
  itc2.Execute("http://web.test/", "");
  for (int state : {1, 4, 8, 11}) itc2.Raise(state);
  EXPECT_EQ(run.lastReply(), "");  // only the completed response counts
  itc2.Raise(12);
  EXPECT_EQ(run.lastReply(), std::string(512, 'x'));
}

TEST_F(TransferEventsTest, FreeMeansNotExecuting) {
  EXPECT_TRUE(run.ITC_Free());
  EXPECT_TRUE(run.ITC2_Free());
  itc.QueueScript(FtpDone());
  itc.ExecuteCommand("DELETE \"a\"");
  EXPECT_FALSE(run.ITC_Free());
  EXPECT_TRUE(run.ITC2_Free());
  while (itc.DeliverNext()) {
  }
  EXPECT_TRUE(run.ITC_Free());
}

// Whatever ends a run, the next one may begin: the window refuses a press of "SYNC" only
// while a run is running.
TEST_F(TransferEventsTest, ARunIsRunningOnlyUntilItEnds) {
  const std::vector<std::pair<const char*, TransferScript>> endings = {
      {"authentication refused", HttpReply("1")}, {"no connection", HttpFailure()}};
  const auto dat = dir.path() / "address.dat";
  std::ofstream(dat) << "x";
  const platform::FileLock lock(dat);
  for (const auto& [what, auth] : endings) {
    itc2.QueueScript(auth);
    bool runningMeanwhile = false;
    pump.onPump = [&] { runningMeanwhile |= run.running(); };
    run.SendFile(ExportedFile{.datPath = dat.string(),
                              .csvName = "5_csv.tmp",
                              .csvPath = dir.path() / "5_csv.tmp",
                              .lines = 1,
                              .recordIds = {101}},
                 lock);
    EXPECT_TRUE(runningMeanwhile) << what;
    EXPECT_FALSE(run.running()) << what;
    EXPECT_EQ(run.outcome().ending, RunEnding::Failed) << what;
  }
}

// The window's own part: FTP events outside a transfer of the run, and the exit clean-up.
class WindowTransferTest : public SyncTest {};

TEST_F(WindowTransferTest, FtpEventsWithoutAModeChangeNothing) {
  FrmBrindle& w = Window();
  itc.QueueScript(FtpFailure(550, "x"));
  itc.ExecuteCommand("GET \"a\" \"b\"");
  for (int state : {1, 4, 10, 11}) itc.Raise(state);
  EXPECT_EQ(w.control(names::lblUP_Status).text(), "");
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(), "");
  EXPECT_TRUE(messageBox.shown().empty());
}

TEST_F(WindowTransferTest, ExitCleanUpAfterAFinishedRunLeavesOnlyWhatItShould) {
  Prepare();
  ScriptSuccess("101,1\n\n102,2\n\n", 0);
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
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
