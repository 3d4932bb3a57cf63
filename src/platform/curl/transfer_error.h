// How a failed libcurl transfer is reported through the transfer control's error state.
#pragma once

#include <curl/curl.h>

#include <string>

namespace brindle::platform {

struct TransferError {
  int code = 0;      // the FTP server's reply code, or 12030 / 12002 / 12003
  std::string text;  // the server's reply text, or a description
};

inline constexpr int kErrorExtended = 12003;

// `replyCode` and `replyText` are the server's last FTP reply (0 and "" when there was none,
// and for HTTP); `detail` is libcurl's error buffer.
TransferError MapCurlError(CURLcode result, long replyCode, const std::string& replyText,
                           const std::string& detail);

// Why a transfer failed, in plain words that do not name the host (TransferControl::ErrorCause):
// `systemWords` is the system's reason for the last failed socket call ("connection refused",
// "" when none failed), `detail` libcurl's error buffer.
std::string CurlErrorCause(CURLcode result, const std::string& systemWords,
                           const std::string& detail);

}  // namespace brindle::platform
