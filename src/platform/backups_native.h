// The system calls behind the backups, one file per system (backups_posix.cpp,
// backups_windows.cpp).
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace brindle::platform {

// How making a backup's file went. These functions return every outcome, a failure included,
// and throw nothing.
struct Made {
  enum Outcome { kDone, kNameTaken, kCannotLink, kFailed };
  Outcome outcome = kDone;
  std::string reason;     // what failed, in the system's words, when kFailed
  std::error_code code;   // the system's reason, when kFailed and it gave one
};

// Whether two regular files hold the same bytes.
bool SameContent(const std::filesystem::path& a, const std::filesystem::path& b);
// Whether `a` (not followed when a link) and `b` are one file.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);
// Gives `from` the second name `to`; kCannotLink where the file system cannot.
Made LinkFile(const std::filesystem::path& from, const std::filesystem::path& to);
// An owner-only copy at the new name `to`, forced to disk. A copy that cannot be written is
// removed again (kFailed).
Made CopyPrivately(const std::filesystem::path& from, const std::filesystem::path& to);
// Creates `to`, which must not exist yet, owner-only, holding `bytes`, forced to disk; kNameTaken
// when it exists. A file that cannot be written is removed again (kFailed).
Made CreateExclusively(const std::filesystem::path& to, const std::string& bytes);
// Narrows a kept backup to its owner. Best effort.
void MakeOwnerOnly(const std::filesystem::path& path);
// Removes a backup's name; failures are passed over.
void RemoveBackupFile(const std::filesystem::path& path);

}  // namespace brindle::platform
