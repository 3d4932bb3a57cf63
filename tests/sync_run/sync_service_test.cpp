// The window's sync run over the libcurl transfer controls against rookery-dev on loopback:
// the whole chain as a user runs it, with the service misbehaving on purpose.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "address_file/dat_input.h"
#include "address_file/dat_reader.h"
#include "export/export_line.h"
#include "rookery_process.h"
#include "support/curl_window_test.h"
#include "support/dat_builder.h"
#include "support/window_seam.h"

namespace brindle::test {
namespace {

using brindle::testing::RookeryProcess;

DatBuilder ServiceSample() {
  return DatBuilder()
      .Category(2, "Business")
      .Category(5, "Family")
      .Record(RecordPlan(201, 2).Text(19, "Caf\xE9 \"Nord\", Ltd").Text(24, "line 1\r\nline 2"))
      .Record(RecordPlan(202, 5).Text(20, "M\xFCller").Custom(9, "note"))
      .Record(RecordPlan(203, 0).Text(20, "Unfiled person"))
      .Record(RecordPlan(204, 2).Text(20, "Second, Business").Status(129))
      .Record(RecordPlan(205, 2).Text(20, "Third").LongText(47, "a long-form custom9"))
      .EndMarker();
}

std::vector<DatRecord> ReadRecords(const std::filesystem::path& path) {
  DatReader reader;
  DatInput in(path);
  const DatHeader header = reader.ReadHeader(in);
  std::vector<DatRecord> records;
  ForEachRecord(reader, in, header.recordCount,
                [&](const DatRecord& record, std::int64_t) { records.push_back(record); });
  return records;
}

class SyncServiceTest : public CurlWindowTest {
 protected:
  void StartService(const std::vector<std::string>& args = {"--delay", "300"},
                    const brindle::testing::RookeryAccounts& accounts = {}) {
    service_ = std::make_unique<RookeryProcess>(args, accounts);
    config_.webHost = service_->webHost();
    config_.ftpHost = service_->ftpHost();
    config_.ftpPassword = brindle::testing::kTestFtpPassword;
  }

  std::filesystem::path DatPath() const { return dir / "address.dat"; }

  // Start-up, load, Business and Family chosen, credentials typed, "SYNC".
  void Sync(const std::string& user = "demo", const std::string& password = "demo") {
    FrmBrindle& w = Window();
    w.Form_Load();
    w.Click(names::Command1);
    w.Type(names::txtFile, DatPath().string());
    LoadAndChoose();
    w.Type(names::txtAuth_login, user);
    w.Type(names::txtAuth_pass, password);
    w.btnExt_export_Click();
    EXPECT_FALSE(pump.timedOut) << "the run did not end";
  }

  void SyncAgain() {
    FrmBrindle& w = Window();
    LoadAndChoose();
    WindowSeam::Edit(w, names::btnExt_export).SetEnabled(true);
    w.btnExt_export_Click();
    EXPECT_FALSE(pump.timedOut) << "the second run did not end";
  }

  // Loads the path in the file box and chooses Business and Family.
  void LoadAndChoose() {
    FrmBrindle& w = Window();
    w.btnLoad_Click();
    for (int i = 0; i < w.categoryList().size(); ++i) {
      const std::int32_t number = w.categoryList().entries()[i].itemData;
      if (number == 2 || number == 5) {
        w.ClickListEntry(i, true);
        w.lstCategory_MouseUp();
      }
    }
  }

  std::unique_ptr<RookeryProcess> service_;
};

TEST_F(SyncServiceTest, FullRunGivesMatchedRecordsTheirServiceIds) {
  StartService();
  ServiceSample().WriteTo(DatPath());
  const std::vector<DatRecord> before = ReadRecords(DatPath());
  Sync();
  FrmBrindle& w = Window();
  ASSERT_EQ(w.control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_EQ(w.control(names::lblAuth_Status).text(), "Authentication OK...");
  EXPECT_EQ(w.control(names::lblUP_Status).text(), "Data sent!");
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(), "Data received!");
  EXPECT_TRUE(messageBox.shown().empty());

  // Exported were 201, 202 and 205 (204 has status 129, 203 is Unfiled).
  const std::vector<DatRecord> after = ReadRecords(DatPath());
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    DatRecord expected = before[i];
    const bool exported =
        expected.recordId == 201 || expected.recordId == 202 || expected.recordId == 205;
    if (exported) {
      EXPECT_EQ(after[i].status, 2) << expected.recordId;
      EXPECT_GE(std::stol(after[i].custom9), 5001) << expected.recordId;
      expected.status = 2;
      expected.custom9 = after[i].custom9;
    }
    // Every exported column, column 28 included, says the rest is unchanged.
    EXPECT_EQ(ExportLine(after[i], ""), ExportLine(expected, "")) << expected.recordId;
    EXPECT_EQ(after[i].status, expected.status);
  }
  EXPECT_EQ(service_->Get("/_dev/count"), "3\n");
  EXPECT_TRUE(std::filesystem::exists(service_->ftpHome() / "5_csv.tmp"));
  EXPECT_FALSE(std::filesystem::exists(service_->ftpHome() / "5_csv.tmp.out"));
  for (const char* left : {"5_csv.tmp", "5_csv.tmp.out", "address.dat"}) {
    EXPECT_FALSE(std::filesystem::exists(Tmp(left))) << left;
  }

  // A second sync of the same records updates them: no duplicates, the same ids.
  SyncAgain();
  EXPECT_EQ(w.control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_EQ(service_->Get("/_dev/count"), "3\n");
  const std::vector<DatRecord> again = ReadRecords(DatPath());
  for (std::size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].custom9, after[i].custom9);

  // The exit clean-up leaves only what it should.
  w.CloseMain();
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.bkp")));
  EXPECT_TRUE(std::filesystem::exists(dir / "prog" / "Brindle.conf"));
}

TEST_F(SyncServiceTest, ResultNamingRecordsNotExportedChangesOnlyExportedOnes) {
  // The result's first two rows name 203 (Unfiled, not chosen) and 204 (status 129, never
  // exported) in place of 201 and 202; only 205's row is the service's own.
  StartService({"--fault", "import=1", "--fault", "result_ids=203,204"});
  ServiceSample().WriteTo(DatPath());
  const std::vector<DatRecord> before = ReadRecords(DatPath());
  Sync();
  FrmBrindle& w = Window();
  EXPECT_EQ(w.control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_EQ(w.recordsUpdated(), 1);
  const std::vector<DatRecord> after = ReadRecords(DatPath());
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (before[i].recordId == 205) {
      EXPECT_EQ(after[i].status, 2);
      continue;
    }
    EXPECT_EQ(after[i].status, before[i].status) << before[i].recordId;
    EXPECT_EQ(ExportLine(after[i], ""), ExportLine(before[i], "")) << before[i].recordId;
  }
}

TEST_F(SyncServiceTest, ResultNamingNoExportedRecordIsADownloadError) {
  StartService({"--fault", "import=1", "--fault", "result=unknown"});
  ServiceSample().WriteTo(DatPath());
  const std::string original = ReadFileBytes(DatPath());
  std::vector<std::string> causes;
  Window().AddDiagnosticListener([&causes](const std::string& cause) { causes.push_back(cause); });
  Sync();
  FrmBrindle& w = Window();
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(),
            "Download error, check your connection and try again!");
  EXPECT_NE(w.control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(w.recordsUpdated(), 0);
  EXPECT_EQ(ReadFileBytes(DatPath()), original);
  ASSERT_EQ(causes.size(), 1u);
  EXPECT_EQ(causes[0], "the result file names none of the 3 record(s) this run exported");
}

TEST_F(SyncServiceTest, UnsafeDatabaseIdentifierRefusesTheWholeResult) {
  for (const char* kind : {"lf", "nul", "quote", "esc", "high"}) {
    SCOPED_TRACE(kind);
    StartService({"--fault", "import=1", "--fault", std::string("bad_id=") + kind});
    ServiceSample().WriteTo(DatPath());
    const std::string original = ReadFileBytes(DatPath());
    std::vector<std::string> causes;
    window_.reset();
    Window().AddDiagnosticListener(
        [&causes](const std::string& cause) { causes.push_back(cause); });
    Sync();
    EXPECT_EQ(Window().control(names::lblDOWN_Status).text(),
              "Download error, check your connection and try again!");
    EXPECT_EQ(ReadFileBytes(DatPath()), original);
    ASSERT_EQ(causes.size(), 1u);
    EXPECT_NE(causes[0].find("result row 3 "), std::string::npos) << causes[0];
    EXPECT_NE(causes[0].find("database identifier holds byte"), std::string::npos) << causes[0];
    Window().CloseMain();
    window_.reset();
  }
}

struct AuthCase {
  const char* name;
  const char* fault;
  const char* status;
};

class SyncServiceAuthTest : public SyncServiceTest,
                            public ::testing::WithParamInterface<AuthCase> {};

TEST_P(SyncServiceAuthTest, AuthenticationReplies) {
  StartService({"--fault", GetParam().fault});
  ServiceSample().WriteTo(DatPath());
  const std::string original = ReadFileBytes(DatPath());
  Sync();
  EXPECT_EQ(Window().control(names::lblAuth_Status).text(), GetParam().status);
  EXPECT_EQ(Window().focus(), "txtAuth_login");
  EXPECT_EQ(ReadFileBytes(DatPath()), original);
  EXPECT_FALSE(std::filesystem::exists(service_->ftpHome() / "5_csv.tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SyncServiceAuthTest,
    ::testing::Values(AuthCase{"Wrong", "auth=2",
                               "Error... You have to enter with a valid USERNAME/PASSWORD!"},
                      AuthCase{"NoPalmLevel", "auth=1",
                               "Error... You have to enter with a USERNAME with PALM Level!"},
                      AuthCase{"Dropped", "auth=none",
                               "Error... You have to enter with a valid USERNAME/PASSWORD!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SyncServiceTest, AccountWithoutTheLevelAndSpecialCharactersInThePassword) {
  StartService({}, {.palm = {"an+na=x y&z"}, .web = {"web user=p&ss word+#%"}});
  ServiceSample().WriteTo(DatPath());
  Sync("web user", "p&ss word+#%");
  EXPECT_EQ(Window().control(names::lblAuth_Status).text(),
            "Error... You have to enter with a USERNAME with PALM Level!");
}

TEST_F(SyncServiceTest, PasswordsArriveExactlyAsTyped) {
  StartService({"--delay", "100"}, {.palm = {"an+na=x y&z#1"}, .web = {}});
  ServiceSample().WriteTo(DatPath());
  Sync("an+na", "x y&z#1");
  EXPECT_EQ(Window().control(names::lblDAT_Status).text(), "Process finished...");
  EXPECT_NE(service_->Get("/_dev/contacts").find("\tan+na\t"), std::string::npos);
}

TEST_F(SyncServiceTest, ImportAnsweringOneNeedsNoVerify) {
  // A verify request would be dropped and polled for ever: the run must not send one.
  StartService({"--fault", "import=1", "--fault", "drop=verify"});
  ServiceSample().WriteTo(DatPath());
  Sync();
  EXPECT_EQ(Window().control(names::lblDAT_Status).text(), "Process finished...");
}

TEST_F(SyncServiceTest, MissingResultFileIsADownloadError) {
  StartService({"--fault", "import=1", "--fault", "result=none"});
  ServiceSample().WriteTo(DatPath());
  const std::string original = ReadFileBytes(DatPath());
  Sync();
  FrmBrindle& w = Window();
  EXPECT_EQ(w.control(names::lblDOWN_Status).text(),
            "Download error, check your connection and try again!");
  ASSERT_FALSE(messageBox.shown().empty());
  EXPECT_EQ(messageBox.shown()[0].text.substr(0, 4), "550 ");
  EXPECT_EQ(ReadFileBytes(DatPath()), original);
  EXPECT_FALSE(std::filesystem::exists(Tmp("5_csv.tmp.out")));
  // The exit clean-up removes the copy the run took before the rewrite.
  EXPECT_TRUE(std::filesystem::exists(Tmp("address.dat")));
  w.CloseMain();
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.dat")));
}

TEST_F(SyncServiceTest, WrongRowCountIsADownloadError) {
  StartService({"--fault", "import=1", "--fault", "result=fewer"});
  ServiceSample().WriteTo(DatPath());
  const std::string original = ReadFileBytes(DatPath());
  Sync();
  EXPECT_EQ(Window().control(names::lblDOWN_Status).text(),
            "Download error, check your connection and try again!");
  EXPECT_EQ(ReadFileBytes(DatPath()), original);
}

TEST_F(SyncServiceTest, GarbageReplyIsAnOutputProblem) {
  StartService({"--fault", "garbage=import"});
  ServiceSample().WriteTo(DatPath());
  const std::string original = ReadFileBytes(DatPath());
  Sync();
  EXPECT_EQ(Window().control(names::lblCSV_Status).text(),
            "Error... There is some problem with the output file!");
  EXPECT_FALSE(Window().syncRunning());
  EXPECT_EQ(ReadFileBytes(DatPath()), original);
}

TEST_F(SyncServiceTest, RefusedFtpConnectionSaysNotConnected) {
  StartService();
  config_.ftpHost = "127.0.0.1:" + std::to_string(brindle::testing::UnusedPort());
  ServiceSample().WriteTo(DatPath());
  const std::string original = ReadFileBytes(DatPath());
  std::string upStatus;
  // Nothing was uploaded, so the service never answers 1: the user closes the window.
  messageBox.onShown = [&](const platform::ShownMessage&) {
    upStatus = Window().control(names::lblUP_Status).text();
    Window().CloseMain();
  };
  Sync();
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text.substr(0, 6), "12030 ");
  EXPECT_EQ(messageBox.shown()[0].icon, platform::MsgIcon::Critical);
  EXPECT_EQ(upStatus, "Not Connected");
  EXPECT_TRUE(Window().ended());
  EXPECT_EQ(ReadFileBytes(DatPath()), original);
}

TEST_F(SyncServiceTest, DroppedVerifyRepliesAreRetriedUntilTheServiceAnswers) {
  StartService({"--fault", "drop=verify", "--delay", "100"});
  ServiceSample().WriteTo(DatPath());
  int pumps = 0;
  pump.hook = [&] {
    if (++pumps == 150) service_->Set("drop=");
  };
  Sync();
  EXPECT_GE(pumps, 150);
  EXPECT_EQ(Window().control(names::lblDAT_Status).text(), "Process finished...");
}

TEST_F(SyncServiceTest, ClosingTheWindowDuringASlowImportEndsTheRun) {
  StartService({"--delay", "60000"});
  ServiceSample().WriteTo(DatPath());
  const std::string original = ReadFileBytes(DatPath());
  pump.hook = [&] {
    if (Window().control(names::lblSRV_Status).text() ==
            "Server processing the output file... Wait a moment!" &&
        !Window().ended()) {
      Window().CloseMain();
    }
  };
  const auto start = std::chrono::steady_clock::now();
  Sync();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_TRUE(Window().ended());
  EXPECT_FALSE(Window().syncRunning());
  EXPECT_FALSE(itc.StillExecuting());
  EXPECT_FALSE(itc2.StillExecuting());
  EXPECT_EQ(ReadFileBytes(DatPath()), original);
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.bkp")));
}

}  // namespace
}  // namespace brindle::test
