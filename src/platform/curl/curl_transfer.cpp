#include "platform/curl/curl_transfer.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/curl/socket_calls.h"
#include "platform/curl/transfer_error.h"
#include "platform/file_safety.h"
#include "platform/transfer_control.h"
#include "platform/utf8_path.h"
#include "text/whole_number.h"

namespace brindle::platform {
namespace {

std::string EscapedName(const std::string& name) {
  char* escaped = curl_easy_escape(nullptr, name.c_str(), static_cast<int>(name.size()));
  std::string out = escaped != nullptr ? escaped : "";
  curl_free(escaped);
  return out;
}

// "550 No such file.\r\n" -> 550 and "No such file."
long ReplyCode(const std::string& line) {
  return static_cast<long>(text::ParseWholeNumber(std::string_view(line).substr(0, 3)).value_or(0));
}

std::string ReplyText(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line.size() > 4 ? line.substr(4) : "";
}

}  // namespace

CurlTransfer::CurlTransfer(bool ftp, std::shared_ptr<TransferLink> link)
    : ftp_(ftp), link_(std::move(link)) {}

std::unique_ptr<CurlTransfer> CurlTransfer::Http(const std::string& url,
                                                 std::chrono::seconds timeout) {
  std::unique_ptr<CurlTransfer> t(new CurlTransfer(false, std::make_shared<TransferLink>()));
  CURL* easy = t->easy();
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, t.get());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  t->Common(url, timeout);
  return t;
}

std::unique_ptr<CurlTransfer> CurlTransfer::Ftp(const FtpCommand& command,
                                                const FtpAccount& account,
                                                std::chrono::seconds timeout) {
  const bool download = command.kind == FtpCommand::Kind::Get;
  std::unique_ptr<CurlTransfer> t(new CurlTransfer(
      true, std::make_shared<TransferLink>(download ? PathFromUtf8(command.localPath)
                                                    : std::filesystem::path())));
  CURL* easy = t->easy();
  const std::string base = "ftp://" + account.host + "/";
  if (command.kind == FtpCommand::Kind::Delete) {
    // Run as a quoted command before a body-less visit of the starting folder: libcurl has no
    // delete request of its own, and a custom request with no body sends nothing at all.
    t->quote_.reset(curl_slist_append(nullptr, ("DELE " + command.remoteName).c_str()));
    curl_easy_setopt(easy, CURLOPT_QUOTE, t->quote_.get());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    t->Common(base, timeout);
  } else if (command.kind == FtpCommand::Kind::Put) {
    try {
      t->upload_.reset(OpenRegularForReading(PathFromUtf8(command.localPath)));
    } catch (const FileError&) {
      t->upload_.reset();
    }
    if (!t->upload_) {
      t->startFailed_ = true;
      t->localError_ = "Cannot open the local file " + command.localPath;
    }
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &CurlTransfer::OnUpload);
    curl_easy_setopt(easy, CURLOPT_READDATA, t.get());
    t->Common(base + EscapedName(command.remoteName), timeout);
  } else {
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnDownload);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, t.get());
    t->Common(base + EscapedName(command.remoteName), timeout);
  }
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
  // The contacts travel encrypted whenever the server offers TLS, in clear text otherwise.
  curl_easy_setopt(easy, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
  curl_easy_setopt(easy, CURLOPT_USERNAME, account.user.c_str());
  curl_easy_setopt(easy, CURLOPT_PASSWORD, account.password.c_str());
  return t;
}

void CurlTransfer::Common(const std::string& url, std::chrono::seconds timeout) {
  CURL* easy = this->easy();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer_);
  curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);  // feeds OnDebug, which tracks progress
  curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &CurlTransfer::OnDebug);
  curl_easy_setopt(easy, CURLOPT_DEBUGDATA, this);
  // The sockets go through the link, so that a cancel can stop a call blocked on them.
  curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &CurlTransfer::OnOpenSocket);
  curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, link_.get());
  curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &CurlTransfer::OnCloseSocket);
  curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, link_.get());
  // Every request has its own connection, closed when it ends (states 9 and 10 mean it).
  curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
  // A proxy from the environment must never see loopback traffic.
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
  // The request time-out bounds the whole request, however slowly the server answers.
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeout.count()));
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, static_cast<long>(timeout.count()));
}

int CurlTransfer::OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* self) {
  auto* t = static_cast<CurlTransfer*>(self);
  if (type == CURLINFO_HEADER_OUT || type == CURLINFO_DATA_OUT) t->sent_ = true;
  if (type == CURLINFO_HEADER_IN || type == CURLINFO_DATA_IN) t->received_ = true;
  if (type == CURLINFO_HEADER_IN && size > 3 && (data[0] == '4' || data[0] == '5')) {
    t->lastRefusal_.assign(data, size);
  }
  return 0;
}

curl_socket_t CurlTransfer::OnOpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
  return static_cast<TransferLink*>(self)->Open(address->family, address->socktype,
                                                address->protocol);
}

int CurlTransfer::OnCloseSocket(void* self, curl_socket_t socket) {
  static_cast<TransferLink*>(self)->Close(socket);
  return 0;
}

std::size_t CurlTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
  auto* t = static_cast<CurlTransfer*>(self);
  const std::size_t bytes = size * count;
  if (t->body_.size() + bytes > kMaxBody) {
    t->oversized_ = true;
    return 0;  // ends the request
  }
  t->body_.append(data, bytes);
  return bytes;
}

std::size_t CurlTransfer::OnDownload(char* data, std::size_t size, std::size_t count, void* self) {
  auto* t = static_cast<CurlTransfer*>(self);
  const std::size_t bytes = size * count;
  switch (t->link_->Write(data, bytes)) {
    case TransferLink::Written::Ok:
      return bytes;
    case TransferLink::Written::Cancelled:
      return 0;
    case TransferLink::Written::TooLarge:
    case TransferLink::Written::Failed:
      t->localError_ = t->link_->failure();
      return 0;
  }
  return 0;
}

std::size_t CurlTransfer::OnUpload(char* data, std::size_t size, std::size_t count, void* self) {
  auto* t = static_cast<CurlTransfer*>(self);
  const std::size_t got = std::fread(data, size, count, t->upload_.get());
  if (got < count && std::ferror(t->upload_.get())) {
    t->localError_ = "Cannot read the local file";
    return CURL_READFUNC_ABORT;
  }
  return got * size;
}

TransferState CurlTransfer::ReachedState() const {
  curl_off_t lookup = 0, connect = 0;
  curl_easy_getinfo(easy(), CURLINFO_NAMELOOKUP_TIME_T, &lookup);
  curl_easy_getinfo(easy(), CURLINFO_CONNECT_TIME_T, &connect);
  TransferState reached = TransferState::Resolving;
  if (lookup > 0) reached = TransferState::Connecting;
  if (connect > 0) reached = TransferState::Connected;
  if (sent_) reached = TransferState::Requesting;
  if (received_) reached = TransferState::Receiving;
  return reached;
}

TransferResult CurlTransfer::Finish(CURLcode result) {
  upload_.reset();
  TransferResult out;
  // A body too long to be a reply ends the request; what arrived is not a reply at all.
  if (oversized_) {
    out.succeeded = true;
    return out;
  }
  bool succeeded = result == CURLE_OK && localError_.empty();
  succeeded = link_->Complete(succeeded) && succeeded;
  if (localError_.empty() && !link_->failure().empty()) localError_ = link_->failure();
  if (succeeded) {
    out.succeeded = true;
    out.body = std::move(body_);
    return out;
  }
  const TransferError error = !localError_.empty()
                                  ? TransferError{kErrorExtended, localError_}
                                  : MapCurlError(result, ftp_ ? ReplyCode(lastRefusal_) : 0,
                                                 ftp_ ? ReplyText(lastRefusal_) : "", errorBuffer_);
  out.errorCode = error.code;
  out.errorText = error.text;
  long systemError = 0;
  curl_easy_getinfo(easy(), CURLINFO_OS_ERRNO, &systemError);
  out.errorCause = !localError_.empty()
                       ? localError_
                       : CurlErrorCause(result, SocketErrorWords(systemError), errorBuffer_);
  return out;
}

}  // namespace brindle::platform
