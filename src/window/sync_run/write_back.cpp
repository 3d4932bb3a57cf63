#include "window/sync_run/write_back.h"

namespace brindle {

int WriteBackInto(platform::FileReplacement& replacement, DatReader& reader, WriteBackJob job,
                  const OutputFactory& makeOutput) {
  job.datPath = replacement.target();
  return replacement.Run([&] {
    platform::RequireRegularFile(job.resultFile);  // before it is read: a device has no end
    const int changed = RecDat(reader, job, [&] {
      const platform::FileReplacement::Copy copy = replacement.Write();
      return makeOutput ? makeOutput(copy.stream, copy.path)
                        : std::make_unique<DatOutput>(copy.stream, copy.path);
    });
    // The new file is in place either way: a folder that cannot be forced to disk is no reason
    // to report the write-back as failed, since at worst a crash brings back the old file.
    if (changed != 0) static_cast<void>(replacement.Commit("writeback"));
    return changed;
  });
}

}  // namespace brindle
