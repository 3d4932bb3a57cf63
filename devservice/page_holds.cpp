#include "page_holds.h"

namespace rookery {

void PageHolds::Arm(const std::vector<std::string>& pages) {
  std::lock_guard lock(mutex_);
  armed_ = {pages.begin(), pages.end()};
}

bool PageHolds::Run(const std::string& page, const std::function<void()>& work) {
  std::unique_lock lock(mutex_);
  if (armed_.erase(page) != 0 && !shutDown_) {
    held_.push_back(page);
    const auto releases = releases_;
    const auto resets = resets_;
    changed_.wait(lock, [&] { return releases_ != releases || resets_ != resets || shutDown_; });
    if (resets_ != resets) return false;
  }
  ++working_;
  lock.unlock();
  // Counted down however the work ends: a reset waits for the count to reach zero.
  struct Done {
    PageHolds& holds;
    ~Done() {
      {
        const std::lock_guard relock(holds.mutex_);
        --holds.working_;
      }
      holds.changed_.notify_all();
    }
  } done{*this};
  work();
  return true;
}

std::vector<std::string> PageHolds::Held() const {
  std::lock_guard lock(mutex_);
  return held_;
}

void PageHolds::Release() {
  {
    std::lock_guard lock(mutex_);
    held_.clear();
    ++releases_;
  }
  changed_.notify_all();
}

void PageHolds::Reset() {
  std::unique_lock lock(mutex_);
  armed_.clear();
  held_.clear();
  ++resets_;
  changed_.notify_all();
  changed_.wait(lock, [this] { return working_ == 0; });
}

void PageHolds::Shutdown() {
  {
    std::lock_guard lock(mutex_);
    armed_.clear();
    held_.clear();
    shutDown_ = true;
  }
  changed_.notify_all();
}

}  // namespace rookery
