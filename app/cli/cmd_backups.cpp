// brindle-cli backups [--program-folder DIR]: the kept versions of the address file, newest
// first, with the name restore takes.
#include <iomanip>
#include <ostream>

#include "address_file/dat_input.h"
#include "address_file/dat_reader.h"
#include "command.h"
#include "platform/backups.h"
#include "text/timestamp.h"

namespace brindle::cli {
namespace {

// The record count of the backup's header, or "?" for a file that cannot be read as one.
std::string Records(const std::filesystem::path& path) {
  try {
    DatInput in(path);
    DatReader reader;
    return std::to_string(reader.ReadHeader(in).recordCount);
  } catch (const std::exception&) {
    return "?";
  }
}

int RunBackups(const Args& args, std::ostream& out) {
  const platform::Backups backups(ProgramFolder(args) / "backups");
  const auto entries = backups.List();
  if (entries.empty()) {
    out << "No backups in " << backups.folder().string() << "\n";
    return 0;
  }
  out << "Backups in " << backups.folder().string() << ", newest first:\n";
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    out << it->path.filename().string() << "\t" << text::ReadableBackupTime(it->time) << "\t"
        << it->reason << "\t" << it->size << " bytes\t" << Records(it->path) << " records\n";
  }
  return 0;
}

const CommandRegistrar kBackups({
    .name = "backups",
    .synopsis = "backups [--program-folder DIR]",
    .summary = "List the kept versions of the address file, newest first.",
    .help = "Before a load, a write-back or a restore replaces an address file, the file as it\n"
            "was is kept in the backups/ folder of the program folder (the newest 10; a\n"
            "version identical to the newest one is not kept again). Prints one line per\n"
            "backup, newest first: its name (what restore takes), time, reason (load,\n"
            "writeback, restore), size in bytes and the record count of its header.\n"
            "  --program-folder DIR   the folder holding Brindle.conf (default: this\n"
            "                         program's folder)\n",
    .valueOptions = {"--program-folder"},
    .flagOptions = {},
    .minPositional = 0,
    .maxPositional = 0,
    .run = RunBackups,
});

}  // namespace
}  // namespace brindle::cli
