// The sync run over scripted transfers: what it sends, what the user sees, what happens to
// the files, and how it ends.
#include <functional>
#include <utility>

#include "sync_fixture.h"

namespace brindle::test {
namespace {

constexpr const char* kAuth = "http://web.test:8080/rookery/csv_importer/ext_auth.php?";
constexpr const char* kImport = "http://web.test:8080/rookery/csv_importer/ext_input.php?";
constexpr const char* kVerify =
    "http://web.test:8080/rookery/csv_importer/ext_verify.php?name_file=5_csv.tmp";

TEST_F(SyncTest, FullRunRewritesTheAddressFileAndCleansUp) {
  Prepare("an na", "p&ss+#1 %");
  ScriptSuccess("101,5001\n\n102,5002\n\n", 2);
  FrmBrindle& w = Window();
  ASSERT_TRUE(w.SetFocus("btnExt_export"));  // pressing the button takes the focus
  w.Click(names::btnExt_export);

  // Every value reaches the service exactly as typed.
  ASSERT_EQ(Urls().size(), 6u);  // with the check for an earlier result before the upload
  EXPECT_EQ(Urls()[0], std::string(kAuth) + "login=an%20na&pass=p%26ss%2B%231%20%25");
  EXPECT_EQ(Urls()[1], kVerify);
  EXPECT_EQ(Urls()[2], std::string(kImport) + "category=an%20na&name_file=5_csv.tmp&version=9");
  EXPECT_EQ(Urls()[3], kVerify);
  EXPECT_EQ(itc2.requests()[3].operation, "GET");
  const std::string tmp = Tmp("").string();
  EXPECT_EQ(Commands(),
            (std::vector<std::string>{"PUT \"" + tmp + "5_csv.tmp\" \"5_csv.tmp\"",
                                      "GET \"5_csv.tmp.out\" \"" + tmp + "5_csv.tmp.out\"",
                                      "DELETE \"5_csv.tmp.out\""}));

  EXPECT_EQ(w.control(names::lblCSV_Status).text(), "Wrote 2 register(s)!");
  EXPECT_EQ(w.control(names::lblAuth_Status).text(), "Authentication OK...");
  EXPECT_EQ(w.control(names::lblUP_Status).text(), "Data sent!");
  EXPECT_EQ(w.control(names::lblSRV_Status).text(), "Output file was processed!");
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(), "Data received!");
  EXPECT_EQ(w.control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(w.control(names::btnExt_export).text(), "SYNC");
  EXPECT_TRUE(w.control(names::btnExit2).visible());
  EXPECT_TRUE(w.control(names::txtFile).enabled());
  EXPECT_EQ(w.focus(), "txtFile");
  EXPECT_TRUE(messageBox.shown().empty());

  const auto states = ReadStates(datPath());
  EXPECT_EQ(states.at(101).status, 2);
  EXPECT_EQ(states.at(101).custom9, "5001");
  EXPECT_EQ(states.at(102).status, 2);
  EXPECT_EQ(states.at(102).custom9, "5002");
  EXPECT_EQ(states.at(103).status, 0);
  EXPECT_EQ(states.at(105).custom9, "");
  for (const char* left : {"5_csv.tmp", "5_csv.tmp.out", "address.dat"}) {
    EXPECT_FALSE(std::filesystem::exists(Tmp(left))) << left;
  }

  // The next load empties the six status values and leaves their captions.
  w.Click(names::btnLoad);
  for (const char* value : {names::lblCSV_Status, names::lblAuth_Status, names::lblUP_Status,
                            names::lblSRV_Status, names::lblDOWN_Status, names::lblDAT_Status}) {
    EXPECT_EQ(w.control(value).text(), "") << value;
  }
  EXPECT_EQ(w.control(names::lslStatus_CSV).text(), "Exporting Data:");
  EXPECT_EQ(w.control(names::lblStatus_DAT).text(), "Local Status:");
}

TEST_F(SyncTest, VerifyRequestsArePacedAboutASecondApart) {
  Prepare();
  ScriptSuccess("101,1\n\n102,2\n\n", 3);
  std::vector<std::chrono::steady_clock::time_point> sent;
  auto download = onPump;
  onPump = [&] {
    download();
    if (itc2.requests().size() > sent.size()) sent.push_back(now);
  };
  Window().Click(names::btnExt_export);
  ASSERT_EQ(itc2.requests().size(), 7u);  // auth, earlier result, import, four verifies
  for (std::size_t i = 4; i < sent.size(); ++i) {
    EXPECT_GE(sent[i] - sent[i - 1], std::chrono::milliseconds(1000)) << i;
    // Each scripted verify itself takes 0.9 s of the fake clock (nine states, one per pump).
    EXPECT_LE(sent[i] - sent[i - 1], std::chrono::milliseconds(2000)) << i;
  }
  EXPECT_EQ(Window().control(names::lblDAT_Status).text(), "Process finished...");
}

struct AuthCase {
  const char* name;
  TransferScript reply;
  const char* status;
};

class SyncAuthTest : public SyncTest, public ::testing::WithParamInterface<AuthCase> {};

TEST_P(SyncAuthTest, RejectedAuthenticationTouchesNothing) {
  Prepare();
  itc2.QueueScript(GetParam().reply);
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  EXPECT_EQ(w.control(names::lblAuth_Status).text(), GetParam().status);
  EXPECT_TRUE(itc.requests().empty());
  EXPECT_EQ(itc2.requests().size(), 1u);
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_TRUE(w.control(names::txtAuth_login).enabled());
  EXPECT_EQ(w.focus(), "txtAuth_login");
  EXPECT_FALSE(w.control(names::btnExit2).visible());
  EXPECT_EQ(w.control(names::lblCSV_Status).text(), "Wrote 2 register(s)!");
  for (const Control* later :
       {&w.control(names::lblUP_Status), &w.control(names::lblSRV_Status),
        &w.control(names::lblDOWN_Status), &w.control(names::lblDAT_Status)}) {
    EXPECT_EQ(later->text(), "") << later->name();
  }
  EXPECT_EQ(ReadFileBytes(datPath()), original);

  // The exit clean-up removes the load's backup but keeps the export file this run left.
  w.CloseMain();
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.bkp")));
  EXPECT_TRUE(std::filesystem::exists(Tmp("5_csv.tmp")));
  EXPECT_TRUE(std::filesystem::exists(dir / "prog" / "Brindle.conf"));
  EXPECT_EQ(ReadFileBytes(datPath()), original);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SyncAuthTest,
    ::testing::Values(AuthCase{"Wrong", HttpReply("2"),
                               "Error... You have to enter with a valid USERNAME/PASSWORD!"},
                      AuthCase{"NoPalmLevel", HttpReply("1"),
                               "Error... You have to enter with a USERNAME with PALM Level!"},
                      AuthCase{"NoReply", HttpFailure(),
                               "Error... You have to enter with a valid USERNAME/PASSWORD!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SyncTest, AnyOtherAuthenticationNumberGoesOnSilently) {
  Prepare();
  RunScript run;
  run.auth = HttpReply("7");
  run.importReply = "1";
  run.result = "101,1\n\n102,2\n\n";
  Script(run);
  Window().Click(names::btnExt_export);
  EXPECT_EQ(Window().control(names::lblAuth_Status).text(), "Verifying the Authentication...");
  EXPECT_EQ(Window().control(names::lblDAT_Status).text(), "Process finished...");
}

TEST_F(SyncTest, AReplyThatIsNotANumberEndsTheRunAsAnOutputProblem) {
  Prepare();
  itc2.QueueScript(HttpReply("<html>Internal error</html>"));
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  EXPECT_EQ(w.control(names::lblCSV_Status).text(),
            "Error... There is some problem with the output file!");
  EXPECT_TRUE(itc.requests().empty());
  EXPECT_EQ(ReadFileBytes(datPath()), original);
}

TEST_F(SyncTest, AnUnreadableImportReplyEndsTheRunButKeepsItsJournal) {
  Prepare();
  RunScript run;
  run.importReply = "busy";
  Script(run);
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  EXPECT_EQ(w.control(names::lblCSV_Status).text(),
            "Error... There is some problem with the output file!");
  EXPECT_EQ(w.control(names::lblUP_Status).text(), "Data sent!");
  ASSERT_EQ(Commands().size(), 1u);  // the upload; nothing is fetched or deleted
  EXPECT_TRUE(w.control(names::txtFile).enabled());
  EXPECT_EQ(ReadFileBytes(datPath()), original);
  // The service holds the export: the next run must be able to finish this one.
  int journals = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "prog")) {
    journals += entry.path().filename().string().rfind("sync-journal-", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(journals, 1);
}

TEST_F(SyncTest, ImportAnsweringOneSkipsPolling) {
  Prepare();
  itc2.QueueScript(HttpReply("0"));
  itc2.QueueScript(HttpReply("0"));
  itc.QueueScript(FtpDone());
  itc2.QueueScript(HttpReply("1"));
  itc.QueueScript(FtpDone());
  itc.QueueScript(FtpDone());
  DownloadLeaves("101,7\n\n102,8\n\n");
  Window().Click(names::btnExt_export);
  EXPECT_EQ(itc2.requests().size(), 3u);
  EXPECT_EQ(Window().control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_EQ(ReadStates(datPath()).at(102).custom9, "8");
}

// The service's copy of a result that did not arrive is left alone, for the next SYNC.
TEST_F(SyncTest, MissingResultFileIsADownloadErrorAndLeavesTheFileAlone) {
  Prepare();
  RunScript run;
  run.importReply = "1";
  run.download = FtpFailure(550, "No such file or directory.");
  Script(run);
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);

  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text, "550 No such file or directory.");
  EXPECT_EQ(messageBox.shown()[0].title, "Error");
  EXPECT_EQ(messageBox.shown()[0].icon, platform::MsgIcon::Critical);
  EXPECT_EQ(w.control(names::lblSRV_Status).text(), "Output file was processed!");
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(),
            "Download error, check your connection and try again!");
  EXPECT_EQ(w.control(names::lblDAT_Status).text(), "");
  EXPECT_EQ(w.focus(), "txtAuth_login");
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_FALSE(w.control(names::btnExit2).visible());
  EXPECT_EQ(ReadFileBytes(datPath()), original);
  EXPECT_EQ(Commands().size(), 2u);  // the upload and the download; no delete
  EXPECT_EQ(w.lastRun().journalKept, SyncStep::ResultReady);
  w.CloseMain();
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.bkp")));
}

TEST_F(SyncTest, AFailedCopyOfTheAddressFileIsADownloadError) {
  Prepare();
  ScriptSuccess("101,1\n\n102,2\n\n", 0);
  files.Plant({test::FileOp::Copy, "address.dat"});
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  EXPECT_EQ(w.control(names::lblDAT_Status).text(), "Copying original data... Wait a momment!");
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(),
            "Download error, check your connection and try again!");
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(w.focus(), "txtAuth_login");
  EXPECT_EQ(ReadFileBytes(datPath()), original);
  // The result is kept with the journal, out of the exit clean-up's reach, for the next run.
  Window().CloseMain();
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "prog")) {
    kept += entry.path().filename().string().rfind("sync-journal-", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(kept, 2);
}

class SyncResultTest : public SyncTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SyncResultTest, ResultFilesThatDoNotFitAreDownloadErrors) {
  Prepare();
  ScriptSuccess(GetParam(), 0);
  Window().Click(names::btnExt_export);
  EXPECT_EQ(Window().control(names::lblDOWN_Status).text(),
            "Download error, check your connection and try again!");
  EXPECT_EQ(Window().control(names::lblDAT_Status).text(), "Rewriting DAT File... Wait a momment!");
  EXPECT_EQ(ReadFileBytes(datPath()), original);

  // The refused result stays held beside the journal, out of the exit clean-up's reach, and
  // nothing is deleted on the service: the next SYNC asks what to do with it.
  EXPECT_EQ(Window().lastRun().journalKept, SyncStep::ResultHeld);
  EXPECT_EQ(Commands().size(), 2u);
  Window().CloseMain();
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.dat")));
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "prog")) {
    kept += entry.path().filename().string().rfind("sync-journal-", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(kept, 2);
  EXPECT_EQ(ReadFileBytes(datPath()), original);
}

INSTANTIATE_TEST_SUITE_P(Shapes, SyncResultTest,
                         ::testing::Values("101,1\n\n", "101,1\n\n102,2\n\n0,0\n\n", "garbage",
                                           "x,1\n\n102,2\n\n"));

TEST_F(SyncTest, ResultRowsNamingRecordsNotExportedChangeOnlyTheExportedOnes) {
  Prepare();
  // 103 is Unfiled and 105 a Friend: neither was chosen, so neither was exported.
  ScriptSuccess("103,7001\n\n102,7002\n\n", 0);
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  EXPECT_EQ(w.control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_EQ(w.lastRun().recordsUpdated, 1);
  const auto states = ReadStates(datPath());
  EXPECT_EQ(states.at(102).custom9, "7002");
  EXPECT_EQ(states.at(101).status, 0);
  EXPECT_EQ(states.at(101).custom9, "");
  EXPECT_EQ(states.at(103).status, 0);
  EXPECT_EQ(states.at(103).custom9, "");
}

TEST_F(SyncTest, AResultNamingNoExportedRecordIsADownloadError) {
  Prepare();
  ScriptSuccess("103,7001\n\n105,7002\n\n", 0);
  const std::vector<std::string> causes = SyncCollectingCauses();
  FrmBrindle& w = Window();
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(),
            "Download error, check your connection and try again!");
  EXPECT_NE(w.control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(w.lastRun().recordsUpdated, 0);
  EXPECT_EQ(ReadFileBytes(datPath()), original);
  ASSERT_EQ(causes.size(), 1u);
  EXPECT_EQ(causes[0], "the result file names none of the 2 record(s) this run exported");
}

TEST_F(SyncTest, AnUnsafeDatabaseIdentifierRefusesTheWholeResult) {
  Prepare();
  // A good row first: it must not be written either.
  ScriptSuccess("101,7001\n\n102,9\x1b[2J\n\n", 0);
  const std::vector<std::string> causes = SyncCollectingCauses();
  FrmBrindle& w = Window();
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(),
            "Download error, check your connection and try again!");
  EXPECT_EQ(ReadFileBytes(datPath()), original);
  ASSERT_EQ(causes.size(), 1u);
  EXPECT_NE(causes[0].find("result row 2 "), std::string::npos) << causes[0];
  EXPECT_NE(causes[0].find("database identifier holds byte"), std::string::npos) << causes[0];
}

// The window blames the password when the service is down; the line's cause says otherwise.
TEST_F(SyncTest, TheLineAFailureWroteCarriesItsCauseUntilItIsWrittenAgain) {
  Prepare();
  itc2.QueueScript(HttpFailure());
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  const Control& auth = w.control(names::lblAuth_Status);
  ASSERT_EQ(auth.text(), "Error... You have to enter with a valid USERNAME/PASSWORD!");
  EXPECT_EQ(auth.cause(), w.lastRun().cause);
  EXPECT_EQ(auth.cause().rfind("nothing answered at web.test:8080: Connection refused", 0), 0u)
      << auth.cause();
  EXPECT_EQ(w.control(names::lblCSV_Status).cause(), "");

  ScriptSuccess("101,5001\n\n102,5002\n\n");
  w.Click(names::btnExt_export);
  EXPECT_EQ(auth.text(), "Authentication OK...");
  EXPECT_EQ(auth.cause(), "");
}

TEST_F(SyncTest, VerifyRequestsThatGetNoReplyAreRetriedUntilTheServiceAnswers) {
  Prepare();
  itc2.QueueScript(HttpReply("0"));
  itc.QueueScript(FtpDone());
  itc2.QueueScript(HttpReply("0"));
  for (int i = 0; i < 3; ++i) itc2.QueueScript(HttpFailure());
  itc2.QueueScript(HttpReply("1"));
  itc.QueueScript(FtpDone());
  itc.QueueScript(FtpDone());
  DownloadLeaves("101,1\n\n102,2\n\n");
  Window().Click(names::btnExt_export);
  EXPECT_EQ(itc2.requests().size(), 6u);  // auth, import, four verifies
  EXPECT_EQ(Window().control(names::lblDAT_Status).text(), "Process finished...");
}

// The service must not be asked to import a file that never arrived, or an older one.
TEST_F(SyncTest, ALostFtpConnectionAtTheUploadEndsTheRunBeforeTheImport) {
  Prepare();
  RunScript run;
  run.upload = FtpFailure(platform::kErrorCannotConnect, "Connection refused");
  Script(run);
  FrmBrindle& w = Window();
  std::string upStatusAtBox;
  messageBox.onShown = [&](const platform::ShownMessage&) {
    upStatusAtBox = w.control(names::lblUP_Status).text();
  };
  w.Click(names::btnExt_export);
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text, "12030 Connection refused");
  EXPECT_EQ(upStatusAtBox, "Not Connected");
  EXPECT_GE(itc.cancelCount(), 1);
  EXPECT_EQ(Urls().size(), 2u);  // the authentication and the check for an earlier result
  EXPECT_EQ(w.control(names::lblSRV_Status).text(), "");
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(w.lastRun().ending, RunEnding::Failed);
  EXPECT_FALSE(w.lastRun().journalKept);
}

// A run whose delete is refused gives the window back while it still waits for the control;
// `meanwhile` acts as the user on each of those waits.
class RefusedDeleteTest : public SyncTest {
 protected:
  FrmBrindle& SyncWhile(std::function<void(FrmBrindle&)> meanwhile) {
    Prepare();
    RunScript run;
    run.remove = {{1, 2, 3, 4, 5, 11, 9, 10}, "", 550, "Refused"};
    run.result = "101,1\n\n102,2\n\n";
    Script(run);
    FrmBrindle& w = Window();
    onPump = [&w, download = onPump, meanwhile = std::move(meanwhile)] {
      download();
      meanwhile(w);
    };
    w.Click(names::btnExt_export);
    return w;
  }
};

TEST_F(RefusedDeleteTest, NoSecondRunWhileOneIsInProgress) {
  bool clicked = false;
  // The pump runs only inside the run's waits.
  FrmBrindle& w = SyncWhile([&](FrmBrindle& window) {
    if (!clicked && window.control(names::btnExt_export).enabled()) {
      clicked = true;
      window.Click(names::btnExt_export);
    }
  });
  EXPECT_TRUE(clicked);
  EXPECT_EQ(itc2.requests().size(), 5u);  // auth, earlier result, import, two verifies
  EXPECT_EQ(itc.requests().size(), 3u);   // no second run
  EXPECT_EQ(w.control(names::lblDAT_Status).text(), "Process finished...");
}

// "Load File" follows the path box, except that a run's end gives every control back: a path
// emptied while an FTP error had the window enabled leaves "Load File" usable with no path.
TEST_F(RefusedDeleteTest, EmptyPathOnlyAsks) {
  FrmBrindle& w = SyncWhile([](FrmBrindle& window) {
    if (window.control(names::txtFile).enabled()) window.Type(names::txtFile, "");
  });
  ASSERT_EQ(w.control(names::lblDAT_Status).text(), "Process finished...");
  onPump = nullptr;
  const std::size_t boxes = messageBox.shown().size();
  const std::size_t repaints = windowing.calls().size();
  const std::size_t fileCalls = files.calls().size();
  ASSERT_TRUE(w.Click(names::btnLoad));
  ASSERT_EQ(messageBox.shown().size(), boxes + 1);
  EXPECT_EQ(messageBox.shown().back().text, "You have to select a valid PATH!");
  EXPECT_EQ(messageBox.shown().back().title, "Select a valid Path");
  EXPECT_EQ(windowing.calls().size(), repaints);
  EXPECT_EQ(files.calls().size(), fileCalls);
}

TEST_F(SyncTest, ClosingTheWindowEndsTheRunCleanly) {
  Prepare();
  itc2.QueueScript(HttpReply("0"));
  itc.QueueScript(FtpDone());
  itc2.QueueScript(HttpReply("0"));
  itc2.defaultScript = HttpReply("0");  // the service never finishes
  FrmBrindle& w = Window();
  long pumpsAtClose = 0;
  onPump = [&] {
    if (pumpsAtClose == 0 && itc2.requests().size() == 4) {
      w.CloseMain();
      pumpsAtClose = pump.count();
    }
  };
  w.Click(names::btnExt_export);
  EXPECT_TRUE(w.ended());
  EXPECT_EQ(pump.count(), pumpsAtClose);  // no wait ran on after the window went
  EXPECT_EQ(itc2.requests().size(), 4u);
  EXPECT_GE(itc2.cancelCount(), 1);
  EXPECT_EQ(ReadFileBytes(datPath()), original);
  EXPECT_TRUE(messageBox.shown().empty());
}

}  // namespace
}  // namespace brindle::test
