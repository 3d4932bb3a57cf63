// Holds on the service's pages: a test arms one, and the next request of that page waits,
// unanswered, until the test releases it. Each request waits in its own server thread, so the
// other pages are served meanwhile.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace rookery {

class PageHolds {
 public:
  // Holds the next request of each page in `pages`, and of no other.
  void Arm(const std::vector<std::string>& pages);

  // Runs a request's `work`, first waiting for a release when a hold is armed for `page`.
  // Returns false without running it when a reset ends the wait instead.
  bool Run(const std::string& page, const std::function<void()>& work);

  // The pages that wait now, in the order they came.
  std::vector<std::string> Held() const;
  // Lets every waiting request go on.
  void Release();
  // Disarms every hold, ends the waits without their work, and returns once no request's
  // work is running: nothing a request does comes after the reset.
  void Reset();
  // Lets every waiting request go on and holds no more: a stopping server waits for them.
  void Shutdown();

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::set<std::string> armed_;
  std::vector<std::string> held_;
  unsigned long long releases_ = 0;  // a waiting request goes on once this moves
  unsigned long long resets_ = 0;    // a waiting request gives up once this moves
  int working_ = 0;
  bool shutDown_ = false;
};

}  // namespace rookery
