// Windowing of the headless platform: records every call in order, as text such as
// "show frmBrindle" or "repaint lstCategory".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/windowing.h"

namespace brindle::platform {

class RecordingWindowing : public Windowing {
 public:
  std::function<void(WindowId)> onShow;
  std::function<void(const std::string&)> onRepaint;

  const std::vector<std::string>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  void Show(WindowId window) override {
    calls_.push_back(std::string("show ") + WindowName(window));
    if (onShow) onShow(window);
  }
  void Hide(WindowId window) override {
    calls_.push_back(std::string("hide ") + WindowName(window));
  }
  void Close(WindowId window) override {
    calls_.push_back(std::string("close ") + WindowName(window));
  }
  void Repaint(const std::string& control) override {
    calls_.push_back("repaint " + control);
    if (onRepaint) onRepaint(control);
  }

 private:
  std::vector<std::string> calls_;
};

}  // namespace brindle::platform
