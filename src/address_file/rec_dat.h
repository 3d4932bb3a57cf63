// The record-identifier write-back: gives every record named in the service's result file
// state code 2 and its database identifier, copying every other byte unchanged.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>

#include "address_file/dat_reader.h"

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
};

// Makes the output the rewritten copy is written to; tests pass one that fails like a full disk.
using OutputFactory = std::function<std::unique_ptr<DatOutput>(const std::filesystem::path&)>;

// Throws DatError (or std::exception) on any failure; the address file is then unchanged,
// temporary files are removed and copy mode is off. Returns the number of records changed;
// when that is 0 the address file is left untouched (the copy would equal it).
// On success copy mode is off as well.
int RecDat(DatReader& reader, const WriteBackJob& job);
int RecDat(DatReader& reader, const WriteBackJob& job, const OutputFactory& makeOutput);

}  // namespace brindle
