// brindle-cli writeback FILE RESULT [--count N]: gives the records named in the service's
// result file their database identifiers, replacing FILE in one step.
#include <cstdint>
#include <filesystem>
#include <ostream>

#include "address_file/result_file.h"
#include "command.h"
#include "platform/backups.h"
#include "platform/file_replacement.h"
#include "platform/program_folder.h"
#include "window/sync_run/write_back.h"

namespace brindle::cli {
namespace {

namespace fs = std::filesystem;

std::int32_t RowsIn(const fs::path& result) { return CountResultRows(ReadResultText(result)); }

int RunWriteBack(const Args& args, std::ostream& out) {
  const fs::path file = args.PathAt(0);
  const fs::path result = args.PathAt(1);
  const bool counted = args.Has("--count");
  WriteBackJob job;
  job.resultFile = result;
  if (counted) job.regCount = static_cast<std::int32_t>(args.GetNumber("--count", 0, 0, INT32_MAX));
  platform::Backups backups(platform::BackupsFolder(ProgramFolder(args)));
  // Holds the lock until the new file is in place: a second run on the same file stops here.
  platform::FileReplacement replacement(file, backups);
  platform::RequireRegularFile(result);  // before it is read: a device has no end
  if (!counted) job.regCount = RowsIn(result);
  DatReader reader;
  int changed = 0;
  try {
    changed = WriteBackInto(replacement, reader, job);
  } catch (const platform::FileError& e) {
    throw platform::FileError(file.string() + ": " + e.what());
  }
  out << "Updated " << changed << " record(s) in " << file.string() << "\n";
  return 0;
}

const CommandRegistrar kWriteBack({
    .name = "writeback",
    .synopsis = "writeback FILE RESULT [--count N] [--program-folder DIR]",
    .summary = "Write the service's database identifiers back into an address file.",
    .help = "Reads RESULT, the service's result file (rows of \"<record id>,<database id>\",\n"
            "each ended by two line feeds), and rewrites FILE so that every record named\n"
            "there gets state 2 and the database identifier as its ninth custom text. Every\n"
            "other byte is kept. The new file is written beside FILE, forced to disk and\n"
            "renamed over it, so FILE is always either the old or the new file; on any\n"
            "failure FILE is left unchanged.\n\n"
            "  --count N   the number of lines the export wrote; RESULT must hold exactly N\n"
            "              rows (default: the number of rows in RESULT)\n\n"
            "  --program-folder DIR   the folder holding Brindle.conf; the file as it was is\n"
            "              kept in its backups/ folder before it is replaced (default: this\n"
            "              program's folder)\n\n"
            "Prints the number of records changed; `backups` lists the backup kept.\n",
    .valueOptions = {"--count", "--program-folder"},
    .flagOptions = {},
    .minPositional = 2,
    .maxPositional = 2,
    .run = RunWriteBack,
});

}  // namespace
}  // namespace brindle::cli
