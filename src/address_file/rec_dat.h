// The record-identifier write-back: gives every record named in the service's result file
// state code 2 and its database identifier, copying every other byte unchanged.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>

#include "address_file/dat_reader.h"
#include "platform/backups.h"

namespace brindle {

struct WriteBackJob {
  std::filesystem::path resultFile;  // "<tmp>/<n>_csv.tmp.out"
  std::int32_t regCount = 0;         // lines the export wrote: the rows the result must hold
  // The user's address file, replaced atomically. The rewritten copy is made beside it, because
  // only a rename within one folder replaces a file in a single step.
  std::filesystem::path datPath;
  // The records the export that produced the result wrote. When given, rows naming any other
  // record are ignored: the service may change only what the user chose to send it.
  std::optional<std::unordered_set<std::int32_t>> exportedIds;
  // Where the file as it was is kept before it is replaced; none when null. Every failure then
  // names this folder.
  platform::Backups* backups = nullptr;
};

// Makes the output the rewritten copy is written to, over the stream opened on its new file;
// tests pass one that fails like a full disk.
using OutputFactory =
    std::function<std::unique_ptr<DatOutput>(std::FILE*, const std::filesystem::path&)>;

// REQUIRES: the caller holds the address file's lock (platform::FileLock) for the whole call.
// Refuses an address file that is not a regular file, is read-only, has other names (hard
// links) or whose owner and group a new copy could not keep, and a result file that is not a
// regular file. The new copy is written beside the file the path finally names (links
// followed), under a unique name, owner-only until it takes that file's place with its owner,
// group and permissions.
// Throws DatError (or std::bad_alloc) on any failure; the address file is then unchanged,
// temporary files are removed and copy mode is off. Returns the number of records changed;
// when that is 0 the address file is left untouched (the copy would equal it).
// On success copy mode is off as well.
int RecDat(DatReader& reader, const WriteBackJob& job);
int RecDat(DatReader& reader, const WriteBackJob& job, const OutputFactory& makeOutput);

}  // namespace brindle
