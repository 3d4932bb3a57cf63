// The write-back of a sync's result into the user's address file, through the file's one
// replacement: the pure rewriting (address_file/rec_dat.h) writes into the private copy the
// replacement hands it, and the replacement keeps the file as it was and renames the copy.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "address_file/dat_output.h"
#include "address_file/dat_reader.h"
#include "address_file/rec_dat.h"
#include "platform/file_replacement.h"

namespace brindle {

// Makes the output over the private copy's stream; tests pass one that fails like a full disk.
using OutputFactory =
    std::function<std::unique_ptr<DatOutput>(std::FILE*, const std::filesystem::path&)>;

// REQUIRES: `replacement` holds the address file's lock and ran its checks. Refuses a result
// file that is not a regular file, then rewrites `replacement.target()` from it (job.datPath is
// not read). Throws ReplacementError, naming the backups folder, on any failure; the file is
// then unchanged, no copy is left and copy mode is off. Returns the number of records
// changed; when that is 0 the file is left untouched (the copy would equal it).
int WriteBackInto(platform::FileReplacement& replacement, DatReader& reader, WriteBackJob job,
                  const OutputFactory& makeOutput = {});

}  // namespace brindle
