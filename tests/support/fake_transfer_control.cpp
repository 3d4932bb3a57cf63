#include "support/fake_transfer_control.h"

namespace brindle::test {

void FakeTransferControl::Execute(const std::string& url, const std::string& operation) {
  Start({url, operation, ""});
}

void FakeTransferControl::ExecuteCommand(const std::string& command) { Start({"", "", command}); }

void FakeTransferControl::Start(TransferRequest request) {
  requests_.push_back(std::move(request));
  current_ = defaultScript;
  if (!scripts_.empty()) {
    current_ = std::move(scripts_.front());
    scripts_.pop_front();
  }
  bodyPos_ = 0;
  pending_.assign(current_.states.begin(), current_.states.end());
  executing_ = !pending_.empty();
}

bool FakeTransferControl::DeliverNext() {
  if (pending_.empty()) return false;
  const int state = pending_.front();
  pending_.pop_front();
  // Like the real control, the request has ended by the time its last state is reported.
  if (pending_.empty()) executing_ = false;
  RaiseStateChanged(static_cast<platform::TransferState>(state));
  return true;
}

void FakeTransferControl::Cancel() {
  ++cancels_;
  pending_.clear();
  executing_ = false;
}

std::string FakeTransferControl::GetChunk(std::size_t size) {
  if (bodyPos_ >= current_.body.size()) return "";
  std::string chunk = current_.body.substr(bodyPos_, size);
  bodyPos_ += chunk.size();
  return chunk;
}

}  // namespace brindle::test
