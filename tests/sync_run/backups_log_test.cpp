// What a sync run keeps behind: the address file as it was in the backups folder, and a run
// log that says what happened without the password.

#include "support/posix_only.h"
#include "sync_fixture.h"

namespace brindle::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "Tr0ub4dor&3";

class BackupsLogTest : public SyncTest {
 protected:
  std::string Log() { return ReadFileBytes(dir / "prog" / "Brindle.log"); }
  fs::path Backups() const { return dir / "prog" / "backups"; }
};

TEST_F(BackupsLogTest, AFinishedRunKeepsTheOriginalOnceAndLogsEachStep) {
  Prepare("demo", kPassword);
  ScriptSuccess("101,5001\n\n102,5002\n\n");
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  ASSERT_EQ(w.control(names::lblDAT_Status).text(), "Process finished...");

  // The load kept the file as it was; the write-back found that same version newest.
  const auto kept = platform::Backups(Backups()).List();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].reason, "load");
  EXPECT_EQ(ReadFileBytes(kept[0].path), original);
  EXPECT_EQ(fs::hard_link_count(datPath()), 1u);

  const std::string log = Log();
  const std::vector<std::string> lines = {
      "sync started",
      "address file: " + datPath().string(),
      "categories: 2 5",
      "export: Wrote 2 register(s)!",
      "authentication page replied \"0\"",
      "authentication: Authentication OK...",
      "upload: Data sent!",
      "import page replied \"0\"",
      "verify page replied \"1\"",
      "import: Output file was processed!",
      "records updated: 2",
      "end: finished"};
  for (const std::string& line : lines) {
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  }
  EXPECT_EQ(log.find(kPassword), std::string::npos) << log;
  EXPECT_EQ(log.find("Smith"), std::string::npos) << "contact data in the log:\n" << log;
  if (test::kPosixFiles) {
    EXPECT_EQ(test::PermissionBits(dir / "prog" / "Brindle.log"), 0600u);
  }
}

TEST_F(BackupsLogTest, AFailedTransferIsLoggedWithItsErrorAndTheRunsEnd) {
  Prepare("demo", kPassword);
  RunScript run;
  run.download = FtpFailure(550, "No such file or directory.");
  run.remove = FtpFailure(550, "No such file or directory.");
  Script(run);
  Window().Click(names::btnExt_export);

  const std::string log = Log();
  EXPECT_NE(log.find("FTP error: 550 No such file or directory."), std::string::npos) << log;
  EXPECT_NE(log.find("download: Download error"), std::string::npos) << log;
  EXPECT_NE(log.find("end: failed"), std::string::npos) << log;
  EXPECT_EQ(log.find(kPassword), std::string::npos) << log;
}

TEST_F(BackupsLogTest, ABackupThatCannotBeMadeStopsTheWriteBackAndNamesTheFolder) {
  std::vector<std::string> causes;
  Window().AddDiagnosticListener([&](const std::string& cause) { causes.push_back(cause); });
  WriteFileBytes(Backups(), "");  // a file where the folder should be
  Prepare();
  ScriptSuccess("101,5001\n\n102,5002\n\n");
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);

  EXPECT_EQ(w.control(names::lblDOWN_Status).text(),
            "Download error, check your connection and try again!");
  EXPECT_EQ(ReadFileBytes(datPath()), original);
  EXPECT_EQ(fs::hard_link_count(datPath()), 1u);
  ASSERT_EQ(causes.size(), 2u);  // the load's swap, then the write-back
  for (const std::string& cause : causes) {
    EXPECT_NE(cause.find("cannot keep a backup"), std::string::npos) << cause;
    EXPECT_NE(cause.find(Backups().string()), std::string::npos) << cause;
  }
}

// The log says what happened, whatever the user's password and the service do: a path that
// holds the password stays whole, a run that failed before its export updated nothing
// whatever the run before it did, and a service that never answered is not quoted as replying.
TEST_F(BackupsLogTest, TheLogTellsEachRunAsItHappened) {
  Prepare("demo", "address");  // the address file's name holds the password
  ScriptSuccess("101,5001\n\n102,5002\n\n");
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  ASSERT_EQ(w.control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_NE(Log().find("address file: " + datPath().string()), std::string::npos) << Log();
  const auto lastRun = [this] { return Log().substr(Log().rfind("sync started")); };
  const auto loadAndChoose = [&w] {
    w.Click(names::btnLoad);
    w.ClickListEntry(0, true);
    w.MouseUp(names::lstCategory);
  };

  loadAndChoose();
  const std::string kept = ReadFileBytes(datPath());
  fs::remove(datPath());  // gone before the export
  w.Click(names::btnExt_export);
  EXPECT_NE(lastRun().find("records updated: 0"), std::string::npos) << lastRun();

  WriteFileBytes(datPath(), kept);
  loadAndChoose();
  itc2.QueueScript(HttpFailure());  // the service is down
  w.Click(names::btnExt_export);
  EXPECT_NE(lastRun().find("nothing answered from the authentication page at web.test:8080"),
            std::string::npos)
      << lastRun();
  EXPECT_EQ(lastRun().find("replied"), std::string::npos) << lastRun();
  EXPECT_NE(lastRun().find("end: failed: nothing answered"), std::string::npos) << lastRun();
}

}  // namespace
}  // namespace brindle::test
