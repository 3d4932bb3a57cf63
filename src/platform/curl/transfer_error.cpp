#include "platform/curl/transfer_error.h"

#include "platform/transfer_control.h"

namespace brindle::platform {
namespace {

bool IsConnectionFailure(CURLcode result) {
  switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_PORT_FAILED:
      return true;
    default:
      return false;
  }
}

std::string WithDetail(std::string text, const std::string& detail) {
  if (!detail.empty()) text += " (" + detail + ")";
  return text;
}

std::string WithReason(std::string text, const std::string& reason) {
  if (!reason.empty()) text += ": " + reason;
  return text;
}

}  // namespace

std::string CurlErrorCause(CURLcode result, const std::string& systemWords,
                           const std::string& detail) {
  switch (result) {
    case CURLE_COULDNT_CONNECT:
      return systemWords.empty() ? "the connection could not be made" : systemWords;
    case CURLE_COULDNT_RESOLVE_HOST:
      return "the host name was not found";
    case CURLE_OPERATION_TIMEDOUT:
      return "no answer in time";
    case CURLE_PEER_FAILED_VERIFICATION:
      return WithReason("the server's certificate was refused", detail);
    case CURLE_SSL_CONNECT_ERROR:
      return WithReason("the encrypted connection could not be made", detail);
    default:
      break;
  }
  if (IsConnectionFailure(result)) return WithReason("the connection was lost", systemWords);
  return detail.empty() ? curl_easy_strerror(result) : detail;
}

TransferError MapCurlError(CURLcode result, long replyCode, const std::string& replyText,
                           const std::string& detail) {
  if (result == CURLE_OPERATION_TIMEDOUT) {
    return {kErrorTimeout, WithDetail("The operation timed out", detail)};
  }
  // A refusal by the FTP server (550 missing file, 530 login) carries its own words.
  if (replyCode >= 400 && !IsConnectionFailure(result)) {
    return {static_cast<int>(replyCode), replyText.empty() ? detail : replyText};
  }
  if (IsConnectionFailure(result)) {
    return {kErrorCannotConnect,
            WithDetail("The connection with the server could not be made or was lost", detail)};
  }
  return {kErrorExtended, detail.empty() ? curl_easy_strerror(result) : detail};
}

}  // namespace brindle::platform
