// The transfer control on libcurl: one class for both instances, the FTP control `ITC` and
// the HTTP control `ITC2`. Its requests run on CurlPump's worker thread; the control itself,
// its handler and everything it reports live on the window thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/curl/curl_pump.h"
#include "platform/transfer_control.h"

namespace brindle::platform {

class TransferLink;
struct TransferResult;

// Misuse of the control: a request while one still runs, an unknown operation.
class TransferControlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CurlTransferControl final : public TransferControl {
 public:
  enum class Protocol { Http, Ftp };

  // HTTP: request time-out 60 s. FTP: 600 s, passive connections, TLS when the server offers
  // it. A reply body longer than 64 KiB reads as an empty reply; a download stops at 16 MiB.
  CurlTransferControl(CurlPump& pump, Protocol protocol);
  ~CurlTransferControl() override;

  // A request fails with kErrorTimeout when it has not ended, its final reply included, this
  // long after it started.
  void SetRequestTimeout(std::chrono::seconds timeout) { timeout_ = timeout; }

  void SetHost(const std::string& host) override { host_ = host; }
  void SetPassword(const std::string& password) override { password_ = password; }
  void SetUserName(const std::string& user) override { user_ = user; }

  void Execute(const std::string& url, const std::string& operation) override;
  void ExecuteCommand(const std::string& command) override;
  // True from the start of a request until its last state has been delivered.
  bool StillExecuting() const override { return executing_; }
  // Returns at once, whatever the server does: the request's connections are cut and its
  // state changes dropped; a partial download is removed.
  void Cancel() override;
  std::string GetChunk(std::size_t size) override;
  int ResponseCode() const override { return errorCode_; }
  std::string ResponseInfo() const override { return errorText_; }
  std::string ErrorCause() const override { return errorCause_; }

 private:
  friend class CurlPump;

  void Start(std::unique_ptr<CurlTransfer> transfer);
  void Deliver(TransferState state, const std::shared_ptr<const TransferResult>& result);

  CurlPump& pump_;
  Protocol protocol_;
  std::chrono::seconds timeout_;
  std::string host_, user_, password_;
  bool executing_ = false;
  std::shared_ptr<TransferLink> link_;  // of the running request
  std::string body_;                    // response body of the last HTTP request
  std::size_t chunkPos_ = 0;
  int errorCode_ = 0;
  std::string errorText_;
  std::string errorCause_;
};

}  // namespace brindle::platform
