// A transfer control that tests script: each request plays a queued script of state changes,
// one state per pump of the event pump, and every call made on it is recorded.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "platform/transfer_control.h"

namespace brindle::test {

struct TransferScript {
  // Delivered one per pump, in order, each written as the number the control reports for it
  // (see platform::TransferState). The control counts as executing until the last one has
  // been delivered.
  std::vector<int> states;
  std::string body;      // what GetChunk hands out, chunk by chunk
  int responseCode = 0;  // reported from the first state on
  std::string responseInfo;
};

struct TransferRequest {
  std::string url;        // HTTP: the full URL; FTP commands: ""
  std::string operation;  // HTTP: "" or "GET"
  std::string command;    // FTP: the command text; HTTP: ""
};

class FakeTransferControl : public platform::TransferControl {
 public:
  // Played by a request when no script is queued (empty: the request ends at once).
  TransferScript defaultScript;

  void QueueScript(TransferScript script) { scripts_.push_back(std::move(script)); }

  const std::vector<TransferRequest>& requests() const { return requests_; }
  // "SetHost x", "SetPassword y", "SetUserName z", in call order.
  const std::vector<std::string>& settings() const { return settings_; }
  int cancelCount() const { return cancels_; }

  // Delivers the next pending state; false when there was none.
  bool DeliverNext();
  // Raises a state change directly, outside any script; `state` as the control numbers it.
  void Raise(int state) { RaiseStateChanged(static_cast<platform::TransferState>(state)); }

  void SetHost(const std::string& host) override { settings_.push_back("SetHost " + host); }
  void SetPassword(const std::string& pw) override { settings_.push_back("SetPassword " + pw); }
  void SetUserName(const std::string& user) override { settings_.push_back("SetUserName " + user); }
  void Execute(const std::string& url, const std::string& operation) override;
  void ExecuteCommand(const std::string& command) override;
  bool StillExecuting() const override { return executing_; }
  void Cancel() override;
  std::string GetChunk(std::size_t size) override;
  int ResponseCode() const override { return current_.responseCode; }
  std::string ResponseInfo() const override { return current_.responseInfo; }
  // The script's words serve as the cause too.
  std::string ErrorCause() const override { return current_.responseInfo; }

 private:
  void Start(TransferRequest request);

  std::deque<TransferScript> scripts_;
  std::deque<int> pending_;
  TransferScript current_;
  std::size_t bodyPos_ = 0;
  bool executing_ = false;
  int cancels_ = 0;
  std::vector<TransferRequest> requests_;
  std::vector<std::string> settings_;
};

}  // namespace brindle::test
