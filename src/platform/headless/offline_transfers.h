// Transfers for a headless run that stops at the hand-over to the sync run: the window keeps
// its account settings and may cancel, but a request is a fault of the caller.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/event_pump.h"
#include "platform/transfer_control.h"

namespace brindle::platform {

class OfflineTransferControl : public TransferControl {
 public:
  void SetHost(const std::string& /*host*/) override {}
  void SetPassword(const std::string& /*password*/) override {}
  void SetUserName(const std::string& /*user*/) override {}
  void Execute(const std::string& url, const std::string& /*operation*/) override {
    throw std::logic_error("no transfers in an offline run: " + url);
  }
  void ExecuteCommand(const std::string& command) override {
    throw std::logic_error("no transfers in an offline run: " + command);
  }
  bool StillExecuting() const override { return false; }
  void Cancel() override {}
  std::string GetChunk(std::size_t /*size*/) override { return ""; }
  int ResponseCode() const override { return 0; }
  std::string ResponseInfo() const override { return ""; }
  std::string ErrorCause() const override { return ""; }
};

// Nothing is ever pending in an offline run.
class IdleEventPump : public EventPump {
 public:
  void DoEvents() override {}
};

}  // namespace brindle::platform
