#include "rookery_process.h"

#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace brindle::testing {

const char* const kTestFtpPassword = BRINDLE_FTP_PASSWORD;

namespace {

std::filesystem::path MakeDataDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "brindle-test.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

// A file only its owner may read, holding `lines`.
std::filesystem::path WriteSecret(const std::filesystem::path& path,
                                  const std::vector<std::string>& lines) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) throw std::runtime_error("cannot create " + path.string());
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  if (!written) throw std::runtime_error("cannot write " + path.string());
  return path;
}

std::string ReadLine(int fd) {
  std::string line;
  char c = 0;
  while (read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

}  // namespace

RookeryProcess::RookeryProcess(const std::vector<std::string>& args,
                               const RookeryAccounts& accounts)
    : dataDir_(MakeDataDir()) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe failed");
  std::vector<std::string> all = {
      ROOKERY_DEV_PATH, "--data-dir", dataDir_.string(), "--ftp-password-file",
      WriteSecret(dataDir_ / "ftp-password", {kTestFtpPassword}).string()};
  if (!accounts.palm.empty()) {
    all.push_back("--accounts-file");
    all.push_back(WriteSecret(dataDir_ / "accounts", accounts.palm).string());
  }
  if (!accounts.web.empty()) {
    all.push_back("--web-accounts-file");
    all.push_back(WriteSecret(dataDir_ / "web-accounts", accounts.web).string());
  }
  all.insert(all.end(), args.begin(), args.end());
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[1]);
    close(out[0]);
    std::vector<char*> argv;
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  input_ = in[1];
  const std::string line = ReadLine(out[0]);
  close(out[0]);
  if (std::sscanf(line.c_str(), "web 127.0.0.1:%d ftp 127.0.0.1:%d", &webPort_, &ftpPort_) != 2) {
    Stop();
    throw std::runtime_error("rookery-dev did not start: \"" + line + "\"");
  }
}

RookeryProcess::~RookeryProcess() { Stop(); }

void RookeryProcess::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  if (input_ >= 0) close(input_);
  input_ = -1;
  std::error_code ignored;
  std::filesystem::remove_all(dataDir_, ignored);
}

std::string RookeryProcess::Get(const std::string& path) const {
  httplib::Client client("127.0.0.1", webPort_);
  const auto res = client.Get(path.c_str());
  if (!res) throw std::runtime_error("rookery-dev did not answer " + path);
  return res->body;
}

void RookeryProcess::Set(const std::string& query) const {
  const std::string body = Get("/_dev/set?" + query);
  if (body != "ok\n") throw std::runtime_error("rookery-dev refused " + query + ": " + body);
}

int UnusedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  close(fd);
  return ntohs(addr.sin_port);
}

}  // namespace brindle::testing
