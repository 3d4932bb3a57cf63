#include "platform/curl/curl_pump.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>

#include "platform/curl/curl_transfer_control.h"

namespace brindle::platform {
namespace {

CURLM* Multi(void* handle) { return static_cast<CURLM*>(handle); }

void GlobalInitOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

CurlPump::CurlPump() {
  GlobalInitOnce();
  multi_ = curl_multi_init();
  if (multi_ == nullptr) throw std::runtime_error("libcurl could not start its transfer engine");
}

CurlPump::~CurlPump() { curl_multi_cleanup(Multi(multi_)); }

void CurlPump::Pump(std::chrono::milliseconds maxWait) {
  if (events_.empty()) {
    curl_multi_poll(Multi(multi_), nullptr, 0, static_cast<int>(maxWait.count()), nullptr);
  }
  Drive();
  DeliverPending();
}

bool CurlPump::Busy() const {
  if (!events_.empty()) return true;
  return std::any_of(controls_.begin(), controls_.end(),
                     [](const CurlTransferControl* c) { return c->StillExecuting(); });
}

void CurlPump::Attach(CurlTransferControl* control) { controls_.push_back(control); }

void CurlPump::Detach(CurlTransferControl* control) {
  DropEvents(control);
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void CurlPump::Queue(CurlTransferControl* control, int state) {
  events_.emplace_back(control, state);
}

void CurlPump::DropEvents(const CurlTransferControl* control) {
  events_.erase(std::remove_if(events_.begin(), events_.end(),
                               [control](const auto& e) { return e.first == control; }),
                events_.end());
}

void CurlPump::Drive() {
  int running = 0;
  curl_multi_perform(Multi(multi_), &running);
  for (CurlTransferControl* control : controls_) control->QueueProgress();
  int left = 0;
  while (CURLMsg* msg = curl_multi_info_read(Multi(multi_), &left)) {
    if (msg->msg != CURLMSG_DONE) continue;
    const auto owner = std::find_if(controls_.begin(), controls_.end(),
                                    [msg](auto* c) { return c->EasyHandle() == msg->easy_handle; });
    if (owner != controls_.end()) (*owner)->Finish(msg->data.result);
  }
  // A request that could not even start (its local file is missing) fails here, so that its
  // error arrives through the pump like every other.
  for (CurlTransferControl* control : controls_) {
    if (control->OwnsFailedStart()) control->Finish(CURLE_READ_ERROR);
  }
}

void CurlPump::DeliverPending() {
  // One event at a time from the front: a handler that pumps again continues the same queue.
  while (!events_.empty()) {
    const auto [control, state] = events_.front();
    events_.pop_front();
    control->Deliver(state);
  }
}

}  // namespace brindle::platform
