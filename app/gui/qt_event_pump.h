// "Let pending window events run" for the desktop: Qt's events plus the transfers' own pump.
#pragma once

#include <chrono>
#include <functional>

#include "platform/event_pump.h"

namespace brindle::gui {

class QtEventPump final : public platform::EventPump {
 public:
  // Drives the network transfers once, blocking for at most the given time while they are
  // idle, and delivers their state changes.
  using TransferPump = std::function<void(std::chrono::milliseconds)>;

  // How long one DoEvents may wait for activity. Short enough that the window still reacts at
  // once, long enough that a wait on a slow service does not spin the processor.
  static constexpr std::chrono::milliseconds kWaitSlice{20};

  explicit QtEventPump(TransferPump transfers = {}) : transfers_(std::move(transfers)) {}

  void DoEvents() override;

 private:
  TransferPump transfers_;
};

}  // namespace brindle::gui
