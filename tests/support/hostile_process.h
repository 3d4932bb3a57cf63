// Runs tests/support/hostile_server.py for a test: a misbehaving HTTP or FTP server on a free
// loopback port, stopped by its PID when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace brindle::testing {

class HostileServer {
 public:
  // `args` as hostile_server.py takes them, e.g. {"ftp", "--hold", "stor"}.
  explicit HostileServer(const std::vector<std::string>& args);
  ~HostileServer();
  HostileServer(const HostileServer&) = delete;
  HostileServer& operator=(const HostileServer&) = delete;

  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  void Stop();

  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace brindle::testing
