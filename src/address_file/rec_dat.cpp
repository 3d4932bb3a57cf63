#include "address_file/rec_dat.h"

#include <array>
#include <system_error>

#include "address_file/dat_error.h"
#include "address_file/result_file.h"
#include "platform/file_sync.h"

namespace brindle {

namespace fs = std::filesystem;

namespace {

// Replacing a symbolic link would cut it off from its target: replace the target instead.
fs::path ResolveTarget(const fs::path& datPath) {
  std::error_code ec;
  if (fs::is_symlink(datPath, ec)) {
    const fs::path target = fs::canonical(datPath, ec);
    if (!ec) return target;
  }
  return datPath;
}

// Switches copy mode off and removes the unfinished copy unless the run was committed.
class WriteBackGuard {
 public:
  WriteBackGuard(DatReader& reader, fs::path temp) : reader_(reader), temp_(std::move(temp)) {}
  ~WriteBackGuard() {
    reader_.mirrorOn = false;
    reader_.SetMirror(nullptr);
    output.reset();
    if (!committed) {
      std::error_code ec;
      fs::remove(temp_, ec);
    }
  }
  WriteBackGuard(const WriteBackGuard&) = delete;
  WriteBackGuard& operator=(const WriteBackGuard&) = delete;

  std::unique_ptr<DatOutput> output;
  bool committed = false;

 private:
  DatReader& reader_;
  fs::path temp_;
};

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
  return RecDat(reader, job, [](const fs::path& p) { return std::make_unique<DatOutput>(p); });
}

int RecDat(DatReader& reader, const WriteBackJob& job, const OutputFactory& makeOutput) {
  reader.mirrorOn = false;
  // Every check of the result file happens before anything is written.
  ResultTable table = ReadResultFile(job.resultFile, job.regCount);
  if (job.exportedIds) {
    std::erase_if(table, [&](const auto& row) { return job.exportedIds->count(row.first) == 0; });
  }
  const fs::path target = ResolveTarget(job.datPath);
  const fs::path temp = platform::ReplacementPath(target);

  WriteBackGuard guard(reader, temp);
  int changed = 0;
  {
    DatInput in(target);  // closed before the rename, which some systems need
    guard.output = makeOutput(temp);
    guard.output->WriteOutEarly();  // overlaps the disk's work with the copying
    reader.SetResultTable(std::move(table));
    reader.SetMirror(guard.output.get());
    reader.mirrorOn = true;
    changed = CopyWithChanges(reader, in, *guard.output);
    reader.mirrorOn = false;
  }
  if (changed == 0) return 0;  // the guard removes the copy; the file keeps its inode and time
  DatOutput& out = *guard.output;

  std::error_code ec;
  fs::permissions(temp, fs::status(target).permissions(), ec);  // keep the user's permissions
  out.Commit();
  fs::rename(temp, target);
  guard.committed = true;
  platform::SyncDirectory(target.parent_path().empty() ? fs::path(".") : target.parent_path());
  return changed;
}

}  // namespace brindle
