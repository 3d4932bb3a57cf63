// Drives the libcurl transfers of every CurlTransferControl on the window thread and delivers
// their state changes there. There is no other thread: a transfer advances only while the
// window pumps, which is when the window waits anyway.
#pragma once

#include <chrono>
#include <deque>
#include <utility>
#include <vector>

namespace brindle::platform {

class CurlTransferControl;

class CurlPump {
 public:
  CurlPump();
  ~CurlPump();
  CurlPump(const CurlPump&) = delete;
  CurlPump& operator=(const CurlPump&) = delete;

  // Runs once: waits up to `maxWait` for network activity (not at all when state changes are
  // already pending), advances every transfer, then delivers pending state changes, in the
  // order they happened, by calling the controls' handlers on this thread. With no transfer
  // running it simply waits `maxWait`, so a wait loop built on it never spins the processor.
  // Handlers may call Pump again (a modal box running its own loop); order is kept.
  void Pump(std::chrono::milliseconds maxWait);

  // True while a transfer runs or state changes wait for delivery.
  bool Busy() const;

 private:
  friend class CurlTransferControl;

  void Attach(CurlTransferControl* control);
  void Detach(CurlTransferControl* control);
  void Queue(CurlTransferControl* control, int state);
  void DropEvents(const CurlTransferControl* control);
  void Drive();
  void DeliverPending();

  void* multi_ = nullptr;  // CURLM*, kept opaque so that callers need no curl header
  std::vector<CurlTransferControl*> controls_;
  std::deque<std::pair<CurlTransferControl*, int>> events_;
};

}  // namespace brindle::platform
