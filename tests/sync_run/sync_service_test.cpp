// The window's sync run over the libcurl transfer controls against rookery-dev on loopback:
// the whole chain once, as a user runs it. Every failure of the run is tested over scripted
// transfers (send_file_test.cpp); the libcurl controls' own failures in tests/sync.
#include <gtest/gtest.h>

#include <memory>

#include "address_file/dat_input.h"
#include "address_file/dat_reader.h"
#include "export/export_line.h"
#include "rookery_process.h"
#include "support/curl_window_test.h"
#include "support/dat_builder.h"

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
    w.Click(names::btnExt_export);
    EXPECT_FALSE(pump.timedOut) << "the run did not end";
  }

  void SyncAgain() {
    FrmBrindle& w = Window();
    LoadAndChoose();
    ASSERT_TRUE(w.Click(names::btnExt_export));
    EXPECT_FALSE(pump.timedOut) << "the second run did not end";
  }

  // Loads the path in the file box and chooses Business and Family.
  void LoadAndChoose() {
    FrmBrindle& w = Window();
    w.Click(names::btnLoad);
    for (int i = 0; i < w.categoryList().size(); ++i) {
      const std::int32_t number = w.categoryList().entries()[i].itemData;
      if (number == 2 || number == 5) {
        w.ClickListEntry(i, true);
        w.MouseUp(names::lstCategory);
      }
    }
  }

  std::unique_ptr<RookeryProcess> service_;
};

TEST_F(SyncServiceTest, FullRunGivesMatchedRecordsTheirServiceIds) {
  // The name and password reach the service exactly as typed, whatever they hold.
  StartService({"--delay", "300"}, {.palm = {"an+na=p&ss word+#%"}, .web = {}});
  ServiceSample().WriteTo(DatPath());
  const std::vector<DatRecord> before = ReadRecords(DatPath());
  Sync("an+na", "p&ss word+#%");
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
  EXPECT_NE(service_->Get("/_dev/contacts").find("\tan+na\t"), std::string::npos);
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

}  // namespace
}  // namespace brindle::test
