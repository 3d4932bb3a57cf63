#include "platform/file_ops.h"

#include <gtest/gtest.h>

#include "support/dat_builder.h"
#include "support/faulty_file_ops.h"
#include "support/posix_only.h"

namespace brindle::platform {
namespace {

using test::FaultyFileOps;
using test::FileOp;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

long Entries(const std::filesystem::path& dir) {
  return std::distance(std::filesystem::directory_iterator(dir),
                       std::filesystem::directory_iterator());
}

TEST(RealFileOps, CopyReplacesAndAMissingSourceFails) {
  TempDir dir;
  RealFileOps files;
  WriteFileBytes(dir / "a", "new");
  WriteFileBytes(dir / "b", "old and longer");
  files.Copy(dir / "a", dir / "b");
  EXPECT_EQ(ReadFileBytes(dir / "b"), "new");
  EXPECT_THROW(files.Copy(dir / "none", dir / "c"), FileError);
  EXPECT_THROW(files.Copy(dir.path(), dir / "c"), FileError);  // a folder is no file
  EXPECT_THROW(files.Remove(dir / "none"), FileError);
  EXPECT_NO_THROW(files.CreateDirectory(dir / "d"));
  EXPECT_NO_THROW(files.CreateDirectory(dir / "d"));
  EXPECT_THROW(files.CreateDirectory(dir / "a"), FileError);  // a file stands there
}

TEST(RealFileOps, PrivateFilesAreOwnerOnlyFromTheStart) {
  TempDir dir;
  RealFileOps files;
  WriteFileBytes(dir / "conf", "old");
  std::filesystem::permissions(dir / "conf", std::filesystem::perms(0644));
  files.WritePrivateFile(dir / "conf", "secret");
  files.WritePrivateFile(dir / "fresh", "secret");
  for (const char* name : {"conf", "fresh"}) {
    if (test::kPosixFiles) {
      EXPECT_EQ(test::PermissionBits(dir / name), 0600u) << name;
    }
    EXPECT_EQ(ReadFileBytes(dir / name), "secret");
  }
  EXPECT_EQ(Entries(dir.path()), 2);  // no new copy left beside them
  EXPECT_THROW(files.WritePrivateFile(dir / "no" / "such", "x"), FileError);
}

TEST(RealFileOps, SavingThroughALinkWritesItsTarget) {
  BRINDLE_POSIX_ONLY("Symbolic links for every user");
  TempDir dir;
  RealFileOps files;
  WriteFileBytes(dir / "real.conf", "old");
  std::filesystem::create_symlink(dir / "real.conf", dir / "Brindle.conf");
  files.WritePrivateFile(dir / "Brindle.conf", "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "Brindle.conf"));
  EXPECT_EQ(ReadFileBytes(dir / "real.conf"), "new");
}

TEST(MoveReplacing, RenamesWithinOneFileSystem) {
  TempDir dir;
  FaultyFileOps files;
  WriteFileBytes(dir / "new", "N");
  WriteFileBytes(dir / "user", "U");
  MoveReplacing(files, dir / "new", dir / "user");
  EXPECT_EQ(ReadFileBytes(dir / "user"), "N");
  EXPECT_EQ(files.calls().size(), 1u);
}

TEST(MoveReplacing, AcrossFileSystemsCopiesBesideTheTargetThenRemovesTheSource) {
  TempDir dir;
  FaultyFileOps files;
  WriteFileBytes(dir / "new", "N");
  WriteFileBytes(dir / "user", "U");
  files.Plant({FileOp::Rename, "new", FileError::Kind::CrossDevice, 1});
  MoveReplacing(files, dir / "new", dir / "user");
  EXPECT_EQ(ReadFileBytes(dir / "user"), "N");
  EXPECT_FALSE(std::filesystem::exists(dir / "new"));
  EXPECT_EQ(Entries(dir.path()), 1);  // no copy left beside the target
}

TEST(MoveReplacing, AFailedCrossCopyLeavesTheTargetAndTheSourceAlone) {
  TempDir dir;
  FaultyFileOps files;
  WriteFileBytes(dir / "new", "N");
  WriteFileBytes(dir / "user", "U");
  files.Plant({FileOp::Rename, "new", FileError::Kind::CrossDevice});
  files.Plant({FileOp::Copy, ""});  // the copy beside the target
  EXPECT_THROW(MoveReplacing(files, dir / "new", dir / "user"), FileError);
  EXPECT_EQ(ReadFileBytes(dir / "user"), "U");
  EXPECT_EQ(ReadFileBytes(dir / "new"), "N");
}

}  // namespace
}  // namespace brindle::platform
