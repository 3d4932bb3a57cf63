// What the window thread and the transfer worker share about one transfer: its sockets, its
// download file and whether the window has cancelled it. One mutex guards it all, so a cancel
// never meets a socket being closed or a file half written, and never waits for the network.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>

#include "platform/curl/private_file.h"

namespace brindle::platform {

// The largest result file a download accepts: far above any the service makes (32,767 rows of
// the longest identifiers stay under 9 MiB), low enough that a hostile server cannot fill the
// disk or the memory.
inline constexpr std::size_t kMaxDownload = 16 * 1024 * 1024;

class TransferLink {
 public:
  // `downloadPath` is empty for a transfer that writes no local file.
  explicit TransferLink(std::filesystem::path downloadPath = {});

  // Worker side: the transfer's sockets, as libcurl opens and closes them. No socket is opened
  // once the transfer is cancelled.
  curl_socket_t Open(int family, int type, int protocol);
  void Close(curl_socket_t socket);

  enum class Written { Ok, Cancelled, TooLarge, Failed };
  // Appends to the download file, created owner-only at the first byte.
  Written Write(const char* data, std::size_t size);
  // Ends the download: a finished one keeps its file (an empty remote file gives an empty
  // one), any other leaves none. False when the file could not be made complete.
  bool Complete(bool succeeded);

  // Window side: every socket is shut down, so that libcurl stops waiting on the server at
  // once, and a partial download is removed.
  void Cancel();
  bool cancelled() const;

  const std::string& failure() const { return failure_; }  // worker side, after a Failed write

 private:
  void DropFile();

  mutable std::mutex mutex_;
  bool cancelled_ = false;
  bool completed_ = false;
  std::set<curl_socket_t> sockets_;
  std::filesystem::path path_;
  NewPrivateFile file_;
  bool created_ = false;  // creation was tried
  bool made_ = false;     // this transfer made the file, so it may remove it
  std::size_t bytes_ = 0;
  std::string failure_;
};

}  // namespace brindle::platform
