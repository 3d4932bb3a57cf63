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

// pyftpdlib's own command line takes the password as an argument, where every local user
// can read it with ps; this starts the same server with the password read from standard
// input. Arguments: host, port, folder, user, the folder of the switches (ftp_switches.h).
//
// The switches are checked at STOR, RETR and DELE only (APPE, which goes through ftp_STOR, is
// left alone). A held command waits on a timer of the event loop, never in it, so the other
// sessions go on. A dropped transfer ends without its final reply, the data connection first:
// RETR sends the first half of the file, STOR takes it all and keeps the first half, as if the
// rest had been lost on the way; a dropped DELE deletes nothing.
constexpr const char* kServerScript = R"(import itertools, os, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer
host, port, home, user, switches = sys.argv[1:6]
password = sys.stdin.readline().rstrip("\n")
numbers = itertools.count()

# Removing a flag is taking it: of two sessions that try, one succeeds.
def take(name):
    try:
        os.remove(os.path.join(switches, name))
        return True
    except FileNotFoundError:
        return False

def part(size):
    return max(1, size // 2) if size else 0

# A data connection whose end, while its session drops, sends no reply and ends the session.
class DroppingDTP(DTPHandler):
    def close(self):
        dropping = self.cmd_channel.dropping and not self._closed
        if dropping:
            self._resp = ()
        super().close()
        if dropping:
            if self.receive and self.file_obj is not None:
                name = self.file_obj.name
                os.truncate(name, part(os.path.getsize(name)))
            self.cmd_channel.close()

class SwitchedHandler(FTPHandler):
    dtp_handler = DroppingDTP
    dropping = False

    def ftp_STOR(self, file, mode="w"):
        if mode != "w":
            return super().ftp_STOR(file, mode)
        self.switched("STOR", super().ftp_STOR, file)

    def ftp_RETR(self, file):
        self.switched("RETR", super().ftp_RETR, file)

    def ftp_DELE(self, path):
        self.switched("DELE", super().ftp_DELE, path)

    def switched(self, cmd, run, arg):
        mark = "%s.%d" % (cmd, next(numbers))
        try:
            os.rename(os.path.join(switches, "hold-" + cmd),
                      os.path.join(switches, "held-" + mark))
        except FileNotFoundError:
            return self.faulted(cmd, run, arg)
        self.wait(mark, cmd, run, arg)

    def wait(self, mark, cmd, run, arg):
        if os.path.exists(os.path.join(switches, "held-" + mark)):
            self.ioloop.call_later(0.02, self.wait, mark, cmd, run, arg,
                                   _errback=self.handle_error)
        elif take("cancel-" + mark):
            self.close()
        elif not self._closed:
            self.faulted(cmd, run, arg)

    def faulted(self, cmd, run, arg):
        if take("refuse-" + cmd):
            self.respond("550 Refused by the test.")
        elif not take("drop-" + cmd):
            run(arg)
        elif cmd == "RETR":
            self.drop_retr(arg)
        elif cmd == "STOR":
            self.dropping = True
            run(arg)
            if not self._last_response.startswith("1"):
                self.close()
        else:
            self.close()

    def drop_retr(self, file):
        start, self._restart_position = self._restart_position, 0
        try:
            with self.fs.open(file, "rb") as f:
                f.seek(start)
                data = f.read()
        except OSError:
            return self.close()
        self.dropping = True
        self.push_dtp_data(data[:part(len(data))], cmd="RETR")

authorizer = DummyAuthorizer()
authorizer.add_user(user, password, home, perm="elradfmwMT")
SwitchedHandler.authorizer = authorizer
server = FTPServer((host, int(port)), SwitchedHandler)
try:
    server.serve_forever()
finally:
    server.close_all()
)";

[[noreturn]] void ExecServer(const FtpSettings& s, int passwordFd, int logFd, pid_t parent) {
  // The child must not inherit the service's blocked or ignored signals, and dies with it.
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGPIPE, SIG_DFL);
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(1);
  dup2(passwordFd, 0);
  dup2(logFd, 1);
  dup2(logFd, 2);
  std::vector<std::string> args = {
      s.python,        "-c",   kServerScript,      "127.0.0.1", std::to_string(s.port),
      s.home.string(), s.user, s.switches.string()};
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
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
  int password[2];
  if (pipe2(password, O_CLOEXEC) != 0) {
    close(logFd);
    throw std::runtime_error("cannot make a pipe for the FTP server");
  }
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) ExecServer(settings_, password[0], logFd, parent);
  close(logFd);
  close(password[0]);
  if (pid_ > 0) {
    // Far smaller than a pipe's buffer: the write does not wait for the child to read.
    const std::string line = settings_.password + "\n";
    if (write(password[1], line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
      close(password[1]);
      Stop();
      throw std::runtime_error("cannot hand the password to the FTP server");
    }
  }
  close(password[1]);
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
                               " with pyftpdlib) did not start:\n" + log);
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
