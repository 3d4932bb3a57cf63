#include "address_file/rec_dat.h"

#include <array>

#include "address_file/dat_error.h"
#include "address_file/result_file.h"
#include "platform/file_safety.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

// Switches copy mode off and closes the output; the replacement removes an unfinished copy.
class WriteBackGuard {
 public:
  explicit WriteBackGuard(DatReader& reader) : reader_(reader) {}
  ~WriteBackGuard() {
    reader_.mirrorOn = false;
    reader_.SetMirror(nullptr);
    output.reset();
  }
  WriteBackGuard(const WriteBackGuard&) = delete;
  WriteBackGuard& operator=(const WriteBackGuard&) = delete;

  std::unique_ptr<DatOutput> output;

 private:
  DatReader& reader_;
};

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
int CopyWithChanges(DatReader& reader, DatInput& in, DatOutput& out) {
  const ResultTable& table = reader.resultTable();
  int changed = 0;
  const DatHeader header = reader.ReadHeader(in);
  for (std::int32_t i = 0; i < header.recordCount; ++i) {
    const DatRecord rec = reader.ReadRecord(in, DatReader::RecordTexts::kSkip);
    if (reader.endOfRecords) break;
    if (table.count(rec.recordId) != 0) ++changed;
  }
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

int Rewrite(DatReader& reader, const WriteBackJob& job, const OutputFactory& makeOutput) {
  reader.mirrorOn = false;
  // A link is followed to the user's real file, which is what gets replaced.
  const fs::path target = platform::ResolveLinks(job.datPath);
  if (job.backups) job.backups->ForgetUnfinished(target);
  // Every check of both files happens before anything is written.
  FileStep([&] { platform::RequireReplaceable(target); });
  FileStep([&] { platform::RequireRegularFile(job.resultFile); });
  ResultTable table = ReadResultFile(job.resultFile, job.regCount);
  if (job.exportedIds) {
    std::erase_if(table, [&](const auto& row) { return job.exportedIds->count(row.first) == 0; });
  }
  platform::Replacement replacement = FileStep([&] { return platform::Replacement(target); });
  if (job.backups) replacement.KeepOldIn(*job.backups, "writeback");

  WriteBackGuard guard(reader);
  int changed = 0;
  {
    DatInput in(target);  // closed before the rename, which some systems need
    guard.output =
        makeOutput(FileStep([&] { return replacement.OpenStream(); }), replacement.path());
    guard.output->WriteOutEarly();  // overlaps the disk's work with the copying
    reader.SetResultTable(std::move(table));
    reader.SetMirror(guard.output.get());
    reader.mirrorOn = true;
    changed = CopyWithChanges(reader, in, *guard.output);
    reader.mirrorOn = false;
  }
  // Nothing to change: the replacement removes its copy and the file keeps its inode and time.
  if (changed == 0) return 0;
  guard.output->Commit();
  // The user's permission bits come only now, just before the copy takes the file's place.
  FileStep([&] { replacement.Commit(); });
  return changed;
}

}  // namespace

int RecDat(DatReader& reader, const WriteBackJob& job, const OutputFactory& makeOutput) {
  try {
    return Rewrite(reader, job, makeOutput);
  } catch (const DatError& e) {
    const std::string text = e.what();
    if (!job.backups || text.find(job.backups->folder().string()) != std::string::npos) throw;
    throw DatError(text + "; " + job.backups->Where(), e.offset(), e.kind());
  }
}

}  // namespace brindle
