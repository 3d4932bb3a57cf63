// The HTTP/FTP transfer control as the window uses it: asynchronous requests whose progress
// arrives as numbered state changes (see TransferState) while the window pumps events.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace brindle::platform {

namespace TransferState {
inline constexpr int None = 0;
inline constexpr int Resolving = 1;
inline constexpr int Resolved = 2;
inline constexpr int Connecting = 3;
inline constexpr int Connected = 4;
inline constexpr int Requesting = 5;
inline constexpr int RequestSent = 6;
inline constexpr int Receiving = 7;
inline constexpr int ResponseReceived = 8;
inline constexpr int Disconnecting = 9;
inline constexpr int Disconnected = 10;
inline constexpr int Error = 11;
inline constexpr int ResponseCompleted = 12;
}  // namespace TransferState

// Response codes reported with TransferState::Error when the server gave none.
inline constexpr int kErrorCannotConnect = 12030;
inline constexpr int kErrorTimeout = 12002;

class TransferControl {
 public:
  using StateHandler = std::function<void(int state)>;

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

  // The handler runs on the window thread, from inside EventPump::DoEvents.
  void OnStateChanged(StateHandler handler) { handler_ = std::move(handler); }

 protected:
  void RaiseStateChanged(int state) {
    if (handler_) handler_(state);
  }

 private:
  StateHandler handler_;
};

}  // namespace brindle::platform
