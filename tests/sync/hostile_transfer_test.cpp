// The libcurl transfer control against servers that stall, drip, flood or never answer: the
// window thread must stay free, every request must end, and cancelling must not wait.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "hostile_process.h"
#include "platform/curl/curl_pump.h"
#include "platform/curl/curl_transfer_control.h"
#include "platform/curl/transfer_error.h"

namespace brindle::platform {
namespace {

namespace fs = std::filesystem;
using brindle::testing::HostileServer;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// One pump call may wait this long; the window thread must be back well within a second.
constexpr milliseconds kSlice{20};
constexpr seconds kAnswerBound{1};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HostileTransferTest : public ::testing::Test {
 protected:
  HostileTransferTest()
      : local_(fs::temp_directory_path() / ("brindle-hostile-" + std::to_string(getpid()))) {
    fs::create_directories(local_);
    std::ofstream(local_ / "12_csv.tmp", std::ios::binary) << "\"1\",\"a\"\r\n";
    http_.OnStateChanged([this](TransferState state) {
      httpStates_.push_back(state);
      if (state == TransferState::ResponseCompleted) reply_ = http_.GetChunk(512);
    });
    ftp_.OnStateChanged([this](TransferState state) { ftpStates_.push_back(state); });
    ftp_.SetUserName("tarnwick");
    ftp_.SetPassword("secret");
  }
  ~HostileTransferTest() override { fs::remove_all(local_); }

  // Pumps until the control is free or `limit` has passed; every pump call must come back
  // within its bound, whatever the server does.
  void PumpWhileBusy(const CurlTransferControl& control, Clock::duration limit) {
    const auto end = Clock::now() + limit;
    while (control.StillExecuting() && Clock::now() < end) PumpOnce();
  }
  void PumpFor(Clock::duration span) {
    const auto end = Clock::now() + span;
    while (Clock::now() < end) PumpOnce();
  }
  void PumpOnce() {
    const auto before = Clock::now();
    pump_.Pump(kSlice);
    ASSERT_LT(Clock::now() - before, kAnswerBound) << "the window thread was held";
  }
  void PumpUntilState(const std::vector<TransferState>& states, TransferState state) {
    const auto end = Clock::now() + seconds(10);
    while ((states.empty() || states.back() < state) && Clock::now() < end) PumpOnce();
    ASSERT_FALSE(states.empty());
    ASSERT_GE(states.back(), state);
  }

  std::string Upload() const { return "PUT \"" + (local_ / "12_csv.tmp").string() + "\" \"x\""; }

  CurlPump pump_;
  CurlTransferControl http_{pump_, CurlTransferControl::Protocol::Http};
  CurlTransferControl ftp_{pump_, CurlTransferControl::Protocol::Ftp};
  fs::path local_;
  std::vector<TransferState> httpStates_, ftpStates_;
  std::string reply_ = "unset";
};

TEST_F(HostileTransferTest, WindowThreadAnswersWhileTheFtpServerHoldsItsFinalReply) {
  HostileServer server({"ftp", "--hold", "stor"});
  ftp_.SetHost(server.host());
  ftp_.ExecuteCommand(Upload());
  PumpUntilState(ftpStates_, TransferState::Requesting);
  PumpFor(seconds(2));  // the upload is done; the server keeps its 226
  EXPECT_TRUE(ftp_.StillExecuting());
  EXPECT_NE(ftpStates_.back(), TransferState::Error);

  const auto before = Clock::now();
  ftp_.Cancel();
  EXPECT_LT(Clock::now() - before, kAnswerBound);
  EXPECT_FALSE(ftp_.StillExecuting());
  ftpStates_.clear();
  PumpFor(milliseconds(300));
  EXPECT_TRUE(ftpStates_.empty()) << "a cancelled request went on reporting";

  // The worker is free for the next request at once.
  ftp_.ExecuteCommand("DELETE \"x\"");
  PumpWhileBusy(ftp_, seconds(10));
  ASSERT_FALSE(ftpStates_.empty());
  EXPECT_EQ(ftpStates_.back(), TransferState::ResponseCompleted) << ftp_.ResponseInfo();
}

TEST_F(HostileTransferTest, AnFtpCommandEndsAtItsTimeOutFinalReplyIncluded) {
  HostileServer server({"ftp", "--hold", "stor"});
  ftp_.SetHost(server.host());
  ftp_.SetRequestTimeout(seconds(2));
  ftp_.ExecuteCommand(Upload());
  PumpWhileBusy(ftp_, seconds(15));
  ASSERT_FALSE(ftp_.StillExecuting()) << "the held reply kept the command going";
  EXPECT_EQ(ftpStates_.back(), TransferState::Error);
  EXPECT_EQ(ftp_.ResponseCode(), kErrorTimeout) << ftp_.ResponseInfo();
}

TEST_F(HostileTransferTest, APassiveReplyNamingADeadPortFailsWithoutHoldingTheWindow) {
  HostileServer server({"ftp", "--dead-pasv"});
  ftp_.SetHost(server.host());
  ftp_.SetRequestTimeout(seconds(5));
  ftp_.ExecuteCommand(Upload());
  PumpWhileBusy(ftp_, seconds(15));
  ASSERT_FALSE(ftp_.StillExecuting());
  EXPECT_EQ(ftpStates_.back(), TransferState::Error);
}

TEST_F(HostileTransferTest, FtpAsksForTlsAndGoesOnInClearWhenRefused) {
  const fs::path log = local_ / "commands.log";
  HostileServer server({"ftp", "--log", log.string()});
  ftp_.SetHost(server.host());
  ftp_.ExecuteCommand(Upload());
  PumpWhileBusy(ftp_, seconds(10));
  EXPECT_EQ(ftpStates_.back(), TransferState::ResponseCompleted) << ftp_.ResponseInfo();
  const std::string commands = ReadFile(log);
  EXPECT_LT(commands.find("AUTH "), commands.find("USER ")) << commands;
  EXPECT_NE(commands.find("STOR x"), std::string::npos) << commands;
}

TEST_F(HostileTransferTest, AnHttpRequestEndsAtItsTimeOutHoweverSteadilyTheServerDrips) {
  HostileServer server({"http", "--drip", "3"});
  http_.SetRequestTimeout(seconds(2));
  http_.Execute("http://" + server.host() + "/rookery/csv_importer/ext_auth.php", "");
  PumpWhileBusy(http_, seconds(15));
  ASSERT_FALSE(http_.StillExecuting()) << "a dripping reply kept the request going";
  EXPECT_EQ(httpStates_.back(), TransferState::Error);
  EXPECT_EQ(http_.ResponseCode(), kErrorTimeout);
  EXPECT_EQ(reply_, "unset");
}

TEST_F(HostileTransferTest, ABodyOver64KiBEndsTheRequestAsAnUnreadableReply) {
  {
    HostileServer server({"http", "--endless"});
    http_.Execute("http://" + server.host() + "/x", "");
    PumpWhileBusy(http_, seconds(15));
    ASSERT_FALSE(http_.StillExecuting()) << "an endless body kept the request going";
    EXPECT_EQ(httpStates_.back(), TransferState::ResponseCompleted);
    EXPECT_EQ(reply_, "");
  }
  for (const int size : {64 * 1024, 64 * 1024 + 1}) {
    HostileServer server({"http", "--body-bytes", std::to_string(size)});
    reply_ = "unset";
    http_.Execute("http://" + server.host() + "/x", "");
    PumpWhileBusy(http_, seconds(15));
    EXPECT_EQ(httpStates_.back(), TransferState::ResponseCompleted);
    // A full 64 KiB body is still a reply ("0" and blanks); one byte more is none.
    EXPECT_EQ(reply_, size == 64 * 1024 ? "0" + std::string(511, ' ') : "") << size;
  }
}

TEST_F(HostileTransferTest, ADownloadOver16MiBFailsAndLeavesNoFile) {
  const fs::path result = local_ / "12_csv.tmp.out";
  {
    HostileServer server({"ftp", "--retr-bytes", std::to_string(16 * 1024 * 1024 + 1)});
    ftp_.SetHost(server.host());
    ftp_.ExecuteCommand("GET \"12_csv.tmp.out\" \"" + result.string() + "\"");
    PumpWhileBusy(ftp_, seconds(30));
    EXPECT_EQ(ftpStates_.back(), TransferState::Error);
    EXPECT_EQ(ftp_.ResponseCode(), kErrorExtended);
    EXPECT_NE(ftp_.ResponseInfo().find("16 MiB"), std::string::npos) << ftp_.ResponseInfo();
    EXPECT_FALSE(fs::exists(result));
  }
  HostileServer server({"ftp", "--retr-bytes", std::to_string(16 * 1024 * 1024)});
  ftp_.SetHost(server.host());
  ftp_.ExecuteCommand("GET \"12_csv.tmp.out\" \"" + result.string() + "\"");
  PumpWhileBusy(ftp_, seconds(30));
  EXPECT_EQ(ftpStates_.back(), TransferState::ResponseCompleted) << ftp_.ResponseInfo();
  EXPECT_EQ(fs::file_size(result), 16u * 1024 * 1024);
}

TEST_F(HostileTransferTest, TheDownloadIsPrivateAndNeverWrittenThroughAPlantedLink) {
  HostileServer server({"ftp"});
  ftp_.SetHost(server.host());
  const fs::path target = local_ / "victim";
  std::ofstream(target) << "keep me";
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
  const fs::path result = local_ / "12_csv.tmp.out";
  fs::create_symlink(target, result);

  const mode_t old = umask(0);  // whatever the umask allows, the result stays the owner's
  ftp_.ExecuteCommand("GET \"12_csv.tmp.out\" \"" + result.string() + "\"");
  PumpWhileBusy(ftp_, seconds(10));
  umask(old);
  EXPECT_EQ(ftpStates_.back(), TransferState::ResponseCompleted) << ftp_.ResponseInfo();
  EXPECT_EQ(ReadFile(target), "keep me");
  ASSERT_FALSE(fs::is_symlink(result));
  EXPECT_EQ(ReadFile(result), std::string(12, '9'));
  struct stat st {};
  ASSERT_EQ(stat(result.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(HostileTransferTest, CancellingAHeldDownloadRemovesItsPartialFile) {
  HostileServer server({"ftp", "--hold", "retr", "--retr-bytes", "5000"});
  ftp_.SetHost(server.host());
  const fs::path result = local_ / "12_csv.tmp.out";
  ftp_.ExecuteCommand("GET \"12_csv.tmp.out\" \"" + result.string() + "\"");
  const auto end = Clock::now() + seconds(10);
  while (!fs::exists(result) && Clock::now() < end) PumpOnce();
  ASSERT_TRUE(fs::exists(result)) << "the download never began";
  PumpFor(milliseconds(300));
  EXPECT_TRUE(ftp_.StillExecuting());
  ftp_.Cancel();
  EXPECT_FALSE(fs::exists(result));
}

TEST(HostileTransferEnd, APumpWithATransferHeldByTheServerEndsAtOnce) {
  HostileServer server({"ftp", "--hold", "stor"});
  const fs::path file = fs::temp_directory_path() / ("brindle-end-" + std::to_string(getpid()));
  std::ofstream(file) << "x";
  auto pump = std::make_unique<CurlPump>();
  auto ftp = std::make_unique<CurlTransferControl>(*pump, CurlTransferControl::Protocol::Ftp);
  TransferState last = TransferState::None;
  ftp->OnStateChanged([&last](TransferState state) { last = state; });
  ftp->SetHost(server.host());
  ftp->ExecuteCommand("PUT \"" + file.string() + "\" \"x\"");
  const auto end = Clock::now() + seconds(10);
  while (last < TransferState::Requesting && Clock::now() < end) pump->Pump(kSlice);
  ASSERT_GE(last, TransferState::Requesting);
  pump->Pump(milliseconds(500));

  const auto before = Clock::now();
  ftp.reset();
  pump.reset();  // joins the worker, which was waiting for the server
  EXPECT_LT(Clock::now() - before, kAnswerBound);
  fs::remove(file);
}

}  // namespace
}  // namespace brindle::platform
