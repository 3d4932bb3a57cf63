#include "platform/curl/ftp_command.h"

#include <cctype>
#include <vector>

namespace brindle::platform {
namespace {

void SkipBlanks(std::string_view& text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
}

std::string TakeWord(std::string_view& text) {
  std::string word;
  while (!text.empty() && text.front() != ' ') {
    word += text.front();
    text.remove_prefix(1);
  }
  return word;
}

std::string TakeName(std::string_view& text, std::string_view command) {
  if (text.front() != '"') return TakeWord(text);
  const auto close = text.find('"', 1);
  if (close == std::string_view::npos) {
    throw FtpCommandError("unclosed quote in FTP command: " + std::string(command));
  }
  std::string name(text.substr(1, close - 1));
  text.remove_prefix(close + 1);
  return name;
}

std::vector<std::string> Tokens(std::string_view text) {
  const std::string_view command = text;
  std::vector<std::string> tokens;
  SkipBlanks(text);
  if (!text.empty()) tokens.push_back(TakeWord(text));
  for (SkipBlanks(text); !text.empty(); SkipBlanks(text)) {
    tokens.push_back(TakeName(text, command));
  }
  return tokens;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

FtpCommand ParseFtpCommand(std::string_view text) {
  const std::vector<std::string> tokens = Tokens(text);
  const std::string verb = tokens.empty() ? "" : Upper(tokens[0]);
  const auto fail = [&] { return FtpCommandError("unknown FTP command: " + std::string(text)); };
  FtpCommand command;
  if (verb == "PUT" && tokens.size() == 3) {
    command = {FtpCommand::Kind::Put, tokens[1], tokens[2]};
  } else if (verb == "GET" && tokens.size() == 3) {
    command = {FtpCommand::Kind::Get, tokens[2], tokens[1]};
  } else if (verb == "DELETE" && tokens.size() == 2) {
    command = {FtpCommand::Kind::Delete, "", tokens[1]};
  } else {
    throw fail();
  }
  // A line break in a name would smuggle a second command into the FTP session.
  if (command.remoteName.empty() || command.remoteName.find_first_of("\r\n") != std::string::npos) {
    throw fail();
  }
  return command;
}

}  // namespace brindle::platform
