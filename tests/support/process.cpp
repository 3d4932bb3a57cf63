#include "support/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "support/dat_builder.h"

namespace brindle::test {

namespace {

[[noreturn]] void ExecIn(const std::vector<std::string>& argv, const std::filesystem::path& cwd,
                         const std::string& outPath, const std::string& errPath) {
  if (::chdir(cwd.c_str()) != 0) ::_exit(127);
  const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (out < 0 || err < 0) ::_exit(127);
  ::dup2(out, 1);
  ::dup2(err, 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd) {
  TempDir capture;
  const std::string outPath = (capture / "stdout").string();
  const std::string errPath = (capture / "stderr").string();
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) ExecIn(argv, cwd, outPath, errPath);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProcessResult r;
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadFileBytes(outPath);
  r.err = ReadFileBytes(errPath);
  return r;
}

pid_t StartProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd) {
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) ExecIn(argv, cwd, "/dev/null", "/dev/null");
  return pid;
}

}  // namespace brindle::test
