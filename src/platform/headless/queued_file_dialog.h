// File-open dialog of the headless platform: results come from a queue ("" is a
// cancel, and so is an empty queue), and every call is recorded.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_dialog.h"

namespace brindle::platform {

struct OpenDialogCall {
  std::string initialDir;
  std::string filter;
  std::string result;
};

class QueuedFileDialog : public FileDialog {
 public:
  std::function<void(const OpenDialogCall&)> onShown;

  void QueueResult(std::string path) { next_.push_back(std::move(path)); }
  const std::vector<OpenDialogCall>& calls() const { return calls_; }

  std::string ShowOpen(const std::string& initialDir, const std::string& filter) override {
    std::string result;
    if (!next_.empty()) {
      result = std::move(next_.front());
      next_.pop_front();
    }
    calls_.push_back({initialDir, filter, result});
    if (onShown) onShown(calls_.back());
    return result;
  }

 private:
  std::deque<std::string> next_;
  std::vector<OpenDialogCall> calls_;
};

}  // namespace brindle::platform
