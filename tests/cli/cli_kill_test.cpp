// A write-back killed with SIGKILL at any moment leaves either the old file or the new one,
// never a missing, truncated or half-written file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <random>
#include <thread>

#include "support/dat_builder.h"
#include "support/process.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

TEST(CliKill, KilledWriteBackLeavesTheOldOrTheNewFile) {
  test::TempDir dir;
  const auto cli = std::string(BRINDLE_CLI_PATH);
  ASSERT_EQ(
      test::RunProcess({cli, "sample", "orig.dat", "--records", "10000"}, dir.path()).exitCode, 0);
  std::string rows;
  for (int i = 0; i < 10000; i += 2) {
    rows += std::to_string(8400001 + i * 3) + ",db" + std::to_string(i) + "\n\n";
  }
  test::WriteFileBytes(dir / "r.out", rows);
  const std::string before = test::ReadFileBytes(dir / "orig.dat");

  // The finished result, and how long a whole run takes here.
  test::WriteFileBytes(dir / "address.dat", before);
  const auto start = Clock::now();
  ASSERT_EQ(test::RunProcess({cli, "writeback", "address.dat", "r.out"}, dir.path()).exitCode, 0);
  const auto runTime = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
  const std::string after = test::ReadFileBytes(dir / "address.dat");
  ASSERT_NE(after, before);

  // Kill points spread from the start to twice a whole run, with jitter: the first half of the
  // rounds fall inside the run, and the last ones after it even on a machine that slows down.
  constexpr int kRounds = 16;
  std::mt19937 rng(12345);
  std::uniform_int_distribution<long> jitter(0, runTime.count() / kRounds);
  int sawOld = 0, sawNew = 0;
  for (int round = 0; round < kRounds; ++round) {
    test::WriteFileBytes(dir / "address.dat", before);
    const pid_t pid = test::StartProcess({cli, "writeback", "address.dat", "r.out"}, dir.path());
    const long delay = runTime.count() * 2 * round / (kRounds - 1) + jitter(rng);
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ASSERT_TRUE(fs::exists(dir / "address.dat")) << "round " << round;
    const std::string now = test::ReadFileBytes(dir / "address.dat");
    ASSERT_TRUE(now == before || now == after)
        << "round " << round << ": " << now.size() << " bytes, neither old nor new";
    (now == before ? sawOld : sawNew) += 1;
  }
  // Both outcomes occurred, so the kills really fell before and after the replacement.
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
}

}  // namespace
}  // namespace brindle
