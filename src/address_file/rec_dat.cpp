#include "address_file/rec_dat.h"

#include <array>

#include "address_file/dat_error.h"
#include "address_file/result_file.h"
#include "platform/file_safety.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

// File-system refusals in the layer's own error type, so every caller reports them alike.
template <typename Step>
auto FileStep(Step step) {
  try {
    return step();
  } catch (const platform::FileError& e) {
    throw DatError(e.what(), -1);
  }
}

// Copies the records, then every byte after the last record read, unchanged.
int CopyWithChanges(DatReader& reader, DatInput& in, DatOutput& out, ResultTable table) {
  const DatCopy copy(reader, out, std::move(table));
  int changed = 0;
  const DatHeader header = reader.ReadHeader(in);
  ForEachRecord(
      reader, in, header.recordCount,
      [&](const DatRecord& rec, std::int64_t) {
        if (reader.resultTable().count(rec.recordId) != 0) ++changed;
      },
      DatReader::RecordTexts::kSkip);
  std::array<char, 64 * 1024> chunk{};
  while (const std::size_t n = in.ReadSome(chunk.data(), chunk.size())) out.Write(chunk.data(), n);
  return changed;
}

}  // namespace

int RecDat(DatReader& reader, const WriteBackJob& job) {
  return RecDat(reader, job, [](std::FILE* file, const fs::path& p) {
    return std::make_unique<DatOutput>(file, p);
  });
}

namespace {

int WriteBack(DatReader& reader, const WriteBackJob& job, const OutputFactory& makeOutput) {
  // A link is followed to the user's real file, which is what gets replaced.
  const fs::path target = FileStep([&] { return platform::ResolveLinks(job.datPath); });
  if (job.backups) FileStep([&] { job.backups->ForgetUnfinished(target); });
  // Every check of both files happens before anything is written.
  FileStep([&] { platform::RequireReplaceable(target); });
  FileStep([&] { platform::RequireRegularFile(job.resultFile); });
  ResultTable table = ReadResultFile(job.resultFile, job.regCount);
  if (job.exportedIds) {
    std::erase_if(table, [&](const auto& row) { return job.exportedIds->count(row.first) == 0; });
  }
  platform::Replacement replacement = FileStep([&] { return platform::Replacement(target); });
  if (job.backups) replacement.KeepOldIn(*job.backups, "writeback");

  // Destroyed before the replacement, which removes an unfinished copy.
  std::unique_ptr<DatOutput> output;
  int changed = 0;
  {
    DatInput in(target);  // closed before the rename, which some systems need
    output = makeOutput(FileStep([&] { return replacement.OpenStream(); }), replacement.path());
    output->WriteOutEarly();  // overlaps the disk's work with the copying
    changed = CopyWithChanges(reader, in, *output, std::move(table));
  }
  // Nothing to change: the replacement removes its copy and the file keeps its inode and time.
  if (changed == 0) return 0;
  output->Commit();
  // The user's permission bits come only now, just before the copy takes the file's place.
  // The new file is in place either way: a folder that cannot be forced to disk is no reason to
  // report the write-back as failed, since at worst a crash brings back the old, intact file.
  [[maybe_unused]] const bool renameOnDisk = FileStep([&] { return replacement.Commit(); });
  return changed;
}

}  // namespace

int RecDat(DatReader& reader, const WriteBackJob& job, const OutputFactory& makeOutput) {
  try {
    try {
      return WriteBack(reader, job, makeOutput);
    } catch (const fs::filesystem_error& e) {
      // A path the file system refuses (a folder that vanished, a name too long) is reported in
      // the layer's own error type, like every other failure of the write-back.
      throw DatError(e.what(), -1);
    }
  } catch (const DatError& e) {
    // Whatever failed, the user learns where the earlier versions of the file are.
    const std::string text = e.what();
    if (!job.backups || text.find(job.backups->folder().string()) != std::string::npos) throw;
    throw DatError(text + "; " + job.backups->Where(), e.offset(), e.kind());
  }
}

}  // namespace brindle
