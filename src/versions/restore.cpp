#include "versions/restore.h"

#include <cstdint>
#include <map>
#include <system_error>

#include "address_file/dat_error.h"
#include "address_file/dat_format.h"
#include "address_file/dat_input.h"
#include "address_file/dat_output.h"
#include "address_file/dat_reader.h"
#include "platform/file_replacement.h"
#include "platform/file_safety.h"
#include "platform/utf8_path.h"

namespace brindle::versions {

namespace fs = std::filesystem;

namespace {

// Record identifier -> the service's id, for the records that carry one.
std::map<std::int32_t, std::string> ServiceIds(const fs::path& path) {
  DatInput in(path);
  DatReader reader;
  const DatHeader header = reader.ReadHeader(in);
  std::map<std::int32_t, std::string> ids;
  ForEachRecord(reader, in, header.recordCount, [&](const DatRecord& record, std::int64_t) {
    if (record.status == dat_format::kImportedStatus && !record.custom9.empty()) {
      ids[record.recordId] = record.custom9;
    }
  });
  return ids;
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

}  // namespace

fs::path BackupFor(const platform::Backups& backups, const std::string& nameOrPath,
                   const fs::path& file) {
  fs::path backup = backups.Find(nameOrPath);
  const std::optional<fs::path> source = platform::Backups::SourceOf(backup);
  if (source && !platform::Backups::SourceIs(*source, file)) {
    throw platform::FileError(nameOrPath + " is a backup of " + platform::Utf8FromPath(*source) +
                              ", not of " + platform::Utf8FromPath(file) +
                              "; it is not put in that file's place");
  }
  return backup;
}

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

std::optional<int> IdsLost(const fs::path& file, const fs::path& backup) {
  try {
    const auto now = ServiceIds(file);
    const auto then = ServiceIds(backup);
    int lost = 0;
    for (const auto& [record, id] : now) {
      const auto kept = then.find(record);
      if (kept == then.end() || kept->second != id) ++lost;
    }
    return lost;
  } catch (const DatError&) {
    return std::nullopt;
  }
}

fs::path Restore(const platform::FileLock& held, platform::Backups& backups,
                 const fs::path& backup) {
  platform::FileReplacement replacement(held, backups);
  platform::RequireRegularFile(backup);
  RequireReadable(backup);
  backups.ClearLastKept();
  try {
    CopyInto(backup, replacement);
    // The restored file is in place either way; the system writes the folder out in its time.
    static_cast<void>(replacement.Commit("restore"));
  } catch (const std::exception& e) {
    // The system's reason goes on with the words: a full disk is told apart by it.
    const auto* file = dynamic_cast<const platform::FileError*>(&e);
    throw platform::FileError(held.target().string() + " was not restored: " + e.what(),
                              file != nullptr ? file->code() : std::error_code());
  }
  return backups.lastKept();
}

std::string RestoreQuestion(const fs::path& file, const Version& version,
                            std::optional<int> idsLost) {
  std::string text = "Put the version of " + version.time + " (" +
                     ReasonInWords(version.backup.reason) + ") back in place of " +
                     platform::Utf8FromPath(file) + "?\n\n";
  if (!idsLost) {
    text +=
        "The file as it is now does not read as an address file, so its records that carry "
        "a service id cannot be counted.\n\n";
  } else if (*idsLost == 0) {
    text += "No record loses a service id.\n\n";
  } else {
    text += std::to_string(*idsLost) +
            " record(s) now carry a service id that this version does not have: they lose it, "
            "and the next SYNC adds their contacts to the service again.\n\n";
  }
  return text +
         "Palm Desktop must be closed: it would write its own copy over the restored file.\n\n"
         "The file as it is now is kept first, so restoring that version undoes this.";
}

}  // namespace brindle::versions
