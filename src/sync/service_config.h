// Where the Rookery service lives and how the FTP account logs in.
#pragma once

#include <string>

namespace brindle {

struct ServiceConfig {
  std::string webHost;  // host of the three pages, optionally "host:port" (port 80 otherwise)
  std::string ftpHost;  // host of the FTP account, optionally "host:port" (port 21 otherwise)
  std::string ftpUser = "tarnwick";
  std::string ftpPassword;
};

// The values chosen at build time (CMake cache variables BRINDLE_WEB_HOST, BRINDLE_FTP_HOST,
// BRINDLE_FTP_PASSWORD).
ServiceConfig DefaultServiceConfig();

}  // namespace brindle
