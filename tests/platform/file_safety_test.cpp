// The file-system guards a hostile or careless local user would meet: a second run on the same
// file, planted links, FIFOs and devices, read-only and hard-linked files, unsafe folders.
#include "platform/file_safety.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "platform/file_lock.h"
#include "support/dat_builder.h"

namespace brindle::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

unsigned ModeOf(const fs::path& p) {
  struct stat st {};
  EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
  return st.st_mode & 07777;
}

std::string MessageOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const FileError& e) {
    return e.what();
  }
  return "";
}

TEST(FileLock, ASecondHolderIsRefusedAtOnceAndALinkSharesItsTargetsLock) {
  TempDir dir;
  WriteFileBytes(dir / "address.dat", "x");
  fs::create_symlink(dir / "address.dat", dir / "link.dat");
  {
    const FileLock held(dir / "address.dat");
    EXPECT_EQ(MessageOf([&] { FileLock second(dir / "link.dat"); }),
              (dir / "link.dat").string() + " is in use by another Brindle run");
    EXPECT_THROW(FileLock again(dir / "address.dat"), FileInUse);
    EXPECT_EQ(ModeOf(dir / "address.dat.brindle-lock"), 0600u);
  }
  EXPECT_NO_THROW(FileLock free(dir / "link.dat"));           // released with its holder
  EXPECT_TRUE(fs::exists(dir / "address.dat.brindle-lock"));  // never deleted
  EXPECT_FALSE(fs::exists(dir / "link.dat.brindle-lock"));
}

TEST(PrivateFiles, AreOwnerOnlyAndNeverWrittenThroughAPlantedLink) {
  TempDir dir;
  const mode_t old = ::umask(0);
  WriteFileBytes(dir / "victim", "keep");
  fs::create_symlink(dir / "victim", dir / "export.csv");
  std::FILE* f = CreatePrivateFile(dir / "export.csv");
  ::umask(old);
  ASSERT_NE(f, nullptr);
  std::fputs("secret", f);
  std::fclose(f);
  EXPECT_EQ(ReadFileBytes(dir / "victim"), "keep");
  EXPECT_FALSE(fs::is_symlink(dir / "export.csv"));
  EXPECT_EQ(ModeOf(dir / "export.csv"), 0600u);
  EXPECT_NE(UniqueSiblingPath(dir / "a"), UniqueSiblingPath(dir / "a"));
}

TEST(RequireReplaceable, RefusesWhatANewCopyWouldBreak) {
  TempDir dir;
  WriteFileBytes(dir / "ok.dat", "x");
  EXPECT_NO_THROW(RequireReplaceable(dir / "ok.dat"));
  WriteFileBytes(dir / "ro.dat", "x");
  fs::permissions(dir / "ro.dat", fs::perms(0444));
  EXPECT_NE(MessageOf([&] { RequireReplaceable(dir / "ro.dat"); }).find("is read-only"),
            std::string::npos);
  WriteFileBytes(dir / "linked.dat", "x");
  fs::create_hard_link(dir / "linked.dat", dir / "other-name.dat");
  EXPECT_NE(MessageOf([&] { RequireReplaceable(dir / "linked.dat"); }).find("hard links"),
            std::string::npos);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  for (const fs::path& odd : {dir / "fifo", dir.path(), fs::path("/dev/zero")}) {
    EXPECT_NE(MessageOf([&] { RequireReplaceable(odd); }).find("is not a regular file"),
              std::string::npos)
        << odd;
    EXPECT_THROW(RequireRegularFile(odd), FileError) << odd;
  }
}

TEST(OpenRegularForReading, RefusesAFifoWithoutBlocking) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  auto opened = std::async(std::launch::async, [&] {
    return MessageOf([&] { std::fclose(OpenRegularForReading(dir / "fifo")); });
  });
  ASSERT_EQ(opened.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_EQ(opened.get(), (dir / "fifo").string() + " is not a regular file (it is a FIFO)");
}

TEST(EnsurePrivateFolder, MakesItOwnerOnlyAndRefusesOneOthersCouldReach) {
  TempDir dir;
  const mode_t old = ::umask(0);
  EnsurePrivateFolder(dir / "tmp");
  ::umask(old);
  EXPECT_EQ(ModeOf(dir / "tmp"), 0700u);
  EXPECT_NO_THROW(EnsurePrivateFolder(dir / "tmp"));

  fs::create_directory(dir / "elsewhere");
  fs::create_symlink(dir / "elsewhere", dir / "linked");
  fs::create_directory(dir / "shared");
  fs::permissions(dir / "shared", fs::perms(0777));
  for (const char* name : {"linked", "shared"}) {
    try {
      EnsurePrivateFolder(dir / name);
      ADD_FAILURE() << name << " was accepted";
    } catch (const FileError& e) {
      EXPECT_EQ(e.kind(), FileError::Kind::Unsafe) << name;
    }
  }
  if (::geteuid() != 0) GTEST_SKIP() << "a folder of another user needs root to make";
  fs::create_directory(dir / "theirs");
  ASSERT_EQ(::chown((dir / "theirs").c_str(), 65534, 65534), 0);
  EXPECT_NE(MessageOf([&] { EnsurePrivateFolder(dir / "theirs"); }).find("another user"),
            std::string::npos);
}

TEST(Replacement, KeepsOwnerGroupAndModeAndIsOwnerOnlyUntilCommitted) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
  TempDir dir;
  WriteFileBytes(dir / "address.dat", "old");
  ASSERT_EQ(::chown((dir / "address.dat").c_str(), 65534, 65534), 0);
  fs::permissions(dir / "address.dat", fs::perms(0640));
  {
    Replacement r(dir / "address.dat");
    std::FILE* f = r.OpenStream();
    std::fputs("new", f);
    std::fclose(f);
    EXPECT_EQ(ModeOf(r.path()), 0600u);
    EXPECT_TRUE(r.Commit(nullptr, ""));
  }
  struct stat st {};
  ASSERT_EQ(::stat((dir / "address.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadFileBytes(dir / "address.dat"), "new");
}

}  // namespace
}  // namespace brindle::platform
