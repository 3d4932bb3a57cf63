// Shared by the sync run and the finishing of an interrupted one.
#pragma once

namespace brindle {

// Sets the run-in-progress flag for as long as the run lasts, however it ends.
class RunFlag {
 public:
  explicit RunFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunFlag() { flag_ = false; }
  RunFlag(const RunFlag&) = delete;
  RunFlag& operator=(const RunFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace brindle
