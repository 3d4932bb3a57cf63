// brindle-cli against the files a hostile or careless local user leaves it: a second run on the
// same file, FIFOs and devices, read-only and hard-linked files, another user's file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "cli_fixture.h"
#include "platform/file_lock.h"
#include "support/dat_builder.h"
#include "support/process.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::ProcessResult;

class CliFiles : public test::CliTest {
 protected:
  // A sample file, and a result naming every other record with ids tagged `tag`.
  void Sample(int records) {
    ASSERT_EQ(Run({"sample", "address.dat", "--records", std::to_string(records)}).exitCode, 0);
    for (const char* tag : {"a", "b"}) {
      std::string rows;
      for (int i = 0; i < records; i += 2) {
        rows += std::to_string(8400001 + i * 3) + "," + tag + std::to_string(i) + "\n\n";
      }
      test::WriteFileBytes(dir_ / (std::string(tag) + ".out"), rows);
    }
  }
  std::string Dat() { return File("address.dat"); }
};

TEST_F(CliFiles, AWriteBackOnAFileInUseFailsAtOnceAndChangesNothing) {
  Sample(50);
  const std::string before = Dat();
  const platform::FileLock held(dir_ / "address.dat");
  const ProcessResult r = Run({"writeback", "address.dat", "a.out"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("address.dat is in use by another Brindle run"), std::string::npos) << r.err;
  EXPECT_EQ(Dat(), before);
}

TEST_F(CliFiles, AMistypedPathFailsAndLeavesNoLockFileBesideIt) {
  Sample(4);
  ASSERT_EQ(Run({"writeback", "address.dat", "a.out", "--program-folder", "prog"}).exitCode, 0);
  const std::string backup = fs::directory_iterator(dir_ / "prog" / "backups")->path().string();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"writeback", "missing.dat", "a.out", "--program-folder", "prog"},
        std::vector<std::string>{"restore", backup, "missing.dat", "--program-folder", "prog"}}) {
    const ProcessResult r = Run(args);
    EXPECT_EQ(r.exitCode, 1) << args[0];
    EXPECT_NE(r.err.find("cannot find"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "missing.dat.brindle-lock")) << args[0];
  }
}

TEST_F(CliFiles, TwoWriteBacksRacingLeaveOneWholeResult) {
  Sample(10000);
  const std::string before = Dat();
  // What each order of two whole runs gives.
  std::vector<std::string> whole;
  for (const auto& order : {std::vector<std::string>{"a"}, {"b"}, {"a", "b"}, {"b", "a"}}) {
    test::WriteFileBytes(dir_ / "address.dat", before);
    for (const std::string& tag : order) Run({"writeback", "address.dat", tag + ".out"});
    whole.push_back(Dat());
  }
  int refused = 0;
  for (int round = 0; round < 4; ++round) {
    test::WriteFileBytes(dir_ / "address.dat", before);
    auto a = std::async(std::launch::async, [&] {
      return Run({"writeback", "address.dat", "a.out"});
    });
    auto b = std::async(std::launch::async, [&] {
      return Run({"writeback", "address.dat", "b.out"});
    });
    for (const ProcessResult& r : {a.get(), b.get()}) {
      if (r.exitCode == 0) continue;
      EXPECT_NE(r.err.find("is in use by another Brindle run"), std::string::npos) << r.err;
      ++refused;
    }
    EXPECT_NE(std::find(whole.begin(), whole.end(), Dat()), whole.end()) << "round " << round;
    for (const auto& e : fs::directory_iterator(dir_.path())) {
      EXPECT_EQ(e.path().filename().string().find("brindle-tmp"), std::string::npos);
    }
  }
  EXPECT_GT(refused, 0) << "the runs never overlapped";
}

TEST_F(CliFiles, FifosDevicesAndFoldersAreRefusedAtOnce) {
  Sample(10);
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  fs::create_directory(dir_ / "folder");
  const std::vector<std::vector<std::string>> cases = {
      {"info", "fifo"},
      {"info", "folder"},
      {"export", "fifo", "--categories", "1"},
      {"writeback", "/dev/zero", "a.out"},
      {"writeback", "fifo", "a.out"},
      {"writeback", "address.dat", "/dev/zero"},
      {"writeback", "address.dat", "fifo"},
  };
  const std::string before = Dat();
  for (const auto& args : cases) {
    auto run = std::async(std::launch::async, [&] { return Run(args); });
    ASSERT_EQ(run.wait_for(std::chrono::seconds(5)), std::future_status::ready) << args[1];
    const ProcessResult r = run.get();
    EXPECT_EQ(r.exitCode, 1) << args[0] << " " << args[1];
    EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << r.err;
  }
  EXPECT_EQ(Dat(), before);
}

TEST_F(CliFiles, ReadOnlyAndHardLinkedFilesAreReadButNeverReplaced) {
  Sample(10);
  const std::string before = Dat();
  fs::permissions(dir_ / "address.dat", fs::perms(0444));
  EXPECT_EQ(Run({"info", "address.dat"}).exitCode, 0);
  EXPECT_EQ(Run({"export", "address.dat", "--categories", "1"}).exitCode, 0);
  ProcessResult r = Run({"writeback", "address.dat", "a.out"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("address.dat is read-only"), std::string::npos) << r.err;
  fs::permissions(dir_ / "address.dat", fs::perms(0600));
  fs::create_hard_link(dir_ / "address.dat", dir_ / "other.dat");
  r = Run({"writeback", "address.dat", "a.out"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("hard links"), std::string::npos) << r.err;
  EXPECT_EQ(Dat(), before);
  EXPECT_EQ(test::ReadFileBytes(dir_ / "other.dat"), before);
}

// Root rewriting a user's file leaves it the user's; a user cannot take over root's file.
TEST_F(CliFiles, TheFileStaysItsOwnersWhoeverRunsBrindle) {
  if (::geteuid() != 0) GTEST_SKIP() << "acting as another user needs root";
  if (!fs::exists("/usr/bin/setpriv")) GTEST_SKIP() << "setpriv is not installed";
  Sample(10);
  fs::permissions(dir_.path(), fs::perms(0777));
  ASSERT_EQ(::chown((dir_ / "address.dat").c_str(), 65534, 65534), 0);
  fs::permissions(dir_ / "address.dat", fs::perms(0600));
  ProcessResult r = Run({"writeback", "address.dat", "a.out"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  struct stat st {};
  ASSERT_EQ(::stat((dir_ / "address.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // Another user may write root's file (0666) but could not keep its owner: refused.
  ASSERT_EQ(::chown((dir_ / "address.dat").c_str(), 0, 0), 0);
  fs::permissions(dir_ / "address.dat", fs::perms(0666));
  fs::permissions(dir_ / "b.out", fs::perms(0644));
  fs::remove(dir_ / "address.dat.brindle-lock");  // root's own, which the user could not open
  const std::string before = Dat();
  r = test::RunProcess({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                        BRINDLE_CLI_PATH, "writeback", "address.dat", "b.out"},
                       dir_.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("belongs to another user or group"), std::string::npos) << r.err;
  EXPECT_EQ(Dat(), before);
}

}  // namespace
}  // namespace brindle
