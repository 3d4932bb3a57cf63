#include "ftp_child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <vector>

namespace rookery {
namespace {

constexpr std::string_view kListening = "starting FTP server on 127.0.0.1:";

[[noreturn]] void ExecServer(const FtpSettings& s, int logFd, pid_t parent) {
  // The child must not inherit the service's blocked or ignored signals, and dies with it.
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(1);
  const int nullFd = open("/dev/null", O_RDONLY);
  dup2(nullFd, 0);
  dup2(logFd, 1);
  dup2(logFd, 2);
  const std::string port = std::to_string(s.port);
  std::vector<std::string> args = {s.python,   "-m", "pyftpdlib",     "-i", "127.0.0.1", "-p",
                                   port,       "-d", s.home.string(), "-u", s.user,      "-P",
                                   s.password, "-w"};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  execv(s.python.c_str(), argv.data());
  _exit(127);
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

void FtpChild::Start() {
  if (running()) return;
  const int logFd = open(settings_.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (logFd < 0) throw std::runtime_error("cannot create " + settings_.log.string());
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) ExecServer(settings_, logFd, parent);
  close(logFd);
  if (pid_ < 0) throw std::runtime_error("cannot start the FTP server");
  settings_.port = WaitForPort();
}

int FtpChild::WaitForPort() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string log = ReadAll(settings_.log);
    const auto at = log.find(kListening);
    if (at != std::string::npos) {
      const auto digits = at + kListening.size();
      const auto end = log.find_first_not_of("0123456789", digits);
      if (end != std::string::npos && end > digits)
        return std::stoi(log.substr(digits, end - digits));
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("the FTP server (" + settings_.python +
                               " -m pyftpdlib) did not start:\n" + log);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Stop();
  throw std::runtime_error("the FTP server did not start listening within 10 s");
}

void FtpChild::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace rookery
