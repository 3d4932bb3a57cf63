// rookery-dev: a local Rookery service for development and tests. Serves the three pages on
// 127.0.0.1 over HTTP, runs the FTP account through pyftpdlib, keeps accounts and contacts in
// SQLite. Prints "web 127.0.0.1:PORT ftp 127.0.0.1:PORT" once both listen; stops on SIGTERM,
// SIGINT, or the end of its input when that input is a pipe.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
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
  --ftp-password P          password of the FTP account "tarnwick" (default: the build's)
  --account LOGIN=PASS      add an account that may use the tool (level "palm")
  --web-account LOGIN=PASS  add an account without that level (authentication answers 1)
  --delay MS                time from import to result file (default 1500)
  --fault KEY=VALUE         make the service misbehave (see below)
  --python PATH             interpreter that has pyftpdlib (default /usr/bin/python3)
Seeded accounts: demo/demo (may use the tool), visitor/visitor (may not).
Faults, also settable while running with GET /_dev/set?KEY=VALUE (and ftp=down|up there):
  auth=0|1|2|none  import=1  delay=MS  result=ok|none|more|fewer
  garbage=PAGES  drop=PAGES  stall=PAGES  stall_ms=MS     (PAGES: auth,import,verify)
/_dev/contacts lists the stored contacts, /_dev/count counts them.
)";

struct Options {
  int webPort = 0;
  fs::path dataDir;
  rookery::FtpSettings ftp;
  std::vector<std::pair<std::string, std::string>> accounts, webAccounts;
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

int Port(const std::string& text) {
  const int port = std::stoi(text);
  if (port < 0 || port > 65535) throw UsageError("not a port: " + text);
  return port;
}

Options ParseOptions(int argc, char** argv) {
  Options o;
  o.ftp.password = BRINDLE_DEFAULT_FTP_PASSWORD;
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
    } else if (flag == "--ftp-password") {
      o.ftp.password = value;
    } else if (flag == "--account") {
      o.accounts.push_back(SplitAccount(value));
    } else if (flag == "--web-account") {
      o.webAccounts.push_back(SplitAccount(value));
    } else if (flag == "--delay") {
      o.faults.push_back("delay=" + value);
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

void WatchSignals(StopLatch& latch, const sigset_t& signals) {
  std::thread([&latch, signals] {
    int signal = 0;
    sigwait(&signals, &signal);
    latch.Request();
  }).detach();
}

// A parent that holds our input through a pipe ends us by closing it, even if it dies.
void WatchInput(StopLatch& latch) {
  struct stat st {};
  if (fstat(0, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) return;
  std::thread([&latch] {
    char buffer[256];
    while (read(0, buffer, sizeof buffer) > 0) {
    }
    latch.Request();
  }).detach();
}

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

int Serve(Options& o, StopLatch& latch) {
  const bool ownDataDir = o.dataDir.empty();
  if (ownDataDir) o.dataDir = MakeTempDir();
  o.ftp.home = o.dataDir / "ftp";
  o.ftp.log = o.dataDir / "ftp.log";
  fs::create_directories(o.ftp.home);
  fs::create_directories(o.dataDir / "staging");

  rookery::Faults faults;
  for (const auto& fault : o.faults) faults.SetPair(fault);
  rookery::ContactStore store(o.dataDir / "rookery.sqlite");
  for (const auto& [login, pass] : o.accounts) store.AddAccount(login, pass, rookery::kPalmLevel);
  for (const auto& [login, pass] : o.webAccounts) store.AddAccount(login, pass, "web");
  rookery::Importer importer(o.ftp.home, o.dataDir / "staging", store, faults);
  rookery::FtpChild ftp(o.ftp);
  ftp.Start();
  rookery::Service service{store, importer, faults, ftp, {}};

  httplib::Server server;
  server.set_keep_alive_timeout(1);  // so that a stop never waits long for an idle client
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
  const sigset_t signals = BlockStopSignals();
  try {
    Options options = ParseOptions(argc, argv);
    StopLatch latch;
    WatchSignals(latch, signals);
    WatchInput(latch);
    return Serve(options, latch);
  } catch (const UsageError& e) {
    std::cerr << "rookery-dev: " << e.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "rookery-dev: " << e.what() << "\n";
    return 1;
  }
}
