// brindle-cli run as a separate program in a folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/dat_builder.h"
#include "support/process.h"

namespace brindle::test {

class CliTest : public ::testing::Test {
 protected:
  // Runs brindle-cli with `args` in the test's folder.
  ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), BRINDLE_CLI_PATH);
    return RunProcess(args, dir_.path());
  }
  std::string File(const std::string& name) { return ReadFileBytes(dir_ / name); }
  void Put(const std::string& name, const std::string& bytes) {
    WriteFileBytes(dir_ / name, bytes);
  }

  TempDir dir_;
};

}  // namespace brindle::test
