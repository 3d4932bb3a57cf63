// Running programs from tests (POSIX only): capture their output, or start one and stop it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace brindle::test {

struct ProcessResult {
  int exitCode = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs `argv` (argv[0] is the program's path) in `cwd` and waits for it.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd);

// Starts `argv` in `cwd` with its output discarded; returns its process id.
pid_t StartProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd);

}  // namespace brindle::test
