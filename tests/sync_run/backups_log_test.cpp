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
  w.btnExt_export_Click();
  ASSERT_EQ(w.lblDAT_Status.text(), "Process finished...");

  // The load kept the file as it was; the write-back found that same version newest.
  const auto kept = w.backups().List();
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
      "authentication: Authentication OK... (service reply \"0\")",
      "upload: Data sent!",
      "import: Output file was processed! (service reply \"1\")",
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
  Window().btnExt_export_Click();

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
  w.btnExt_export_Click();

  EXPECT_EQ(w.lblDOWN_Status.text(), "Download error, check your connection and try again!");
  EXPECT_EQ(ReadFileBytes(datPath()), original);
  EXPECT_EQ(fs::hard_link_count(datPath()), 1u);
  ASSERT_EQ(causes.size(), 2u);  // the load's swap, then the write-back
  for (const std::string& cause : causes) {
    EXPECT_NE(cause.find("cannot keep a backup"), std::string::npos) << cause;
    EXPECT_NE(cause.find(Backups().string()), std::string::npos) << cause;
  }
}

}  // namespace
}  // namespace brindle::test
