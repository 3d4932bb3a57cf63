// Putting a kept version back in the address file's place, and what that costs: the one
// restore of `brindle-cli restore` and `brindle-backups`. The file is replaced through
// FileReplacement, so the restore keeps the file as it is first (reason "restore") and is
// undone by restoring that version.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/backups.h"
#include "platform/file_lock.h"
#include "versions/kept_versions.h"

namespace brindle::versions {

// The backup a user names for `file`: a name as listed, or a path. Throws FileError when there
// is none, or when the folder's backup was recorded from another file (another Palm user's
// contacts).
std::filesystem::path BackupFor(const platform::Backups& backups, const std::string& nameOrPath,
                                const std::filesystem::path& file);

// Throws DatError unless `backup` reads as an address file from its first record to its last.
void RequireReadable(const std::filesystem::path& backup);

// The records of `file` that carry a service id (state 2 and the id in custom9) which the
// same record in `backup` does not carry: the ids a restore of `backup` takes away, whose
// contacts the next SYNC would add to the service again. None when either file does not read
// as an address file.
std::optional<int> IdsLost(const std::filesystem::path& file, const std::filesystem::path& backup);

// Restores `backup` in place of the file `held` locks (a readable address file only). Returns
// the backup kept of the file as it was, or an empty path when that equalled the file's newest
// backup, which then stays. Throws FileError (DatError for an unreadable backup); the file is
// unchanged then.
std::filesystem::path Restore(const platform::FileLock& held, platform::Backups& backups,
                              const std::filesystem::path& backup);

// The Yes/No question before a restore of `version` in place of `file`, in UTF-8.
std::string RestoreQuestion(const std::filesystem::path& file, const Version& version,
                            std::optional<int> idsLost);

}  // namespace brindle::versions
