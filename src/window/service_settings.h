// Where the Rookery service lives. The defaults are fixed when the program is built; tests
// and the command line may name other hosts.
#pragma once

#include <string>

namespace brindle {

struct ServiceSettings {
  std::string webHost;  // host or host:port of the three web pages
  std::string ftpHost;  // host or host:port of the FTP account
  std::string ftpUser = "tarnwick";
  std::string ftpPassword;  // the account's fixed password

  static ServiceSettings BuiltIn();
};

}  // namespace brindle
