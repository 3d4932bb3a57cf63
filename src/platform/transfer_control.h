// The HTTP/FTP transfer control as the window uses it: asynchronous requests whose progress
// arrives as numbered state changes (see TransferState) while the window pumps events.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace brindle::platform {

// A request's progress, in the order a request that succeeds passes through it; the numbers
// are those the control reports.
enum class TransferState : int {
  None = 0,
  Resolving = 1,
  Resolved = 2,
  Connecting = 3,
  Connected = 4,
  Requesting = 5,
  RequestSent = 6,
  Receiving = 7,
  ResponseReceived = 8,
  Disconnecting = 9,
  Disconnected = 10,
  Error = 11,
  ResponseCompleted = 12,
};

// Response codes reported with TransferState::Error when the server gave none.
inline constexpr int kErrorCannotConnect = 12030;
inline constexpr int kErrorTimeout = 12002;

class TransferControl {
 public:
  using StateHandler = std::function<void(TransferState state)>;

  virtual ~TransferControl() = default;

  // FTP account settings; host may carry ":port".
  virtual void SetHost(const std::string& host) = 0;
  virtual void SetPassword(const std::string& password) = 0;
  virtual void SetUserName(const std::string& user) = 0;

  // HTTP: starts a GET of the full URL. `operation` is "" or "GET". Returns at once.
  virtual void Execute(const std::string& url, const std::string& operation) = 0;
  // FTP: starts `PUT "local" "remote"`, `GET "remote" "local"` or `DELETE "remote"`.
  virtual void ExecuteCommand(const std::string& command) = 0;

  virtual bool StillExecuting() const = 0;
  // Stops the current request; harmless when none runs.
  virtual void Cancel() = 0;
  // Up to `size` bytes of the response body; valid after ResponseCompleted.
  virtual std::string GetChunk(std::size_t size) = 0;
  virtual int ResponseCode() const = 0;
  virtual std::string ResponseInfo() const = 0;
  // After TransferState::Error: why the request failed, in plain words (UTF-8) that do not
  // name the host, for the user and the run log: "connection refused", "the host name was not
  // found", "the server's certificate was refused: ...". "" when the control knows no more than
  // ResponseInfo.
  virtual std::string ErrorCause() const = 0;

  // The handler runs on the window thread, from inside EventPump::DoEvents.
  void OnStateChanged(StateHandler handler) { handler_ = std::move(handler); }

 protected:
  void RaiseStateChanged(TransferState state) {
    if (handler_) handler_(state);
  }

 private:
  StateHandler handler_;
};

}  // namespace brindle::platform
