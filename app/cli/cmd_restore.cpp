// brindle-cli restore BACKUP FILE [--program-folder DIR]: puts a kept version back in FILE's
// place, by the same atomic replacement and lock as a write-back, after keeping FILE as it is
// now, so that a restore can always be undone by another.
#include <ostream>

#include "address_file/dat_error.h"
#include "address_file/dat_input.h"
#include "address_file/dat_output.h"
#include "address_file/dat_reader.h"
#include "command.h"
#include "platform/backups.h"
#include "platform/file_replacement.h"

namespace brindle::cli {
namespace {

namespace fs = std::filesystem;

// A backup is put back only when it reads as an address file from its first record to its last.
void RequireReadable(const fs::path& backup) {
  try {
    DatInput in(backup);
    DatReader reader;
    const DatHeader header = reader.ReadHeader(in);
    ForEachRecord(
        reader, in, header.recordCount, [](const DatRecord&, std::int64_t) {},
        DatReader::RecordTexts::kSkip);
  } catch (const DatError& e) {
    throw DatError(backup.string() + " is not a readable address file: " + e.what(), e.offset());
  }
}

void CopyInto(const fs::path& backup, platform::FileReplacement& replacement) {
  const platform::FileReplacement::Copy copy = replacement.Write();
  replacement.Run([&] {
    DatInput in(backup);
    DatOutput out(copy.stream, copy.path);
    CopyRest(in, out);
    out.Commit();
  });
}

int RunRestore(const Args& args, std::ostream& out) {
  platform::Backups backups(ProgramFolder(args) / "backups");
  const fs::path file = args.PathAt(1);
  platform::FileReplacement replacement(file, backups);
  const fs::path backup = backups.Find(args.positional[0]);
  platform::RequireRegularFile(backup);
  RequireReadable(backup);
  try {
    CopyInto(backup, replacement);
    // The restored file is in place either way; the system writes the folder out in its time.
    static_cast<void>(replacement.Commit("restore"));
  } catch (const std::exception& e) {
    throw std::runtime_error(file.string() + " was not restored: " + e.what());
  }
  out << "Restored " << file.string() << " from " << backup.string() << "\n";
  if (!backups.lastKept().empty()) {
    out << "Kept the file as it was in " << backups.lastKept().string() << "\n";
  } else {
    out << "The file as it was equals the newest backup, which stays\n";
  }
  return 0;
}

const CommandRegistrar kRestore({
    .name = "restore",
    .synopsis = "restore BACKUP FILE [--program-folder DIR]",
    .summary = "Put a kept version of an address file back in place.",
    .help = "BACKUP is a name that `backups` lists, or the path of a file. It must read as an\n"
            "address file. FILE as it is now is kept in the backups/ folder first (unless it\n"
            "equals the newest backup), so a restore is undone by restoring that one. The\n"
            "backup is copied beside FILE, forced to disk and renamed over it, under FILE's\n"
            "lock, with FILE's owner, group and permissions; on any failure FILE is unchanged.\n"
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
