// Where the Rookery service lives and how the FTP account logs in.
#pragma once

#include <string>

namespace brindle {

struct ServiceConfig {
  // Host of the three pages, optionally "host:port" (port 80 otherwise); "https://host[:port]"
  // reaches them over TLS (port 443 otherwise).
  std::string webHost;
  std::string ftpHost;  // host of the FTP account, optionally "host:port" (port 21 otherwise)
  std::string ftpUser = "tarnwick";
  std::string ftpPassword;
};

// The values chosen at build time (CMake cache variables BRINDLE_WEB_HOST, BRINDLE_FTP_HOST,
// BRINDLE_FTP_PASSWORD).
ServiceConfig DefaultServiceConfig();

}  // namespace brindle
