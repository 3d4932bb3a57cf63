// rookery-dev: a local Rookery service for development and tests. Serves the three pages on
// 127.0.0.1 over HTTP, runs the FTP account through pyftpdlib, keeps accounts and contacts in
// SQLite. Prints "web 127.0.0.1:PORT ftp 127.0.0.1:PORT" once both listen; stops on SIGTERM,
// SIGINT, or the end of its input when that input is a pipe.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "contact_store.h"
#include "faults.h"
#include "ftp_child.h"
#include "importer.h"
#include "web_pages.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage = R"(usage: rookery-dev [options]
  --web-port N              HTTP port on 127.0.0.1 (default: a free one)
  --ftp-port N              FTP port on 127.0.0.1 (default: a free one)
  --data-dir DIR            keep the database and the FTP folder (DIR/ftp) here; without it a
                            temporary folder is used and removed at the end
  --ftp-password-file F     password of the FTP account "tarnwick": the first line of F
                            (default: $ROOKERY_FTP_PASSWORD, else the build's)
  --accounts-file F         add accounts that may use the tool (level "palm"): one
                            LOGIN=PASS a line
  --web-accounts-file F     the same for accounts without that level (authentication
                            answers 1)
Passwords never go on the command line, where ps shows them to every local user; keep
those files readable by their owner only.
  --delay MS                time from import to result file (default 1500); a reset keeps it
  --fault KEY=VALUE         make the service misbehave (see below)
  --python PATH             interpreter that has pyftpdlib (default /usr/bin/python3)
Seeded accounts: demo/demo (may use the tool), visitor/visitor (may not).
Faults, also settable while running with GET /_dev/set?KEY=VALUE (and ftp=down|up there):
  auth=0|1|2|none  import=1  delay=MS  result=ok|none|more|fewer|unknown
  result_ids=ID,ID,...  bad_id=lf|nul|quote|esc|high
  garbage=PAGES  drop=PAGES  stall=PAGES  stall_ms=MS     (PAGES: auth,import,verify)
  stale=1       an import keeps an old result file of its name until its own replaces it
One-shot: each is spent on the next matching command or page request, then cleared:
  ftp_drop=CMDS    the FTP server drops the connection at that command; RETR sends and
                   STOR keeps only the first half of the file       (CMDS: STOR,RETR,DELE)
  ftp_refuse=CMDS  that command is answered "550 Refused by the test." and does nothing
  hold=ITEMS       that command or page waits unanswered until /_dev/release (ITEMS: CMDS
                   and PAGES); /_dev/held lists what waits now, one a line
/_dev/reset: no contacts, no files in the FTP folder, no pending imports, every fault back
to its default, no holds (a held request ends without answer or effect), the FTP server up.
/_dev/contacts lists the stored contacts, /_dev/count counts them.
)";

constexpr std::size_t kWebWorkers = 32;

struct Options {
  int webPort = 0;
  fs::path dataDir;
  rookery::FtpSettings ftp;
  std::vector<std::pair<std::string, std::string>> accounts, webAccounts;
  std::string delay;
  std::vector<std::string> faults;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::pair<std::string, std::string> SplitAccount(const std::string& text) {
  const auto eq = text.find('=');
  if (eq == std::string::npos || eq == 0) throw UsageError("expected LOGIN=PASS: " + text);
  return {text.substr(0, eq), text.substr(eq + 1)};
}

// The lines of a secrets file, without their line ends; empty lines are skipped.
std::vector<std::string> SecretLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UsageError("cannot read " + path);
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    std::cerr << "rookery-dev: warning: " << path << " holds passwords and others may read it\n";
  }
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

void AddAccounts(const std::string& path, std::vector<std::pair<std::string, std::string>>& to) {
  for (const auto& line : SecretLines(path)) to.push_back(SplitAccount(line));
}

int Port(const std::string& text) {
  const int port = std::stoi(text);
  if (port < 0 || port > 65535) throw UsageError("not a port: " + text);
  return port;
}

Options ParseOptions(int argc, char** argv) {
  Options o;
  o.ftp.password = BRINDLE_DEFAULT_FTP_PASSWORD;
  if (const char* fromEnv = std::getenv("ROOKERY_FTP_PASSWORD")) o.ftp.password = fromEnv;
  for (int i = 1; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--help" || flag == "-h") {
      std::cout << kUsage;
      std::exit(0);
    }
    if (i + 1 >= argc) throw UsageError("unknown option or missing value: " + flag);
    const std::string value = argv[++i];
    if (flag == "--web-port") {
      o.webPort = Port(value);
    } else if (flag == "--ftp-port") {
      o.ftp.port = Port(value);
    } else if (flag == "--data-dir") {
      o.dataDir = value;
    } else if (flag == "--ftp-password-file") {
      const auto lines = SecretLines(value);
      o.ftp.password = lines.empty() ? "" : lines.front();
    } else if (flag == "--accounts-file") {
      AddAccounts(value, o.accounts);
    } else if (flag == "--web-accounts-file") {
      AddAccounts(value, o.webAccounts);
    } else if (flag == "--delay") {
      o.delay = value;
    } else if (flag == "--fault") {
      o.faults.push_back(value);
    } else if (flag == "--python") {
      o.ftp.python = value;
    } else {
      throw UsageError("unknown option: " + flag);
    }
  }
  return o;
}

// Stop requests arrive from the signal thread or the input watcher.
class StopLatch {
 public:
  void Request() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    done_.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return stopped_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool stopped_ = false;
};

// A pipe whose two ends close with it.
class Pipe {
 public:
  Pipe() {
    if (pipe(ends_) != 0) throw std::runtime_error("cannot make a pipe");
  }
  ~Pipe() {
    close(ends_[0]);
    close(ends_[1]);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  int readEnd() const { return ends_[0]; }
  int writeEnd() const { return ends_[1]; }

 private:
  int ends_[2] = {-1, -1};
};

// Turns a stop signal, or the end of an input a parent holds through a pipe (the parent ends
// us by closing it, even if it dies), into a stop request. Both watchers are woken and joined
// before the latch they report to goes.
class StopWatchers {
 public:
  StopWatchers(StopLatch& latch, const sigset_t& signals) : latch_(latch), signals_(signals) {
    signalWatcher_ = std::thread([this] { WatchSignals(); });
    struct stat st {};
    if (fstat(0, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) {
      inputWatcher_ = std::thread([this] { WatchInput(); });
    }
  }
  ~StopWatchers() {
    leaving_ = true;
    // Blocked in every thread and taken by sigwait: it wakes the watcher, it ends nothing.
    // NOLINTNEXTLINE(bugprone-bad-signal-to-kill-thread)
    pthread_kill(signalWatcher_.native_handle(), SIGTERM);
    signalWatcher_.join();
    if (inputWatcher_.joinable()) {
      const char wake = 0;
      (void)!write(wake_.writeEnd(), &wake, 1);
      inputWatcher_.join();
    }
  }
  StopWatchers(const StopWatchers&) = delete;
  StopWatchers& operator=(const StopWatchers&) = delete;

 private:
  void WatchSignals() {
    int signal = 0;
    sigwait(&signals_, &signal);
    if (!leaving_) latch_.Request();
  }
  void WatchInput() {
    pollfd fds[2] = {{0, POLLIN, 0}, {wake_.readEnd(), POLLIN, 0}};
    char buffer[256];
    for (;;) {
      if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        break;
      }
      if (fds[1].revents != 0) return;  // leaving
      if (fds[0].revents != 0 && read(0, buffer, sizeof buffer) <= 0) break;
    }
    latch_.Request();
  }

  StopLatch& latch_;
  const sigset_t signals_;
  Pipe wake_;
  std::atomic<bool> leaving_ = false;
  std::thread signalWatcher_;
  std::thread inputWatcher_;
};

sigset_t BlockStopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  return signals;
}

fs::path MakeTempDir() {
  std::string pattern = (fs::temp_directory_path() / "rookery-dev.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot make a temporary folder");
  return pattern;
}

// The accounts, the contacts and the uploads are the owner's alone. A data folder that others
// can enter is refused rather than narrowed: it may be a shared folder given by mistake.
void MakePrivate(const fs::path& dataDir) {
  if (fs::create_directories(dataDir)) fs::permissions(dataDir, fs::perms::owner_all);
  const fs::perms open =
      fs::status(dataDir).permissions() & (fs::perms::group_all | fs::perms::others_all);
  if (open != fs::perms::none) {
    throw std::runtime_error("the data folder " + dataDir.string() +
                             " is open to other users; give one that only its owner can enter");
  }
  for (const char* sub : {"ftp", "staging"}) {
    fs::create_directories(dataDir / sub);
    fs::permissions(dataDir / sub, fs::perms::owner_all);
  }
  std::error_code absent;  // a database from an earlier run, made before it was kept private
  fs::permissions(dataDir / "rookery.sqlite", fs::perms::owner_read | fs::perms::owner_write,
                  absent);
}

int Serve(Options& o, StopLatch& latch) {
  const bool ownDataDir = o.dataDir.empty();
  if (ownDataDir) o.dataDir = MakeTempDir();
  o.ftp.home = o.dataDir / "ftp";
  o.ftp.log = o.dataDir / "ftp.log";
  o.ftp.switches = o.dataDir / "ftp-switches";
  MakePrivate(o.dataDir);

  rookery::Faults faults;
  if (!o.delay.empty()) faults.SetDefault("delay", o.delay);
  rookery::ContactStore store(o.dataDir / "rookery.sqlite");
  for (const auto& [login, pass] : o.accounts) store.AddAccount(login, pass, rookery::kPalmLevel);
  for (const auto& [login, pass] : o.webAccounts) store.AddAccount(login, pass, "web");
  rookery::Importer importer(o.ftp.home, o.dataDir / "staging", store, faults);
  rookery::PageHolds holds;
  rookery::FtpSwitches ftpSwitches(o.ftp.switches);
  rookery::FtpChild ftp(o.ftp);
  ftp.Start();
  rookery::Service service{store, importer, faults, ftp, holds, ftpSwitches, {}};
  for (const auto& fault : o.faults) {
    const auto eq = fault.find('=');
    if (eq == std::string::npos) throw std::invalid_argument("expected KEY=VALUE: " + fault);
    rookery::SetFault(service, fault.substr(0, eq), fault.substr(eq + 1));
  }

  httplib::Server server;
  server.set_keep_alive_timeout(1);  // so that a stop never waits long for an idle client
  // A client that sends or reads its request slowly holds a worker only this long, and there
  // are workers enough that a few such clients leave the others served.
  server.set_read_timeout(5);
  server.set_write_timeout(5);
  server.new_task_queue = [] { return new httplib::ThreadPool(kWebWorkers); };
  rookery::RegisterPages(server, service);
  const int webPort = o.webPort == 0
                          ? server.bind_to_any_port("127.0.0.1")
                          : (server.bind_to_port("127.0.0.1", o.webPort) ? o.webPort : -1);
  if (webPort < 0)
    throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(o.webPort));
  std::thread listener([&server] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(2));

  std::cerr << "rookery-dev: FTP folder " << o.ftp.home.string() << "\n";
  std::cout << "web 127.0.0.1:" << webPort << " ftp 127.0.0.1:" << ftp.port() << std::endl;
  latch.Wait();

  holds.Shutdown();  // the server's stop waits for the requests it runs
  server.stop();
  listener.join();
  {
    std::lock_guard lock(service.ftpMutex);
    ftp.Stop();
  }
  if (ownDataDir) {
    std::error_code ignored;
    fs::remove_all(o.dataDir, ignored);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Whatever the service and its FTP child create (database, uploads, result files, folders)
  // is for the owner only.
  umask(077);
  const sigset_t signals = BlockStopSignals();
  try {
    Options options = ParseOptions(argc, argv);
    StopLatch latch;
    const StopWatchers watchers(latch, signals);
    return Serve(options, latch);
  } catch (const UsageError& e) {
    std::cerr << "rookery-dev: " << e.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "rookery-dev: " << e.what() << "\n";
    return 1;
  }
}
