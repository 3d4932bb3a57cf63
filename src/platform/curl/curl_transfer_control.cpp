#include "platform/curl/curl_transfer_control.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/curl/ftp_command.h"
#include "platform/curl/transfer_error.h"

namespace brindle::platform {
namespace {

constexpr std::size_t kMaxBody = 64 * 1024;  // far more than any reply the window reads
constexpr std::chrono::seconds kHttpTimeout{60};
constexpr std::chrono::seconds kFtpTimeout{600};

struct EasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListFree {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string EscapedName(const std::string& name) {
  char* escaped = curl_easy_escape(nullptr, name.c_str(), static_cast<int>(name.size()));
  std::string out = escaped != nullptr ? escaped : "";
  curl_free(escaped);
  return out;
}

// "550 No such file.\r\n" -> 550 and "No such file."
long ReplyCode(const std::string& line) {
  return line.size() >= 3 ? std::strtol(line.substr(0, 3).c_str(), nullptr, 10) : 0;
}

std::string ReplyText(std::string line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line.size() > 4 ? line.substr(4) : "";
}

}  // namespace

struct CurlTransferControl::Transfer {
  // Declared before `easy`, so it is freed after the handle that points to it.
  std::unique_ptr<curl_slist, ListFree> quote;
  std::unique_ptr<CURL, EasyCleanup> easy{curl_easy_init()};
  char errorBuffer[CURL_ERROR_SIZE] = {};
  bool inMulti = false;
  bool failedStart = false;
  std::string localError;  // a local file problem, reported instead of libcurl's words
  // Progress seen by the debug callback.
  bool sent = false;
  bool received = false;
  // The server's last refusal (a 4xx or 5xx reply line). The last reply of all would not do:
  // the session's closing "221 Goodbye" follows a refusal.
  std::string lastRefusal;
  // FTP files.
  std::unique_ptr<std::FILE, FileClose> upload;
  std::unique_ptr<std::FILE, FileClose> download;
  std::string downloadPath;
  bool isDownload = false;
  std::string* body = nullptr;  // HTTP: where the response body goes

  static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    auto* t = static_cast<Transfer*>(self);
    if (type == CURLINFO_HEADER_OUT || type == CURLINFO_DATA_OUT) t->sent = true;
    if (type == CURLINFO_HEADER_IN || type == CURLINFO_DATA_IN) t->received = true;
    if (type == CURLINFO_HEADER_IN && size > 3 && (data[0] == '4' || data[0] == '5')) {
      t->lastRefusal.assign(data, size);
    }
    return 0;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    const size_t bytes = size * count;
    if (t->body->size() < kMaxBody) {
      t->body->append(data, std::min(bytes, kMaxBody - t->body->size()));
    }
    return bytes;
  }

  static size_t OnDownload(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    if (!t->OpenDownload()) return 0;
    return std::fwrite(data, size, count, t->download.get()) * size;
  }

  static size_t OnUpload(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    const size_t got = std::fread(data, size, count, t->upload.get());
    if (got < count && std::ferror(t->upload.get())) {
      t->localError = "Cannot read the local file";
      return CURL_READFUNC_ABORT;
    }
    return got * size;
  }

  bool OpenDownload() {
    if (!download) download.reset(std::fopen(downloadPath.c_str(), "wb"));
    if (!download) localError = "Cannot write the local file " + downloadPath;
    return download != nullptr;
  }

  // Closes the files; a download that failed leaves no partial file behind.
  bool CloseFiles(bool succeeded) {
    upload.reset();
    if (isDownload && succeeded && !OpenDownload()) succeeded = false;  // empty remote file
    if (download) {
      const bool flushed = std::fflush(download.get()) == 0;
      download.reset();
      if (!flushed) {
        localError = "Cannot write the local file " + downloadPath;
        succeeded = false;
      }
      if (!succeeded) {
        std::error_code ignored;
        std::filesystem::remove(downloadPath, ignored);
      }
    }
    return succeeded;
  }
};

CurlTransferControl::CurlTransferControl(CurlPump& pump, Protocol protocol)
    : pump_(pump),
      protocol_(protocol),
      timeout_(protocol == Protocol::Http ? kHttpTimeout : kFtpTimeout) {
  pump_.Attach(this);
}

CurlTransferControl::~CurlTransferControl() {
  Cancel();
  pump_.Detach(this);
}

void CurlTransferControl::Execute(const std::string& url, const std::string& operation) {
  if (StillExecuting()) throw TransferControlError("Still executing last request");
  if (protocol_ != Protocol::Http || !(operation.empty() || operation == "GET")) {
    throw TransferControlError("Unsupported request: " + operation + " " + url);
  }
  auto transfer = std::make_unique<Transfer>();
  body_.clear();
  chunkPos_ = 0;
  transfer->body = &body_;
  CURL* easy = transfer->easy.get();
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
  StartCommon(*transfer, url);
  Start(std::move(transfer));
}

void CurlTransferControl::ExecuteCommand(const std::string& text) {
  if (StillExecuting()) throw TransferControlError("Still executing last request");
  if (protocol_ != Protocol::Ftp) throw TransferControlError("Not an FTP control: " + text);
  const FtpCommand command = ParseFtpCommand(text);
  auto transfer = std::make_unique<Transfer>();
  CURL* easy = transfer->easy.get();
  const std::string base = "ftp://" + host_ + "/";
  if (command.kind == FtpCommand::Kind::Delete) {
    // Run as a quoted command before a body-less visit of the starting folder: libcurl has no
    // delete request of its own, and a custom request with no body sends nothing at all.
    transfer->quote.reset(curl_slist_append(nullptr, ("DELE " + command.remoteName).c_str()));
    curl_easy_setopt(easy, CURLOPT_QUOTE, transfer->quote.get());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    StartCommon(*transfer, base);
  } else if (command.kind == FtpCommand::Kind::Put) {
    transfer->upload.reset(std::fopen(command.localPath.c_str(), "rb"));
    if (!transfer->upload) {
      transfer->failedStart = true;
      transfer->localError = "Cannot open the local file " + command.localPath;
    }
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Transfer::OnUpload);
    curl_easy_setopt(easy, CURLOPT_READDATA, transfer.get());
    StartCommon(*transfer, base + EscapedName(command.remoteName));
  } else {
    transfer->isDownload = true;
    transfer->downloadPath = command.localPath;
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnDownload);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    StartCommon(*transfer, base + EscapedName(command.remoteName));
  }
  curl_easy_setopt(easy, CURLOPT_USERNAME, user_.c_str());
  curl_easy_setopt(easy, CURLOPT_PASSWORD, password_.c_str());
  curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(timeout_.count()));
  Start(std::move(transfer));
}

void CurlTransferControl::StartCommon(Transfer& transfer, const std::string& url) {
  CURL* easy = transfer.easy.get();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.errorBuffer);
  curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);  // feeds OnDebug, which tracks progress
  curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &Transfer::OnDebug);
  curl_easy_setopt(easy, CURLOPT_DEBUGDATA, &transfer);
  // Every request has its own connection, closed when it ends (states 9 and 10 mean it).
  curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
  // A proxy from the environment must never see loopback traffic.
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
  // The request time-out: to connect, and between two pieces of data.
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeout_.count()));
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeout_.count()));
}

void CurlTransferControl::Start(std::unique_ptr<Transfer> transfer) {
  errorCode_ = 0;
  errorText_.clear();
  queuedState_ = 0;
  transfer_ = std::move(transfer);
  QueueUpTo(TransferState::Resolving);
  if (transfer_->failedStart) return;
  if (curl_multi_add_handle(static_cast<CURLM*>(pump_.multi_), transfer_->easy.get()) != CURLM_OK) {
    transfer_->failedStart = true;
    return;
  }
  transfer_->inMulti = true;
}

void* CurlTransferControl::EasyHandle() const {
  return transfer_ && transfer_->inMulti ? transfer_->easy.get() : nullptr;
}

bool CurlTransferControl::OwnsFailedStart() const { return transfer_ && transfer_->failedStart; }

bool CurlTransferControl::StillExecuting() const {
  return transfer_ && (transfer_->inMulti || transfer_->failedStart);
}

void CurlTransferControl::Cancel() {
  pump_.DropEvents(this);
  if (!transfer_) return;
  if (transfer_->inMulti) {
    curl_multi_remove_handle(static_cast<CURLM*>(pump_.multi_), transfer_->easy.get());
  }
  transfer_->CloseFiles(false);
  transfer_.reset();
}

std::string CurlTransferControl::GetChunk(std::size_t size) {
  const std::string chunk = body_.substr(std::min(chunkPos_, body_.size()), size);
  chunkPos_ += chunk.size();
  return chunk;
}

void CurlTransferControl::QueueUpTo(int state) {
  while (queuedState_ < state) pump_.Queue(this, ++queuedState_);
}

void CurlTransferControl::QueueProgress() {
  if (!transfer_ || !transfer_->inMulti) return;
  CURL* easy = transfer_->easy.get();
  curl_off_t lookup = 0, connect = 0;
  curl_easy_getinfo(easy, CURLINFO_NAMELOOKUP_TIME_T, &lookup);
  curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connect);
  int reached = TransferState::Resolving;
  if (lookup > 0) reached = TransferState::Connecting;
  if (connect > 0) reached = TransferState::Connected;
  if (transfer_->sent) reached = TransferState::Requesting;
  if (transfer_->received) reached = TransferState::Receiving;
  QueueUpTo(reached);
}

void CurlTransferControl::Finish(int curlResult) {
  const auto result = static_cast<CURLcode>(curlResult);
  Transfer& t = *transfer_;
  if (t.inMulti) {
    QueueProgress();
    curl_multi_remove_handle(static_cast<CURLM*>(pump_.multi_), t.easy.get());
    t.inMulti = false;
  }
  t.failedStart = false;
  const bool succeeded = t.CloseFiles(result == CURLE_OK) && t.localError.empty();
  if (succeeded) {
    QueueUpTo(TransferState::ResponseReceived);
    QueueUpTo(TransferState::Disconnected);
    pump_.Queue(this, TransferState::ResponseCompleted);
  } else {
    RecordError(result);
    pump_.Queue(this, TransferState::Error);
  }
  transfer_.reset();
}

void CurlTransferControl::RecordError(int curlResult) {
  const auto result = static_cast<CURLcode>(curlResult);
  const Transfer& t = *transfer_;
  const bool ftp = protocol_ == Protocol::Ftp;
  const TransferError error =
      !t.localError.empty() ? TransferError{kErrorExtended, t.localError}
                            : MapCurlError(result, ftp ? ReplyCode(t.lastRefusal) : 0,
                                           ftp ? ReplyText(t.lastRefusal) : "", t.errorBuffer);
  errorCode_ = error.code;
  errorText_ = error.text;
}

}  // namespace brindle::platform
