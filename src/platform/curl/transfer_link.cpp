#include "platform/curl/transfer_link.h"

#include <system_error>
#include <utility>

#include "platform/curl/socket_calls.h"

namespace brindle::platform {

TransferLink::TransferLink(std::filesystem::path downloadPath) : path_(std::move(downloadPath)) {}

curl_socket_t TransferLink::Open(int family, int type, int protocol) {
  std::lock_guard lock(mutex_);
  if (cancelled_) return CURL_SOCKET_BAD;
  const curl_socket_t socket = OpenSocket(family, type, protocol);
  if (socket != CURL_SOCKET_BAD) sockets_.insert(socket);
  return socket;
}

void TransferLink::Close(curl_socket_t socket) {
  std::lock_guard lock(mutex_);
  sockets_.erase(socket);
  CloseSocket(socket);
}

TransferLink::Written TransferLink::Write(const char* data, std::size_t size) {
  std::lock_guard lock(mutex_);
  if (cancelled_) return Written::Cancelled;
  if (bytes_ + size > kMaxDownload) {
    failure_ = "The result file is larger than 16 MiB; it was not kept";
    return Written::TooLarge;
  }
  if (!created_) {
    created_ = true;
    made_ = file_.Create(path_);
    if (!made_) {
      failure_ = "Cannot create the local file " + path_.string();
      return Written::Failed;
    }
  }
  if (!file_.Write(data, size)) {
    failure_ = "Cannot write the local file " + path_.string();
    return Written::Failed;
  }
  bytes_ += size;
  return Written::Ok;
}

bool TransferLink::Complete(bool succeeded) {
  std::lock_guard lock(mutex_);
  if (cancelled_ || completed_ || path_.empty()) return succeeded && !cancelled_;
  completed_ = true;
  if (succeeded && !created_) {
    created_ = true;
    made_ = succeeded = file_.Create(path_);
    if (!succeeded) failure_ = "Cannot create the local file " + path_.string();
  }
  if (succeeded && !file_.Close()) {
    failure_ = "Cannot write the local file " + path_.string();
    succeeded = false;
  }
  if (!succeeded) DropFile();
  return succeeded;
}

void TransferLink::Cancel() {
  std::lock_guard lock(mutex_);
  cancelled_ = true;
  for (const curl_socket_t socket : sockets_) ShutDownSocket(socket);
  if (!completed_) DropFile();
}

bool TransferLink::cancelled() const {
  std::lock_guard lock(mutex_);
  return cancelled_;
}

void TransferLink::DropFile() {
  if (!made_) return;
  (void)file_.Close();  // the file is removed next: a close error changes nothing
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
  made_ = false;
}

}  // namespace brindle::platform
