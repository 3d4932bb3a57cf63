// One libcurl request of a transfer control. It is set up on the window thread and, once
// handed to the pump, used by the pump's worker thread alone; what the window may still touch
// (cancelling it) goes through its TransferLink.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/curl/ftp_command.h"
#include "platform/curl/transfer_link.h"
#include "platform/owned_file.h"
#include "platform/transfer_control.h"

namespace brindle::platform {

class CurlTransferControl;

// The most of a reply body the window is given: far more than any reply it reads. A longer
// body is not a reply: the request ends and reads as an empty, unreadable reply.
inline constexpr std::size_t kMaxBody = 64 * 1024;

// How a request ended, handed to the window thread with its last state.
struct TransferResult {
  bool succeeded = false;
  int errorCode = 0;
  std::string errorText;
  std::string errorCause;  // TransferControl::ErrorCause
  std::string body;  // HTTP only
};

struct FtpAccount {
  std::string host;  // may carry ":port"
  std::string user;
  std::string password;
};

class CurlTransfer {
 public:
  // `timeout` bounds the whole request, from connecting to the last byte and the final reply.
  static std::unique_ptr<CurlTransfer> Http(const std::string& url, std::chrono::seconds timeout);
  static std::unique_ptr<CurlTransfer> Ftp(const FtpCommand& command, const FtpAccount& account,
                                           std::chrono::seconds timeout);
  ~CurlTransfer() = default;
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  CURL* easy() const { return easy_.get(); }
  const std::shared_ptr<TransferLink>& link() const { return link_; }
  // The local file to upload could not be opened: the request must not start.
  bool startFailed() const { return startFailed_; }

  // The progress state reached so far, from what libcurl has done.
  TransferState ReachedState() const;
  // Ends the request with libcurl's result and closes its files.
  TransferResult Finish(CURLcode result);

  // Where its state changes go.
  CurlTransferControl* owner = nullptr;
  std::uint64_t generation = 0;
  TransferState postedState = TransferState::None;  // the highest progress state posted

 private:
  explicit CurlTransfer(bool ftp, std::shared_ptr<TransferLink> link);
  void Common(const std::string& url, std::chrono::seconds timeout);

  struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
  };
  struct ListFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
  };

  static int OnDebug(CURL*, curl_infotype type, char* data, std::size_t size, void* self);
  static curl_socket_t OnOpenSocket(void* self, curlsocktype, curl_sockaddr* address);
  static int OnCloseSocket(void* self, curl_socket_t socket);
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnDownload(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnUpload(char* data, std::size_t size, std::size_t count, void* self);

  bool ftp_;
  // Declared before the handle, so that both outlive it: libcurl closes sockets through the
  // link while the handle is cleaned up.
  std::shared_ptr<TransferLink> link_;
  std::unique_ptr<curl_slist, ListFree> quote_;
  FilePtr upload_;
  std::unique_ptr<CURL, EasyCleanup> easy_{curl_easy_init()};
  char errorBuffer_[CURL_ERROR_SIZE] = {};
  bool startFailed_ = false;
  std::string localError_;  // a local file problem, reported instead of libcurl's words
  bool sent_ = false, received_ = false;
  // The server's last refusal (a 4xx or 5xx reply line). The last reply of all would not do:
  // the session's closing "221 Goodbye" follows a refusal.
  std::string lastRefusal_;
  std::string body_;
  bool oversized_ = false;
};

}  // namespace brindle::platform
