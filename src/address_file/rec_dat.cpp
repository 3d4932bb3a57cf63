#include "address_file/rec_dat.h"

#include "address_file/dat_error.h"
#include "address_file/dat_input.h"
#include "address_file/result_file.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

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
  CopyRest(in, out);
  return changed;
}

int WriteBack(DatReader& reader, const WriteBackJob& job, const CopyOpener& openCopy) {
  ResultTable table = ReadResultFile(job.resultFile, job.regCount);
  if (job.exportedIds) {
    std::erase_if(table, [&](const auto& row) { return job.exportedIds->count(row.first) == 0; });
  }
  DatInput in(job.datPath);  // closed before the caller's rename, which some systems need
  const std::unique_ptr<DatOutput> output = openCopy();
  output->WriteOutEarly();  // overlaps the disk's work with the copying
  const int changed = CopyWithChanges(reader, in, *output, std::move(table));
  // Nothing to change: the copy is dropped and the file keeps its inode and time.
  if (changed != 0) output->Commit();
  return changed;
}

}  // namespace

int RecDat(DatReader& reader, const WriteBackJob& job, const CopyOpener& openCopy) {
  try {
    return WriteBack(reader, job, openCopy);
  } catch (const fs::filesystem_error& e) {
    // A path the file system refuses (a folder that vanished, a name too long) is reported in
    // the layer's own error type, like every other failure of the write-back.
    throw DatError(e.what(), -1);
  }
}

}  // namespace brindle
