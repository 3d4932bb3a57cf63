// Event pump for tests: each pump delivers one pending state of every attached fake transfer
// control, then runs the test's own hook. A pump limit turns a wait that never ends into an
// error instead of a hung test.
#pragma once

#include <functional>
#include <stdexcept>
#include <vector>

#include "platform/event_pump.h"
#include "support/fake_transfer_control.h"

namespace brindle::test {

class ScriptedEventPump : public platform::EventPump {
 public:
  std::function<void()> onPump;
  long limit = 1'000'000;

  void Attach(FakeTransferControl& control) { controls_.push_back(&control); }
  long count() const { return count_; }

  void DoEvents() override {
    if (++count_ > limit) throw std::runtime_error("event pump limit reached: a wait never ended");
    for (FakeTransferControl* control : controls_) control->DeliverNext();
    if (onPump) onPump();
  }

 private:
  std::vector<FakeTransferControl*> controls_;
  long count_ = 0;
};

}  // namespace brindle::test
