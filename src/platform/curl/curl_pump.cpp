#include "platform/curl/curl_pump.h"

#include <curl/curl.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "platform/curl/curl_transfer.h"
#include "platform/curl/curl_transfer_control.h"
#include "platform/curl/transfer_error.h"

namespace brindle::platform {
namespace {

void GlobalInitOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// How long the worker sleeps when nothing happens; a new request or a cancel wakes it at once.
constexpr int kIdleWaitMs = 1000;

}  // namespace

struct CurlPump::Multi {
  Multi() {
    GlobalInitOnce();
    handle = curl_multi_init();
    if (handle == nullptr) throw std::runtime_error("libcurl could not start its transfer engine");
  }
  ~Multi() { curl_multi_cleanup(handle); }
  Multi(const Multi&) = delete;
  Multi& operator=(const Multi&) = delete;

  CURLM* handle = nullptr;
};

CurlPump::CurlPump() : multi_(std::make_unique<Multi>()), worker_([this] { Work(); }) {}

CurlPump::~CurlPump() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  Wake();
  worker_.join();
}

void CurlPump::Pump(std::chrono::milliseconds maxWait) {
  std::unique_lock lock(mutex_);
  eventsReady_.wait_for(lock, maxWait, [this] { return !events_.empty(); });
  // One event at a time from the front: a handler that pumps again continues the same queue.
  while (!events_.empty()) {
    const Event event = events_.front();
    events_.pop_front();
    lock.unlock();
    event.control->Deliver(event.state, event.result);
    lock.lock();
  }
}

void CurlPump::Attach(CurlTransferControl* control) {
  std::lock_guard lock(mutex_);
  current_[control] = 0;
}

void CurlPump::Detach(CurlTransferControl* control) {
  std::lock_guard lock(mutex_);
  current_.erase(control);
  std::erase_if(events_, [control](const Event& e) { return e.control == control; });
}

std::uint64_t CurlPump::Renew(CurlTransferControl* control) {
  std::lock_guard lock(mutex_);
  std::erase_if(events_, [control](const Event& e) { return e.control == control; });
  return current_[control] = ++nextGeneration_;
}

void CurlPump::Submit(std::unique_ptr<CurlTransfer> transfer) {
  {
    std::lock_guard lock(mutex_);
    submitted_.push_back(std::move(transfer));
  }
  Wake();
}

void CurlPump::Wake() { curl_multi_wakeup(multi_->handle); }

void CurlPump::Post(CurlTransferControl* control, std::uint64_t generation, TransferState state,
                    std::shared_ptr<const TransferResult> result) {
  {
    std::lock_guard lock(mutex_);
    const auto current = current_.find(control);
    if (current == current_.end() || current->second != generation) return;
    events_.push_back({control, generation, state, std::move(result)});
  }
  eventsReady_.notify_all();
}

void CurlPump::PostUpTo(CurlTransfer& transfer, TransferState state) {
  while (transfer.postedState < state) {
    transfer.postedState = static_cast<TransferState>(static_cast<int>(transfer.postedState) + 1);
    Post(transfer.owner, transfer.generation, transfer.postedState);
  }
}

void CurlPump::PostEnd(CurlTransfer& transfer, TransferResult result) {
  const bool succeeded = result.succeeded;
  auto shared = std::make_shared<const TransferResult>(std::move(result));
  if (succeeded) {
    PostUpTo(transfer, TransferState::ResponseReceived);
    PostUpTo(transfer, TransferState::Disconnected);
    Post(transfer.owner, transfer.generation, TransferState::ResponseCompleted, shared);
  } else {
    Post(transfer.owner, transfer.generation, TransferState::Error, shared);
  }
}

void CurlPump::Work() {
  std::vector<std::unique_ptr<CurlTransfer>> active;
  for (;;) {
    bool stop = false;
    {
      std::lock_guard lock(mutex_);
      stop = stopping_;
    }
    Admit(active);
    Drop(active, stop);
    if (stop) return;
    Advance(active);
    curl_multi_poll(multi_->handle, nullptr, 0, kIdleWaitMs, nullptr);
  }
}

// Takes the requests the window has started into the transfer engine.
void CurlPump::Admit(std::vector<std::unique_ptr<CurlTransfer>>& active) {
  std::vector<std::unique_ptr<CurlTransfer>> arrived;
  {
    std::lock_guard lock(mutex_);
    arrived.swap(submitted_);
  }
  for (auto& transfer : arrived) {
    if (curl_multi_add_handle(multi_->handle, transfer->easy()) != CURLM_OK) {
      const std::string why = "libcurl could not start the request";
      PostEnd(*transfer, {false, kErrorExtended, why, why, {}});
      continue;
    }
    active.push_back(std::move(transfer));
  }
}

// Lets libcurl work, then reports progress and the requests that ended.
void CurlPump::Advance(std::vector<std::unique_ptr<CurlTransfer>>& active) {
  int running = 0;
  curl_multi_perform(multi_->handle, &running);
  for (auto& transfer : active) PostUpTo(*transfer, transfer->ReachedState());
  int left = 0;
  while (CURLMsg* msg = curl_multi_info_read(multi_->handle, &left)) {
    if (msg->msg != CURLMSG_DONE) continue;
    const auto done = std::find_if(active.begin(), active.end(),
                                   [msg](const auto& t) { return t->easy() == msg->easy_handle; });
    if (done == active.end()) continue;
    const CURLcode result = msg->data.result;
    curl_multi_remove_handle(multi_->handle, (*done)->easy());
    PostEnd(**done, (*done)->Finish(result));
    active.erase(done);
  }
}

// Removes the requests the window has cancelled (all of them when the pump ends).
void CurlPump::Drop(std::vector<std::unique_ptr<CurlTransfer>>& active, bool all) {
  std::erase_if(active, [this, all](const std::unique_ptr<CurlTransfer>& transfer) {
    if (all) transfer->link()->Cancel();
    if (!transfer->link()->cancelled()) return false;
    curl_multi_remove_handle(multi_->handle, transfer->easy());
    return true;
  });
}

}  // namespace brindle::platform
