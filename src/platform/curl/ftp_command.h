// The FTP command texts the window passes to its FTP transfer control:
//   PUT "local" "remote"    GET "remote" "local"    DELETE "remote"
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace brindle::platform {

struct FtpCommand {
  enum class Kind { Put, Get, Delete };
  Kind kind = Kind::Put;
  std::string localPath;   // empty for Delete
  std::string remoteName;  // a name in the account's starting folder
};

class FtpCommandError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Verbs are matched without regard to case; each name is either enclosed in double quotes
// (and may then hold blanks) or a single word. Throws FtpCommandError on anything else.
FtpCommand ParseFtpCommand(std::string_view text);

}  // namespace brindle::platform
