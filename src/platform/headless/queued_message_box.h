// Message box of the headless platform (the scenario driver, `brindle-cli sync`, tests):
// answers come from a queue, the box's default when none is queued, and every box shown is
// recorded.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace brindle::platform {

struct ShownMessage {
  std::string text;
  std::string title;
  MsgButtons buttons = MsgButtons::OK;
  MsgIcon icon = MsgIcon::None;
  MsgAnswer answer = MsgAnswer::OK;
  std::string details;  // "" for a box without details
};

class QueuedMessageBox : public MessageBox {
 public:
  // Runs for every box after its answer is known (the driver prints it).
  std::function<void(const ShownMessage&)> onShown;

  void QueueAnswer(MsgAnswer answer) { next_.push_back(answer); }
  std::size_t queued() const { return next_.size(); }
  const std::vector<ShownMessage>& shown() const { return shown_; }

  // The queued answer, or the box's default (OK, or No for Yes/No) when nothing is queued.
  // A queued answer that the box's buttons cannot give throws std::invalid_argument.
  using MessageBox::Show;
  MsgAnswer Show(const std::string& text, const std::string& title, MsgButtons buttons,
                 MsgIcon icon, const std::string& details) override;

 private:
  std::deque<MsgAnswer> next_;
  std::vector<ShownMessage> shown_;
};

const char* AnswerName(MsgAnswer answer);
std::optional<MsgAnswer> AnswerFromName(const std::string& name);

}  // namespace brindle::platform
