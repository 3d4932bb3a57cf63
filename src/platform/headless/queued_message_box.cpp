#include "platform/headless/queued_message_box.h"

#include <stdexcept>

namespace brindle::platform {

namespace {

bool Fits(MsgAnswer answer, MsgButtons buttons) {
  return buttons == MsgButtons::OK ? answer == MsgAnswer::OK : answer != MsgAnswer::OK;
}

}  // namespace

MsgAnswer QueuedMessageBox::Show(const std::string& text, const std::string& title,
                                 MsgButtons buttons, MsgIcon icon, const std::string& details) {
  MsgAnswer answer = buttons == MsgButtons::OK ? MsgAnswer::OK : MsgAnswer::No;
  if (!next_.empty()) {
    answer = next_.front();
    next_.pop_front();
    if (!Fits(answer, buttons)) {
      throw std::invalid_argument(std::string("queued answer ") + AnswerName(answer) +
                                  " does not fit the box \"" + title + "\"");
    }
  }
  shown_.push_back({text, title, buttons, icon, answer, details});
  if (onShown) onShown(shown_.back());
  return answer;
}

const char* AnswerName(MsgAnswer answer) {
  switch (answer) {
    case MsgAnswer::Yes:
      return "Yes";
    case MsgAnswer::No:
      return "No";
    case MsgAnswer::OK:
      break;
  }
  return "OK";
}

std::optional<MsgAnswer> AnswerFromName(const std::string& name) {
  if (name == "OK") return MsgAnswer::OK;
  if (name == "Yes") return MsgAnswer::Yes;
  if (name == "No") return MsgAnswer::No;
  return std::nullopt;
}

}  // namespace brindle::platform
