// The window's sync run over the libcurl controls against servers that hold, drip or flood:
// the window closes within a second in any state, and every wait ends.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>

#include "hostile_process.h"
#include "platform/curl/curl_event_pump.h"
#include "platform/curl/curl_pump.h"
#include "platform/curl/curl_transfer_control.h"
#include "platform/file_ops.h"
#include "platform/headless/queued_file_dialog.h"
#include "platform/headless/queued_message_box.h"
#include "platform/headless/recording_windowing.h"
#include "rookery_process.h"  // UnusedPort
#include "support/dat_builder.h"
#include "window/frm_brindle.h"

namespace brindle::test {
namespace {

using brindle::testing::HostileServer;
using platform::CurlTransferControl;
using Clock = std::chrono::steady_clock;

// The transfers' pump with a hook after every call, and a limit that closes the window so
// that a run that never ends fails the test instead of hanging it.
class HookedPump : public platform::EventPump {
 public:
  explicit HookedPump(platform::CurlPump& pump) : pump_(pump) {}
  std::function<void()> hook;
  std::function<void()> onTimeOut;
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(40);
  bool timedOut = false;

  void DoEvents() override {
    pump_.DoEvents();
    if (hook) hook();
    if (!timedOut && Clock::now() > deadline) {
      timedOut = true;
      if (onTimeOut) onTimeOut();
    }
  }

 private:
  platform::CurlEventPump pump_;
};

class HostileSyncTest : public ::testing::Test {
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

  FrmBrindle& Window() {
    if (!window_) {
      std::filesystem::create_directories(dir / "prog");
      WindowPlatform platform{messageBox, fileDialog, pump, itc, itc2, windowing, files};
      window_ = std::make_unique<FrmBrindle>(platform, dir / "prog", config_);
      pump.onTimeOut = [this] { window_->CloseMain(); };
    }
    return *window_;
  }

  // Start-up, load, Business chosen, credentials typed, "SYNC".
  void Sync() {
    FrmBrindle& w = Window();
    w.Form_Load();
    w.form1.Command1_Click();
    w.txtFile.SetText((dir / "address.dat").string());
    w.btnLoad_Click();
    ASSERT_EQ(w.lstCategory.size(), 2);
    w.ClickListEntry(0, true);
    w.lstCategory_MouseUp();
    w.TypeText(w.txtAuth_login, "demo");
    w.TypeText(w.txtAuth_pass, "demo");
    w.btnExt_export_Click();
    EXPECT_FALSE(pump.timedOut) << "the run did not end";
  }

  bool FileUnchanged() const { return ReadFileBytes(dir / "address.dat") == original_; }
  std::filesystem::path Tmp(const std::string& name) const { return dir / "prog" / "tmp" / name; }

  TempDir dir;
  platform::CurlPump curl;
  CurlTransferControl itc{curl, CurlTransferControl::Protocol::Ftp};
  CurlTransferControl itc2{curl, CurlTransferControl::Protocol::Http};
  HookedPump pump{curl};
  platform::QueuedMessageBox messageBox;
  platform::QueuedFileDialog fileDialog;
  platform::RecordingWindowing windowing;
  platform::RealFileOps files;
  ServiceConfig config_;
  std::unique_ptr<FrmBrindle> window_;
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
  EXPECT_EQ(Window().lblAuth_Status.text(),
            "Error... You have to enter with a valid USERNAME/PASSWORD!");
  EXPECT_TRUE(FileUnchanged());
}

TEST_F(HostileSyncTest, AReplyBodyOver64KiBIsAReplyThatIsNotUnderstood) {
  // "0" and blanks: cut to its first bytes it would read as an accepted login.
  HostileServer web({"http", "--body-bytes", "70000"});
  config_.webHost = web.host();
  config_.ftpHost = "127.0.0.1:" + std::to_string(brindle::testing::UnusedPort());
  Sync();
  EXPECT_EQ(Window().lblCSV_Status.text(), "Error... There is some problem with the output file!");
  EXPECT_NE(Window().lblAuth_Status.text(), "Authentication OK...");
  EXPECT_TRUE(messageBox.shown().empty()) << "the run went on to the upload";
  EXPECT_TRUE(FileUnchanged());
}

TEST_F(HostileSyncTest, AResultFileOver16MiBIsADownloadError) {
  HostileServer web({"http", "--ready"});
  HostileServer ftp({"ftp", "--retr-bytes", std::to_string(16 * 1024 * 1024 + 1)});
  config_.webHost = web.host();
  config_.ftpHost = ftp.host();
  Sync();
  EXPECT_EQ(Window().lblDOWN_Status.text(), "Download error, check your connection and try again!");
  EXPECT_TRUE(FileUnchanged());
  EXPECT_FALSE(std::filesystem::exists(Tmp("2_csv.tmp.out")));
}

}  // namespace
}  // namespace brindle::test
