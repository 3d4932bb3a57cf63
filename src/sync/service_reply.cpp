#include "sync/service_reply.h"

#include <cctype>
#include <charconv>

namespace brindle {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

ReplyError::ReplyError(const std::string& reply)
    : std::runtime_error("the service's reply is not a number: \"" + reply + "\""), reply_(reply) {}

double ReplyNumber(std::string_view reply) {
  std::string_view text = Trimmed(reply);
  const bool plus = !text.empty() && text.front() == '+';
  if (plus) text.remove_prefix(1);
  // from_chars would also take "inf" and "nan", which no service sends as a number, and a
  // second sign after the "+".
  if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) ||
                        (text.front() == '-' && !plus) || text.front() == '.')) {
    throw ReplyError(std::string(reply));
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) {
    throw ReplyError(std::string(reply));
  }
  return value;
}

AuthVerdict JudgeAuthReply(std::string_view reply) {
  const double value = ReplyNumber(reply);
  if (value == 2) return AuthVerdict::Rejected;
  if (value == 1) return AuthVerdict::NoPalmLevel;
  if (value == 0) return AuthVerdict::Accepted;
  return AuthVerdict::Other;
}

bool ResultReady(std::string_view reply) { return ReplyNumber(reply) == 1; }

}  // namespace brindle
