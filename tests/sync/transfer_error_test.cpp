#include "platform/curl/transfer_error.h"

#include <gtest/gtest.h>

#include "platform/transfer_control.h"

namespace brindle::platform {
namespace {

TEST(MapCurlError, ServerRefusalsKeepTheirReply) {
  const TransferError missing =
      MapCurlError(CURLE_REMOTE_FILE_NOT_FOUND, 550, "No such file or directory.", "detail");
  EXPECT_EQ(missing.code, 550);
  EXPECT_EQ(missing.text, "No such file or directory.");
  EXPECT_EQ(MapCurlError(CURLE_QUOTE_ERROR, 550, "gone", "").code, 550);
  EXPECT_EQ(MapCurlError(CURLE_LOGIN_DENIED, 530, "Authentication failed.", "").code, 530);
}

TEST(MapCurlError, ConnectionProblemsAndTimeouts) {
  for (CURLcode lost : {CURLE_COULDNT_CONNECT, CURLE_COULDNT_RESOLVE_HOST, CURLE_RECV_ERROR,
                        CURLE_SEND_ERROR, CURLE_GOT_NOTHING, CURLE_PARTIAL_FILE}) {
    const TransferError error = MapCurlError(lost, 0, "", "Connection refused");
    EXPECT_EQ(error.code, kErrorCannotConnect) << lost;
    EXPECT_NE(error.text.find("Connection refused"), std::string::npos);
  }
  // A connection lost in the middle keeps its connection code even after a server reply.
  EXPECT_EQ(MapCurlError(CURLE_PARTIAL_FILE, 426, "aborted", "").code, kErrorCannotConnect);
  EXPECT_EQ(MapCurlError(CURLE_OPERATION_TIMEDOUT, 0, "", "").code, kErrorTimeout);
  EXPECT_EQ(MapCurlError(CURLE_OPERATION_TIMEDOUT, 550, "x", "").code, kErrorTimeout);
}

TEST(MapCurlError, OtherFailuresSayWhatHappened) {
  const TransferError error = MapCurlError(CURLE_URL_MALFORMAT, 0, "", "");
  EXPECT_EQ(error.code, kErrorExtended);
  EXPECT_EQ(error.text, curl_easy_strerror(CURLE_URL_MALFORMAT));
  // libcurl's own account of this transfer says more than the code's description.
  EXPECT_EQ(MapCurlError(CURLE_URL_MALFORMAT, 0, "", "Port number was not a decimal number").text,
            "Port number was not a decimal number");
}

TEST(CurlErrorCause, SaysWhatHappenedInPlainWords) {
  const struct {
    CURLcode result;
    const char* systemWords;
    const char* detail;
    const char* cause;
  } cases[] = {
      {CURLE_COULDNT_CONNECT, "connection refused",
       "Failed to connect to 127.0.0.1 port 9 after 0 ms: Couldn't connect to server",
       "connection refused"},
      {CURLE_COULDNT_CONNECT, "", "", "the connection could not be made"},
      {CURLE_COULDNT_RESOLVE_HOST, "", "Could not resolve host: x", "the host name was not found"},
      {CURLE_RECV_ERROR, "connection reset by peer", "",
       "the connection was lost: connection reset by peer"},
      {CURLE_PEER_FAILED_VERIFICATION, "", "SSL certificate problem: self-signed certificate",
       "the server's certificate was refused: SSL certificate problem: self-signed certificate"},
      {CURLE_URL_MALFORMAT, "", "", curl_easy_strerror(CURLE_URL_MALFORMAT)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CurlErrorCause(c.result, c.systemWords, c.detail), c.cause) << c.result;
  }
}

}  // namespace
}  // namespace brindle::platform
