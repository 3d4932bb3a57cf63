// Runs the libcurl transfers of every CurlTransferControl on a worker thread of its own and
// delivers their state changes on the window thread, in the order they happened, whenever the
// window pumps. However long a server withholds a reply, only the worker waits for it: a pump
// call never blocks for longer than the wait it was given.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/transfer_control.h"

namespace brindle::platform {

class CurlTransfer;
class CurlTransferControl;
struct TransferResult;

class CurlPump {
 public:
  CurlPump();
  // Ends the worker: every transfer still running is stopped, then the thread is joined.
  ~CurlPump();
  CurlPump(const CurlPump&) = delete;
  CurlPump& operator=(const CurlPump&) = delete;

  // Waits up to `maxWait` for a state change (not at all when one is pending), then delivers
  // the pending ones by calling the controls' handlers on this thread. Handlers may call Pump
  // again (a modal box running its own loop); the order is kept.
  void Pump(std::chrono::milliseconds maxWait);

 private:
  friend class CurlTransferControl;
  struct Event {
    CurlTransferControl* control;
    std::uint64_t generation;
    TransferState state;
    std::shared_ptr<const TransferResult> result;  // with the last state only
  };

  // Window thread.
  void Attach(CurlTransferControl* control);
  void Detach(CurlTransferControl* control);
  // Starts a new request of the control: what the old one still had to say is dropped.
  std::uint64_t Renew(CurlTransferControl* control);
  void Submit(std::unique_ptr<CurlTransfer> transfer);
  void Wake();

  // Any thread. Events of a request the control no longer runs are dropped.
  void Post(CurlTransferControl* control, std::uint64_t generation, TransferState state,
            std::shared_ptr<const TransferResult> result = {});
  // Every progress state after the last one posted, up to `state`.
  void PostUpTo(CurlTransfer& transfer, TransferState state);
  void PostEnd(CurlTransfer& transfer, TransferResult result);

  // Worker thread.
  void Work();
  void Admit(std::vector<std::unique_ptr<CurlTransfer>>& active);
  void Advance(std::vector<std::unique_ptr<CurlTransfer>>& active);
  void Drop(std::vector<std::unique_ptr<CurlTransfer>>& active, bool all);

  // The libcurl multi handle, used on the worker thread only; defined where curl's header is
  // included, so that callers need none.
  struct Multi;
  std::unique_ptr<Multi> multi_;

  std::mutex mutex_;
  std::condition_variable eventsReady_;
  std::deque<Event> events_;
  std::map<const CurlTransferControl*, std::uint64_t> current_;  // each control's request
  std::uint64_t nextGeneration_ = 0;
  std::vector<std::unique_ptr<CurlTransfer>> submitted_;
  bool stopping_ = false;

  std::thread worker_;  // last, so that it starts after every member it uses
};

}  // namespace brindle::platform
