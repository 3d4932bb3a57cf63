// The libcurl transfer control against a real rookery-dev on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/curl/curl_pump.h"
#include "platform/curl/curl_transfer_control.h"
#include "platform/curl/ftp_command.h"
#include "rookery_process.h"

namespace brindle::platform {
namespace {

namespace fs = std::filesystem;
using brindle::testing::RookeryProcess;
using std::chrono::milliseconds;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class CurlTransferTest : public ::testing::Test {
 protected:
  CurlTransferTest()
      : http_(pump_, CurlTransferControl::Protocol::Http),
        ftp_(pump_, CurlTransferControl::Protocol::Ftp),
        local_(fs::temp_directory_path() / ("brindle-curl-" + std::to_string(getpid()))) {
    fs::create_directories(local_);
    http_.OnStateChanged([this](TransferState state) {
      httpStates_.push_back(state);
      if (state == TransferState::ResponseCompleted) reply_ = http_.GetChunk(512);
    });
    ftp_.OnStateChanged([this](TransferState state) { ftpStates_.push_back(state); });
  }
  ~CurlTransferTest() override { fs::remove_all(local_); }

  void UseFtpOf(const RookeryProcess& service) {
    ftp_.SetHost(service.ftpHost());
    ftp_.SetPassword(brindle::testing::kTestFtpPassword);
    ftp_.SetUserName("tarnwick");
  }

  void WaitFor(const CurlTransferControl& control) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (control.StillExecuting() && std::chrono::steady_clock::now() < give_up) {
      pump_.Pump(milliseconds(20));
    }
    ASSERT_FALSE(control.StillExecuting());
  }

  void Ftp(const std::string& command) {
    ftpStates_.clear();
    ftp_.ExecuteCommand(command);
    WaitFor(ftp_);
  }

  std::string Page(const RookeryProcess& service, const std::string& pathAndQuery) {
    return "http://" + service.webHost() + "/rookery/csv_importer/" + pathAndQuery;
  }

  CurlPump pump_;
  CurlTransferControl http_;
  CurlTransferControl ftp_;
  fs::path local_;
  std::vector<TransferState> httpStates_, ftpStates_;
  std::string reply_ = "unset";
};

// The states as the control numbers them.
std::vector<int> Numbers(const std::vector<TransferState>& states) {
  std::vector<int> numbers;
  for (const TransferState state : states) numbers.push_back(static_cast<int>(state));
  return numbers;
}

bool Increasing(const std::vector<TransferState>& states) {
  for (std::size_t i = 1; i < states.size(); ++i) {
    if (states[i] <= states[i - 1]) return false;
  }
  return true;
}

TEST_F(CurlTransferTest, HttpGetDeliversEveryStateInOrderAndTheReply) {
  RookeryProcess service;
  http_.Execute(Page(service, "ext_auth.php?login=demo&pass=demo"), "");
  EXPECT_TRUE(http_.StillExecuting());
  EXPECT_THROW(http_.Execute(Page(service, "ext_verify.php"), "GET"), TransferControlError);
  WaitFor(http_);
  EXPECT_EQ(Numbers(httpStates_), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}));
  EXPECT_EQ(reply_, "0");
  EXPECT_EQ(http_.ResponseCode(), 0);

  httpStates_.clear();
  http_.Execute(Page(service, "ext_auth.php?login=visitor&pass=visitor"), "GET");
  WaitFor(http_);
  EXPECT_EQ(reply_, "1");
  EXPECT_EQ(httpStates_.back(), TransferState::ResponseCompleted);
}

TEST_F(CurlTransferTest, GetChunkReadsTheBodyInPieces) {
  RookeryProcess service({"--fault", "garbage=verify"});
  http_.Execute(Page(service, "ext_verify.php?name_file=x"), "GET");
  WaitFor(http_);
  ASSERT_GT(reply_.size(), 20u);
  EXPECT_EQ(reply_.substr(0, 6), "<html>");
  http_.OnStateChanged({});
  http_.Execute(Page(service, "ext_verify.php?name_file=x"), "GET");
  WaitFor(http_);
  EXPECT_EQ(http_.GetChunk(6), "<html>");
  EXPECT_EQ(http_.GetChunk(6), "<body>");
}

TEST_F(CurlTransferTest, HttpFailuresArriveAsErrorState) {
  RookeryProcess service(
      {"--fault", "drop=auth", "--fault", "stall=verify", "--fault", "stall_ms=3000"});
  http_.Execute(Page(service, "ext_auth.php?login=demo&pass=demo"), "");
  WaitFor(http_);
  EXPECT_EQ(httpStates_.back(), TransferState::Error);
  EXPECT_EQ(http_.ResponseCode(), kErrorCannotConnect);
  EXPECT_EQ(reply_, "unset");  // a failed request leaves the reply alone

  httpStates_.clear();
  http_.SetRequestTimeout(std::chrono::seconds(1));
  http_.Execute(Page(service, "ext_verify.php?name_file=x"), "");
  WaitFor(http_);
  EXPECT_EQ(httpStates_.back(), TransferState::Error);
  EXPECT_EQ(http_.ResponseCode(), kErrorTimeout);
}

TEST_F(CurlTransferTest, RefusedConnectionIs12030) {
  const int port = brindle::testing::UnusedPort();
  http_.Execute("http://127.0.0.1:" + std::to_string(port) + "/rookery/csv_importer/x", "");
  WaitFor(http_);
  EXPECT_EQ(httpStates_.front(), TransferState::Resolving);
  EXPECT_EQ(httpStates_.back(), TransferState::Error);
  EXPECT_TRUE(Increasing(httpStates_));
  EXPECT_EQ(http_.ResponseCode(), kErrorCannotConnect);
  EXPECT_EQ(http_.ResponseInfo().rfind("The connection with the server could not be made", 0), 0u)
      << http_.ResponseInfo();

  ftp_.SetHost("127.0.0.1:" + std::to_string(port));
  Ftp("DELETE \"x.out\"");
  EXPECT_EQ(ftpStates_.back(), TransferState::Error);
  EXPECT_EQ(ftp_.ResponseCode(), kErrorCannotConnect);
}

TEST_F(CurlTransferTest, FtpUploadDownloadAndDeleteKeepEveryByte) {
  RookeryProcess service;
  UseFtpOf(service);
  std::string bytes = "\"1\",\"Jos\xE9 M\xFCller\",\"a\r\nb\"\r\n";
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  WriteFile(local_ / "12_csv.tmp", bytes);

  Ftp("PUT \"" + (local_ / "12_csv.tmp").string() + "\" \"12_csv.tmp\"");
  EXPECT_EQ(Numbers(ftpStates_), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}));
  EXPECT_EQ(ReadFile(service.ftpHome() / "12_csv.tmp"), bytes);

  WriteFile(service.ftpHome() / "12_csv.tmp.out", "12,900\n\n");
  const fs::path result = local_ / "12_csv.tmp.out";
  Ftp("GET \"12_csv.tmp.out\" \"" + result.string() + "\"");
  EXPECT_EQ(ftpStates_.back(), TransferState::ResponseCompleted);
  EXPECT_EQ(ReadFile(result), "12,900\n\n");

  Ftp("DELETE \"12_csv.tmp.out\"");
  EXPECT_EQ(ftpStates_.back(), TransferState::ResponseCompleted);
  EXPECT_FALSE(fs::exists(service.ftpHome() / "12_csv.tmp.out"));
  EXPECT_TRUE(fs::exists(service.ftpHome() / "12_csv.tmp"));
}

TEST_F(CurlTransferTest, FtpRefusalsCarryTheServersReply) {
  RookeryProcess service;
  UseFtpOf(service);
  const fs::path result = local_ / "none.out";
  Ftp("GET \"none.out\" \"" + result.string() + "\"");
  EXPECT_EQ(ftpStates_.back(), TransferState::Error);
  EXPECT_EQ(ftp_.ResponseCode(), 550);
  EXPECT_NE(ftp_.ResponseInfo().find("none.out"), std::string::npos) << ftp_.ResponseInfo();
  EXPECT_FALSE(fs::exists(result));  // no empty or partial file is left behind

  Ftp("DELETE \"none.out\"");
  EXPECT_EQ(ftp_.ResponseCode(), 550) << ftp_.ResponseInfo();

  Ftp("PUT \"" + (local_ / "missing.csv").string() + "\" \"missing.csv\"");
  EXPECT_EQ(ftpStates_.back(), TransferState::Error);
  EXPECT_NE(ftp_.ResponseInfo().find("missing.csv"), std::string::npos);

  ftp_.SetPassword("wrong");
  Ftp("DELETE \"none.out\"");
  EXPECT_EQ(ftp_.ResponseCode(), 530);
}

TEST_F(CurlTransferTest, CancelStopsTheRequestAndItsEvents) {
  RookeryProcess service({"--fault", "stall=auth", "--fault", "stall_ms=2000"});
  http_.Execute(Page(service, "ext_auth.php?login=demo&pass=demo"), "");
  pump_.Pump(milliseconds(20));
  http_.Cancel();
  EXPECT_FALSE(http_.StillExecuting());
  httpStates_.clear();
  for (int i = 0; i < 5; ++i) pump_.Pump(milliseconds(10));
  EXPECT_TRUE(httpStates_.empty());
  http_.Cancel();  // harmless when nothing runs

  // The control is usable again at once.
  http_.Execute(Page(service, "ext_verify.php?name_file=x"), "");
  WaitFor(http_);
  EXPECT_EQ(reply_, "0");
}

TEST_F(CurlTransferTest, MisuseIsRefused) {
  EXPECT_THROW(http_.ExecuteCommand("DELETE \"x\""), TransferControlError);
  EXPECT_THROW(ftp_.Execute("http://127.0.0.1/", ""), TransferControlError);
  EXPECT_THROW(http_.Execute("http://127.0.0.1/", "POST"), TransferControlError);
  EXPECT_THROW(ftp_.ExecuteCommand("LIST"), FtpCommandError);
  EXPECT_FALSE(ftp_.StillExecuting());
}

}  // namespace
}  // namespace brindle::platform
