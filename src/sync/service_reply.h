// How the tool reads the service's replies: the first chunk of the body, taken as a number.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace brindle {

// A reply that cannot be read as a number (an empty body, an error page).
class ReplyError : public std::runtime_error {
 public:
  explicit ReplyError(const std::string& reply);
  const std::string& reply() const { return reply_; }

 private:
  std::string reply_;
};

// The reply as a number: optional sign, digits with an optional fraction and exponent, with
// blanks, tabs and line ends around it allowed. Throws ReplyError otherwise.
double ReplyNumber(std::string_view reply);

enum class AuthVerdict {
  Rejected,     // 2: wrong user name or password (also the value when no reply came)
  NoPalmLevel,  // 1: the account lacks the level the tool needs
  Accepted,     // 0
  Other,        // any other number: the run goes on silently
};

// Tested against 2 first, then 1, then 0. Throws ReplyError.
AuthVerdict JudgeAuthReply(std::string_view reply);

// True when the import or verify reply is 1, i.e. the result file is ready. Throws ReplyError.
bool ResultReady(std::string_view reply);

}  // namespace brindle
