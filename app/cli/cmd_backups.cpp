// brindle-cli backups [FILE] [--program-folder DIR]: the kept versions of the address file,
// newest first, with the name restore takes; with FILE, only those that may be FILE's.
#include <ostream>

#include "command.h"
#include "platform/backups.h"
#include "platform/program_folder.h"
#include "platform/utf8_path.h"
#include "versions/kept_versions.h"

namespace brindle::cli {
namespace {

int RunBackups(const Args& args, std::ostream& out) {
  const platform::Backups backups(platform::BackupsFolder(ProgramFolder(args)));
  const auto versions = args.positional.empty() ? versions::AllVersions(backups)
                                                : versions::VersionsOf(backups, args.PathAt(0));
  const std::string of =
      args.positional.empty() ? "" : " of " + platform::Utf8FromPath(args.PathAt(0));
  if (versions.empty()) {
    out << "No backups" << of << " in " << backups.folder().string() << "\n";
    return 0;
  }
  out << "Backups" << of << " in " << backups.folder().string() << ", newest first:\n";
  for (const versions::Version& v : versions) {
    out << v.backup.path.filename().string() << "\t" << v.time << "\t" << v.backup.reason << "\t"
        << v.backup.size << " bytes\t" << (v.records ? std::to_string(*v.records) : "?")
        << " records\t"
        << (v.backup.source ? platform::Utf8FromPath(*v.backup.source) : "file unknown") << "\n";
  }
  return 0;
}

const CommandRegistrar kBackups({
    .name = "backups",
    .synopsis = "backups [FILE] [--program-folder DIR]",
    .summary = "List the kept versions of the address file, newest first.",
    .help = "Before a load, a write-back or a restore replaces an address file, the file as it\n"
            "was is kept in the backups/ folder of the program folder (the newest 10 of each\n"
            "file; a version identical to that file's newest one is not kept again). Prints one\n"
            "line per backup, newest first: its name (what restore takes), time, reason (load,\n"
            "writeback, restore), size in bytes, the record count of its header and the file\n"
            "it was taken of (\"file unknown\" for a backup from before Brindle recorded it).\n"
            "With FILE, only FILE's backups and those whose file is unknown are listed.\n"
            "  --program-folder DIR   the folder holding Brindle.conf (default: this\n"
            "                         program's folder)\n",
    .valueOptions = {"--program-folder"},
    .flagOptions = {},
    .minPositional = 0,
    .maxPositional = 1,
    .run = RunBackups,
});

}  // namespace
}  // namespace brindle::cli
