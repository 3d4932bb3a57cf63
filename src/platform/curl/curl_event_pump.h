// The event pump of a program without windows (brindle-cli): its only events are transfers.
#pragma once

#include <chrono>

#include "platform/curl/curl_pump.h"
#include "platform/event_pump.h"

namespace brindle::platform {

class CurlEventPump final : public EventPump {
 public:
  explicit CurlEventPump(CurlPump& pump,
                         std::chrono::milliseconds interval = std::chrono::milliseconds(25))
      : pump_(pump), interval_(interval) {}
  void DoEvents() override { pump_.Pump(interval_); }

 private:
  CurlPump& pump_;
  std::chrono::milliseconds interval_;
};

}  // namespace brindle::platform
