// "Let pending window events run": the only way the window thread waits.
#pragma once

namespace brindle::platform {

class EventPump {
 public:
  virtual ~EventPump() = default;
  // Runs pending window and transfer events once. Implementations may block for a short
  // interval (tens of milliseconds) waiting for activity, so that waits do not spin the CPU.
  virtual void DoEvents() = 0;
};

}  // namespace brindle::platform
