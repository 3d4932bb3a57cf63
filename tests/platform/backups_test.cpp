// The lasting backups taken when a file is replaced: a folder kept to the newest ten of each
// file, no duplicate of that file's newest, each backup's file recorded, the old file kept without
// a second name once replaced, a backup that cannot be made stopping the replacement, a killed
// run's unfinished backup.
#include "platform/backups.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/file_safety.h"
#include "platform/file_sync.h"
#include "platform/log_file.h"
#include "support/dat_builder.h"
#include "support/posix_only.h"

namespace brindle::platform {
namespace {

namespace fs = std::filesystem;

// Replaces `file` with `bytes`, keeping the old one in `backups`, as a write-back does.
void ReplaceKeeping(const fs::path& file, Backups& backups, const std::string& bytes) {
  Replacement replacement(file);
  std::FILE* out = replacement.OpenStream();
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  ASSERT_TRUE(SyncFile(out));
  std::fclose(out);
  EXPECT_TRUE(replacement.Commit(&backups, "writeback"));
}

class BackupsTest : public ::testing::Test {
 protected:
  // Replaces the address file with `bytes`, keeping the old one.
  void Replace(const std::string& bytes) { ReplaceKeeping(dat_, backups_, bytes); }
  std::vector<std::string> Contents() {
    std::vector<std::string> contents;
    for (const auto& entry : backups_.List()) contents.push_back(test::ReadFileBytes(entry.path));
    return contents;
  }
  unsigned Mode(const fs::path& path) { return test::PermissionBits(path); }

  test::TempDir dir_;
  fs::path dat_ = dir_ / "address.dat";
  Backups backups_{dir_ / "program" / "backups"};
};

TEST_F(BackupsTest, AFullFolderKeepsTheNewestTenInTheOrderTheyWereMade) {
  BRINDLE_POSIX_ONLY("Owner-only permission bits");
  test::WriteFileBytes(dat_, "v0");
  test::SetPermissionBits(dat_, 0644);
  for (int i = 1; i <= 13; ++i) Replace("v" + std::to_string(i));
  // Many backups fall in one millisecond here: the counter keeps their order.
  const std::vector<std::string> expected = {"v3", "v4", "v5",  "v6",  "v7",
                                             "v8", "v9", "v10", "v11", "v12"};
  EXPECT_EQ(Contents(), expected);
  EXPECT_EQ(test::ReadFileBytes(dat_), "v13");
  EXPECT_EQ(Mode(dat_), 0644u);
  for (const auto& entry : backups_.List()) {
    EXPECT_EQ(entry.reason, "writeback");
    EXPECT_EQ(Mode(entry.path), 0600u) << entry.path;  // narrowed once no longer live
  }
  EXPECT_EQ(Mode(backups_.folder()), 0700u);
  EXPECT_EQ(fs::hard_link_count(dat_), 1u);
}

TEST_F(BackupsTest, AVersionIdenticalToTheNewestIsNotKeptTwice) {
  test::WriteFileBytes(dat_, "same");
  Replace("same");
  Replace("same");
  Replace("other");
  EXPECT_EQ(Contents(), (std::vector<std::string>{"same"}));
  Replace("same");
  EXPECT_EQ(Contents(), (std::vector<std::string>{"same", "other"}));
}

TEST_F(BackupsTest, OnAnotherFileSystemTheOldFileIsCopiedPrivately) {
  BRINDLE_POSIX_ONLY("Owner-only permission bits");
  if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm to stand for another disk";
  const fs::path folder =
      fs::path("/dev/shm") / ("brindle-test-" + dir_.path().filename().string());
  Backups elsewhere(folder / "backups");
  test::WriteFileBytes(dat_, "old");
  test::SetPermissionBits(dat_, 0644);
  {
    Replacement replacement(dat_);
    std::FILE* out = replacement.OpenStream();
    std::fputs("new", out);
    std::fclose(out);
    EXPECT_TRUE(replacement.Commit(&elsewhere, "load"));
  }
  ASSERT_EQ(elsewhere.List().size(), 1u);
  EXPECT_EQ(test::ReadFileBytes(elsewhere.List()[0].path), "old");
  EXPECT_EQ(Mode(elsewhere.List()[0].path), 0600u);
  fs::remove_all(folder);
}

TEST_F(BackupsTest, ABackupThatCannotBeMadeStopsTheReplacement) {
  test::WriteFileBytes(dat_, "precious");
  fs::create_directories(dir_ / "program");
  test::WriteFileBytes(backups_.folder(), "");  // a file where the folder should be
  try {
    Replace("new");
    FAIL() << "replaced without a backup";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(backups_.folder().string()), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(test::ReadFileBytes(dat_), "precious");
  EXPECT_EQ(fs::hard_link_count(dat_), 1u);
  for (const auto& entry : fs::directory_iterator(dir_.path())) {
    EXPECT_EQ(entry.path().string().find("brindle-tmp"), std::string::npos) << entry.path();
  }
}

TEST_F(BackupsTest, AKilledRunsUnfinishedBackupIsForgottenSoTheFileIsNotRefused) {
  test::WriteFileBytes(dat_, "live");
  fs::create_directories(backups_.folder());
  // What a run killed between the link and the rename leaves.
  fs::create_hard_link(dat_, backups_.folder() / "address-2026-01-01T00-00-00.000-writeback.dat");
  EXPECT_THROW(RequireReplaceable(dat_), FileError);
  backups_.ForgetUnfinished(dat_);
  EXPECT_NO_THROW(RequireReplaceable(dat_));
  EXPECT_TRUE(backups_.List().empty());
}

// One program folder serves the files of several Palm users.
class BackupsOfSeveralFiles : public ::testing::Test {
 protected:
  void Replace(const fs::path& file, const std::string& bytes) {
    ReplaceKeeping(file, backups_, bytes);
  }
  // The contents of the backups that may be `file`'s, oldest first.
  std::vector<std::string> ContentsFor(const fs::path& file) {
    std::vector<std::string> contents;
    for (const auto& entry : backups_.ListFor(file)) {
      contents.push_back(test::ReadFileBytes(entry.path));
    }
    return contents;
  }
  // A backup an earlier Brindle made, without a record of its file.
  void PlantOld(int i, const std::string& bytes) {
    fs::create_directories(backups_.folder());
    char name[64];
    std::snprintf(name, sizeof name, "address-2026-01-01T00-00-%02d.000-load.dat", i);
    test::WriteFileBytes(backups_.folder() / name, bytes);
  }

  test::TempDir dir_;
  fs::path alice_ = dir_ / "alice.dat";
  fs::path bob_ = dir_ / "bob.dat";
  Backups backups_{dir_ / "program" / "backups"};
};

TEST_F(BackupsOfSeveralFiles, EachFileKeepsItsNewestTenAndListsNoOtherFilesBackups) {
  test::WriteFileBytes(alice_, "a0");
  test::WriteFileBytes(bob_, "b0");
  for (int i = 0; i < 11; ++i) PlantOld(i, "old" + std::to_string(i));
  for (int i = 1; i <= 13; ++i) Replace(alice_, "a" + std::to_string(i));
  Replace(bob_, "b1");
  Replace(bob_, "b2");

  struct Case {
    fs::path file;
    std::vector<std::string> own;  // its own backups, oldest first
  };
  const std::vector<std::string> old = {"old1", "old2", "old3", "old4", "old5",
                                        "old6", "old7", "old8", "old9", "old10"};
  const std::vector<Case> cases = {
      {alice_, {"a3", "a4", "a5", "a6", "a7", "a8", "a9", "a10", "a11", "a12"}},
      {bob_, {"b0", "b1"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> expected = old;  // unknown file: listed for both, oldest first
    expected.insert(expected.end(), c.own.begin(), c.own.end());
    EXPECT_EQ(ContentsFor(c.file), expected) << c.file;
  }
  std::size_t unknown = 0;
  for (const auto& entry : backups_.List()) {
    if (!entry.source) {
      ++unknown;
      continue;
    }
    // Each known backup names the file whose version it holds.
    const bool alices = test::ReadFileBytes(entry.path)[0] == 'a';
    EXPECT_EQ(Backups::SourceIs(*entry.source, alice_), alices) << entry.path;
    EXPECT_EQ(Backups::SourceIs(*entry.source, bob_), !alices) << entry.path;
    if (test::kPosixFiles) {
      fs::path sidecar = entry.path;
      sidecar += ".source";
      EXPECT_EQ(test::PermissionBits(sidecar), 0600u);
    }
  }
  EXPECT_EQ(unknown, Backups::kKept);
  EXPECT_EQ(backups_.List().size(), 10u + 2u + 10u);
}

TEST_F(BackupsOfSeveralFiles, AVersionEqualToAnotherFilesNewestIsStillKept) {
  test::WriteFileBytes(alice_, "same");
  test::WriteFileBytes(bob_, "same");
  Replace(alice_, "a1");
  Replace(bob_, "b1");
  EXPECT_EQ(ContentsFor(alice_), (std::vector<std::string>{"same"}));
  EXPECT_EQ(ContentsFor(bob_), (std::vector<std::string>{"same"}));
}

TEST_F(BackupsOfSeveralFiles, AKilledRunsSidecarIsForgottenWithItsBackup) {
  test::WriteFileBytes(alice_, "live");
  test::WriteFileBytes(bob_, "b0");
  Replace(bob_, "b1");
  // What runs on alice's file killed after the sidecar, and after the link, leave.
  const fs::path sidecarOnly = backups_.folder() / "address-2026-01-01T00-00-00.000-load.dat";
  const fs::path linked = backups_.folder() / "address-2026-01-01T00-00-01.000-load.dat";
  for (const fs::path& backup : {sidecarOnly, linked}) {
    fs::path sidecar = backup;
    sidecar += ".source";
    test::WriteFileBytes(sidecar, fs::absolute(alice_).string() + "\n");
  }
  fs::create_hard_link(alice_, linked);
  backups_.ForgetUnfinished(alice_);
  EXPECT_TRUE(backups_.ListFor(alice_).empty());
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(backups_.folder())) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left.size(), 2u);  // bob's backup and its sidecar
}

TEST(LogFile, RotatesAtItsLimitKeepingThreeFiles) {
  test::TempDir dir;
  const fs::path log = dir / "Brindle.log";
  for (int i = 0; i < 10; ++i) AppendToLog(log, "run " + std::to_string(i) + "\n", 12, 3);
  EXPECT_EQ(test::ReadFileBytes(log), "run 8\nrun 9\n");
  EXPECT_EQ(test::ReadFileBytes(dir / "Brindle.log.1"), "run 6\nrun 7\n");
  EXPECT_EQ(test::ReadFileBytes(dir / "Brindle.log.2"), "run 4\nrun 5\n");
  EXPECT_FALSE(fs::exists(dir / "Brindle.log.3"));
  if (test::kPosixFiles) {
    EXPECT_EQ(test::PermissionBits(log), 0600u);
  }
}

}  // namespace
}  // namespace brindle::platform
