// Replacing the user's address file, the one way every caller does it (the load's swap, the
// write-back, a restore): under the file's lock, after the checks, through a private copy that
// takes the file's place in one rename once the file as it was is kept in the backups.
//
// The lock is taken here, or is the one the run already holds: a second lock on the same file
// is refused even inside one process. The checks remove a killed run's unfinished backup link
// first (Backups::ForgetUnfinished), then refuse a file a new copy would break
// (RequireReplaceable). Only this type names the backups folder in errors: every failure from
// the writing of the copy on is a ReplacementError that says where the earlier versions are;
// the lock and the checks fail with plain FileErrors.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/backups.h"
#include "platform/file_lock.h"
#include "platform/file_ops.h"
#include "platform/file_safety.h"

namespace brindle::platform {

class FileReplacement {
 public:
  // The private copy as the caller writes it: a stream of its own over the file at `path`,
  // which the caller writes, forces to disk and closes.
  struct Copy {
    std::FILE* stream;
    std::filesystem::path path;
  };

  // Takes the lock of the file that `file` names, then runs the checks. Throws FileInUse when
  // another run holds it; FileError when there is no such file (no lock file is made then) or
  // when it may not be replaced.
  FileReplacement(const std::filesystem::path& file, Backups& backups);
  // The same under `held`, the lock the run already holds on the file; the checks run again.
  FileReplacement(const FileLock& held, Backups& backups);
  // A copy never offered to Commit is removed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // The file replaced, its links resolved: the file to read, and where the copy goes.
  const std::filesystem::path& target() const { return lock_.target(); }
  const FileLock& lock() const { return lock_; }

  // Makes the private copy beside the file, under a unique name, owner-only, with the file's
  // owner and group.
  Copy Write();
  // Makes the private copy instead as a copy of the file as it is now, through `files`, in
  // `folder` under a name no other load's copy has. Throws FileError. Returns its path. When
  // Commit fails, this copy stays where it is; its maker removes it when it ends.
  std::filesystem::path CopyInto(FileOps& files, const std::filesystem::path& folder);

  // The private copy's path, once Write or CopyInto made it.
  const std::filesystem::path& copyPath() const { return beside_ ? beside_->path() : elsewhere_; }

  // Runs `step`, which writes the copy; a failure of it is thrown again as a ReplacementError.
  template <typename Step>
  auto Run(Step&& step) -> decltype(step()) {
    try {
      return step();
    } catch (const ReplacementError&) {
      throw;
    } catch (const std::runtime_error& e) {
      Fail(e.what());
    }
  }

  // REQUIRES: the copy is written and forced to disk. Keeps the file as it is in the backups
  // under `reason` ("load", "writeback", "restore"), then puts the copy in its place; the file
  // is unchanged when it throws. Returns whether the rename itself reached the disk; when not,
  // the system writes it out in its own time.
  bool Commit(const std::string& reason);

 private:
  void Check();
  [[noreturn]] void Fail(const std::string& cause) const;

  std::optional<FileLock> own_;  // the lock taken here, if any
  const FileLock& lock_;
  Backups& backups_;
  std::optional<Replacement> beside_;  // Write's copy
  FileOps* files_ = nullptr;           // CopyInto's copy, made and renamed through `files_`
  std::filesystem::path elsewhere_;
  bool offered_ = false;  // Commit was called
};

}  // namespace brindle::platform
