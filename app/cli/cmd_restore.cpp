// brindle-cli restore BACKUP FILE [--program-folder DIR]: puts a kept version back in FILE's
// place, by the same atomic replacement and lock as a write-back, after keeping FILE as it is
// now, so that a restore can always be undone by another.
#include <ostream>

#include "command.h"
#include "platform/backups.h"
#include "platform/file_lock.h"
#include "platform/program_folder.h"
#include "versions/restore.h"

namespace brindle::cli {
namespace {

namespace fs = std::filesystem;

int RunRestore(const Args& args, std::ostream& out) {
  platform::Backups backups(platform::BackupsFolder(ProgramFolder(args)));
  const fs::path file = args.PathAt(1);
  const platform::FileLock lock(file);
  const fs::path backup = versions::BackupFor(backups, args.positional[0], lock.target());
  const std::optional<int> lost = versions::IdsLost(lock.target(), backup);
  const fs::path kept = versions::Restore(lock, backups, backup);
  out << "Restored " << file.string() << " from " << backup.string() << "\n";
  if (!kept.empty()) {
    out << "Kept the file as it was in " << kept.string() << "\n";
  } else {
    out << "The file as it was equals the newest backup, which stays\n";
  }
  if (lost && *lost > 0) {
    out << *lost << " record(s) lost their service id; the next SYNC adds them to the service "
        << "again\n";
  }
  return 0;
}

const CommandRegistrar kRestore({
    .name = "restore",
    .synopsis = "restore BACKUP FILE [--program-folder DIR]",
    .summary = "Put a kept version of an address file back in place.",
    .help = "BACKUP is a name that `backups` lists, or the path of a file. It must read as an\n"
            "address file; a listed backup taken of another file is refused. FILE as it is now\n"
            "is kept in the backups/ folder first (unless it equals FILE's newest backup), so a\n"
            "restore is undone by restoring that one. The backup is copied beside FILE, forced\n"
            "to disk and renamed over it, under FILE's lock, with FILE's owner, group and\n"
            "permissions; on any failure FILE is unchanged. Says how many records lost the\n"
            "service's id (the next SYNC adds their contacts to the service again).\n"
            "  --program-folder DIR   the folder holding Brindle.conf and backups/ (default:\n"
            "                         this program's folder)\n",
    .valueOptions = {"--program-folder"},
    .flagOptions = {},
    .minPositional = 2,
    .maxPositional = 2,
    .run = RunRestore,
});

}  // namespace
}  // namespace brindle::cli
