// Lasting backups of the address file: the version a replacement is about to remove is kept in
// Brindle's own `backups` folder (owner-only) under a name that gives the time to the
// millisecond and the reason, "address-2026-12-08T11-42-05.123-writeback.dat". One program
// folder serves every address file its user names (one per Palm user), so each backup records
// the file it came from: the newest ten of each file are kept, a version identical to that
// file's newest is not kept twice, and a file's listing never offers another file's backups.
//
// The source is recorded in a sidecar beside the backup, "<backup>.source": the file's
// absolute, resolved path in UTF-8, owner-only. A sidecar rather than a hash in the name,
// because the path itself can be shown and compared as a file (two spellings of one path on
// Windows name one file), and because the names keep the form they had, so scripts and the
// backups already on users' disks read as before. The sidecar is created exclusively first and
// so claims the name; the backup counts as made once its own name follows, and is removed
// before its sidecar. Backups from before sidecars have none: their file is unknown, and they
// are pruned as a group of their own.
//
// On the address file's own file system the old file itself is kept: a hard link is made just
// before the rename that replaces the file, so keeping it costs no copy. For that moment the
// file has a second name, inside the owner-only folder only; once it is no longer the live
// file the backup is narrowed to owner-only. A run killed between the link and the rename
// leaves a backup that still shares the live file: the next run removes that name first
// (ForgetUnfinished), since it holds nothing the live file does not, and so the refusal of
// files with a second name never trips on Brindle's own backups. Elsewhere the file is copied
// into a new owner-only file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <optional>
#include <vector>

#include "platform/file_error.h"

namespace brindle::platform {

// A failure in replacing the address file whose message says where the backups are: a backup
// that could not be kept, or any failure of a FileReplacement once it writes.
class ReplacementError : public FileError {
 public:
  using FileError::FileError;
};

struct BackupEntry {
  std::filesystem::path path;
  std::string time;    // "2026-12-08T11-42-05.123", local time
  std::string reason;  // "load", "writeback", "restore"
  int counter = 0;     // above 0 when a backup of the same millisecond came first
  std::uintmax_t size = 0;
  // The file it was taken of, as its sidecar records it; none for an older backup.
  std::optional<std::filesystem::path> source;
};

class Backups {
 public:
  static constexpr std::size_t kKept = 10;

  explicit Backups(std::filesystem::path folder) : folder_(std::move(folder)) {}

  const std::filesystem::path& folder() const { return folder_; }
  // Every backup in the folder, oldest first; none when the folder does not exist.
  std::vector<BackupEntry> List() const;
  // The backups that may be of `file`, oldest first: those recorded from it and those whose
  // file is unknown; never one recorded from another file.
  std::vector<BackupEntry> ListFor(const std::filesystem::path& file) const;
  // Whether a backup's recorded source is `file`: the same path, or a path naming that file.
  static bool SourceIs(const std::filesystem::path& source, const std::filesystem::path& file);
  // The file a backup (in this folder or elsewhere) records as its source; none when unknown.
  static std::optional<std::filesystem::path> SourceOf(const std::filesystem::path& backup);
  // A backup by its listed name, or by a path (UTF-8). Throws FileError when there is none.
  std::filesystem::path Find(const std::string& nameOrPath) const;
  // Removes a backup that still shares the file at `live` (a killed run's unfinished backup),
  // and the sidecar of `live` that a run killed before its backup's name left alone. Called
  // under the file's lock, so no other run is making a backup of `live` meanwhile.
  void ForgetUnfinished(const std::filesystem::path& live) const;
  // The backup this object kept last, or an empty path.
  const std::filesystem::path& lastKept() const { return lastKept_; }
  void ClearLastKept() { lastKept_.clear(); }
  // A sentence for error messages: where earlier versions of the file are.
  std::string Where() const;

 private:
  friend class KeptVersion;
  std::filesystem::path NewName(const std::string& reason) const;
  // Removes the oldest backups beyond the newest ten of each file, those of unknown file
  // counting as one file.
  void Prune() const;

  std::filesystem::path folder_;
  std::filesystem::path lastKept_;
};

// Keeps the file at `live`, as it is now, in `backups`: made right before the replacement's
// rename, Settle()d right after it. Destroyed unsettled (the rename failed, the file is still
// the live one), it removes the backup it made, so the file keeps the names it had. A file
// equal to the newest backup is not kept again; that is no error, and Settle then keeps
// nothing.
class KeptVersion {
 public:
  // Throws ReplacementError when the backup cannot be made.
  KeptVersion(Backups& backups, const std::filesystem::path& live, const std::string& reason);
  ~KeptVersion();
  KeptVersion(const KeptVersion&) = delete;
  KeptVersion& operator=(const KeptVersion&) = delete;

  // Narrows the backup to owner-only, forces the folder to disk and removes each file's oldest
  // backups beyond its newest ten. Never throws: the replacement has happened.
  void Settle() noexcept;

 private:
  // Why a backup cannot be made, with the system's reason when it gave one (a full disk).
  struct Refusal {
    std::string why;
    std::error_code code;
  };
  // Makes the backup unless the newest one equals the file; returns why it cannot, if it cannot.
  std::optional<Refusal> Make(const std::filesystem::path& live, const std::string& reason);

  Backups& backups_;
  std::filesystem::path source_;  // the live file's absolute path, as the sidecar records it
  std::filesystem::path made_;
  bool settled_ = false;
};

}  // namespace brindle::platform
