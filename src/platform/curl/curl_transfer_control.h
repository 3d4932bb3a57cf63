// The transfer control on libcurl: one class for both instances, the FTP control `ITC` and
// the HTTP control `ITC2`. Requests run on the window thread, advanced by CurlPump.
#pragma once

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/curl/curl_pump.h"
#include "platform/transfer_control.h"

namespace brindle::platform {

// Misuse of the control: a request while one still runs, an unknown operation.
class TransferControlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CurlTransferControl final : public TransferControl {
 public:
  enum class Protocol { Http, Ftp };

  // HTTP: request time-out 60 s. FTP: 600 s, passive connections.
  CurlTransferControl(CurlPump& pump, Protocol protocol);
  ~CurlTransferControl() override;

  // A request fails with kErrorTimeout when connecting, or waiting for the next data, takes
  // longer than this.
  void SetRequestTimeout(std::chrono::seconds timeout) { timeout_ = timeout; }

  void SetHost(const std::string& host) override { host_ = host; }
  void SetPassword(const std::string& password) override { password_ = password; }
  void SetUserName(const std::string& user) override { user_ = user; }

  void Execute(const std::string& url, const std::string& operation) override;
  void ExecuteCommand(const std::string& command) override;
  bool StillExecuting() const override;
  void Cancel() override;
  std::string GetChunk(std::size_t size) override;
  int ResponseCode() const override { return errorCode_; }
  std::string ResponseInfo() const override { return errorText_; }

 private:
  friend class CurlPump;
  struct Transfer;

  void Start(std::unique_ptr<Transfer> transfer);
  void StartCommon(Transfer& transfer, const std::string& url);
  void* EasyHandle() const;
  bool OwnsFailedStart() const;
  void QueueProgress();
  void Finish(int curlResult);
  void RecordError(int curlResult);
  void QueueUpTo(int state);
  void Deliver(int state) { RaiseStateChanged(state); }

  CurlPump& pump_;
  Protocol protocol_;
  std::chrono::seconds timeout_;
  std::string host_, user_, password_;
  std::unique_ptr<Transfer> transfer_;
  int queuedState_ = 0;  // highest progress state queued for the running request
  std::string body_;     // response body of the last HTTP request (first bytes)
  std::size_t chunkPos_ = 0;
  int errorCode_ = 0;
  std::string errorText_;
};

}  // namespace brindle::platform
