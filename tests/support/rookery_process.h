// Runs rookery-dev for a test: started as a child on free loopback ports, stopped by its PID.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace brindle::testing {

// Accounts to add, as LOGIN=PASS lines. They reach rookery-dev through files readable by their
// owner only, never its command line.
struct RookeryAccounts {
  std::vector<std::string> palm;  // may use the tool
  std::vector<std::string> web;   // lack the level
};

class RookeryProcess {
 public:
  // Starts rookery-dev with a fresh data folder and `args`; returns once it prints its ports.
  explicit RookeryProcess(const std::vector<std::string>& args = {},
                          const RookeryAccounts& accounts = {});
  ~RookeryProcess();
  RookeryProcess(const RookeryProcess&) = delete;
  RookeryProcess& operator=(const RookeryProcess&) = delete;

  std::string webHost() const { return "127.0.0.1:" + std::to_string(webPort_); }
  std::string ftpHost() const { return "127.0.0.1:" + std::to_string(ftpPort_); }
  int webPort() const { return webPort_; }
  pid_t pid() const { return pid_; }
  const std::filesystem::path& dataDir() const { return dataDir_; }
  // The FTP account's folder, where uploads land and result files appear.
  std::filesystem::path ftpHome() const { return dataDir_ / "ftp"; }

  // GET /_dev/set?QUERY; fails the calling test when the service refuses it.
  void Set(const std::string& query) const;
  // The body of GET PATH, e.g. "/_dev/count".
  std::string Get(const std::string& path) const;

  // SIGTERM by PID and wait; also done by the destructor.
  void Stop();

 private:
  std::filesystem::path dataDir_;
  pid_t pid_ = -1;
  int input_ = -1;  // the pipe that holds rookery-dev's input open
  int webPort_ = 0;
  int ftpPort_ = 0;
};

// The FTP password rookery-dev uses in tests: the build's, so that the tool's defaults fit.
extern const char* const kTestFtpPassword;

// A loopback port on which nothing listens (bound once, then released).
int UnusedPort();

}  // namespace brindle::testing
