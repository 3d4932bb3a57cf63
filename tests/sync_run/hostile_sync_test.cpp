// The window's sync run over the libcurl controls against servers that hold, drip or flood:
// the window closes within a second in any state, and every wait ends.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>

#include "hostile_process.h"
#include "rookery_process.h"  // UnusedPort
#include "support/curl_window_test.h"
#include "support/dat_builder.h"

namespace brindle::test {
namespace {

using brindle::testing::HostileServer;
using Clock = std::chrono::steady_clock;

class HostileSyncTest : public CurlWindowTest {
 protected:
  HostileSyncTest() {
    DatBuilder()
        .Category(2, "Business")
        .Record(RecordPlan(201, 2).Text(20, "Someone"))
        .Record(RecordPlan(202, 2).Text(20, "Someone else"))
        .EndMarker()
        .WriteTo(dir / "address.dat");
    original_ = ReadFileBytes(dir / "address.dat");
    config_.ftpPassword = "any";
  }

  // Start-up, load, Business chosen, credentials typed, "SYNC".
  void Sync() {
    FrmBrindle& w = Window();
    w.Form_Load();
    w.Click(names::Command1);
    w.Type(names::txtFile, (dir / "address.dat").string());
    w.Click(names::btnLoad);
    ASSERT_EQ(w.categoryList().size(), 2);
    w.ClickListEntry(0, true);
    w.MouseUp(names::lstCategory);
    w.Type(names::txtAuth_login, "demo");
    w.Type(names::txtAuth_pass, "demo");
    w.Click(names::btnExt_export);
    EXPECT_FALSE(pump.timedOut) << "the run did not end";
  }

  bool FileUnchanged() const { return ReadFileBytes(dir / "address.dat") == original_; }

  std::string original_;
};

struct HeldCase {
  const char* name;
  const char* hold;  // which final reply the FTP server keeps
  const char* line;  // the status line that shows the transfer
  const char* text;
};

class HeldTransferTest : public HostileSyncTest, public ::testing::WithParamInterface<HeldCase> {};

TEST_P(HeldTransferTest, ClosingTheWindowEndsTheRunWithinASecond) {
  HostileServer web({"http", "--ready"});
  HostileServer ftp({"ftp", "--hold", GetParam().hold});
  config_.webHost = web.host();
  config_.ftpHost = ftp.host();
  std::optional<Clock::time_point> seen, closed;
  pump.hook = [&] {
    FrmBrindle& w = Window();
    if (w.ended() || w.Find(GetParam().line)->text() != GetParam().text) return;
    if (!seen) seen = Clock::now();
    // The transfer has sat on the server's held reply for a while: the user gives up.
    if (Clock::now() - *seen > std::chrono::milliseconds(700)) {
      closed = Clock::now();
      w.CloseMain();
    }
  };
  Sync();
  ASSERT_TRUE(closed) << "the held state was never reached";
  EXPECT_LT(Clock::now() - *closed, std::chrono::seconds(1));
  EXPECT_TRUE(Window().ended());
  EXPECT_FALSE(itc.StillExecuting());
  EXPECT_TRUE(FileUnchanged());
  EXPECT_FALSE(std::filesystem::exists(Tmp("2_csv.tmp.out")));
}

INSTANTIATE_TEST_SUITE_P(States, HeldTransferTest,
                         ::testing::Values(HeldCase{"Upload", "stor", "lblUP_Status",
                                                    "Uploading Data... Wait a moment!"},
                                           HeldCase{"Download", "retr", "lblDOWN_Status",
                                                    "Downloading Data... Wait a moment!"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostileSyncTest, ADrippingAuthenticationReplyEndsAtTheRequestTimeOut) {
  HostileServer web({"http", "--drip", "3"});
  config_.webHost = web.host();
  config_.ftpHost = "127.0.0.1:" + std::to_string(brindle::testing::UnusedPort());
  itc2.SetRequestTimeout(std::chrono::seconds(2));
  Sync();
  // No reply within the time-out reads as no reply at all.
  EXPECT_EQ(Window().control(names::lblAuth_Status).text(),
            "Error... You have to enter with a valid USERNAME/PASSWORD!");
  EXPECT_TRUE(FileUnchanged());
}

TEST_F(HostileSyncTest, AReplyBodyOver64KiBIsAReplyThatIsNotUnderstood) {
  // "0" and blanks: cut to its first bytes it would read as an accepted login.
  HostileServer web({"http", "--body-bytes", "70000"});
  config_.webHost = web.host();
  config_.ftpHost = "127.0.0.1:" + std::to_string(brindle::testing::UnusedPort());
  Sync();
  EXPECT_EQ(Window().control(names::lblCSV_Status).text(),
            "Error... There is some problem with the output file!");
  EXPECT_NE(Window().control(names::lblAuth_Status).text(), "Authentication OK...");
  EXPECT_TRUE(messageBox.shown().empty()) << "the run went on to the upload";
  EXPECT_TRUE(FileUnchanged());
}

TEST_F(HostileSyncTest, AResultFileOver16MiBIsADownloadError) {
  HostileServer web({"http", "--ready"});
  HostileServer ftp({"ftp", "--retr-bytes", std::to_string(16 * 1024 * 1024 + 1)});
  config_.webHost = web.host();
  config_.ftpHost = ftp.host();
  Sync();
  EXPECT_EQ(Window().control(names::lblDOWN_Status).text(),
            "Download error, check your connection and try again!");
  EXPECT_TRUE(FileUnchanged());
  EXPECT_FALSE(std::filesystem::exists(Tmp("2_csv.tmp.out")));
}

}  // namespace
}  // namespace brindle::test
