// The record-identifier write-back: gives every record named in the service's result file
// state code 2 and its database identifier, copying every other byte unchanged.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "address_file/dat_reader.h"

namespace brindle {

struct WriteBackJob {
  std::filesystem::path resultFile;  // "<tmp>/<n>_csv.tmp.out"
  std::int32_t regCount = 0;         // lines the export wrote: the rows the result must hold
  // The user's address file, replaced atomically. The rewritten copy is made beside it, because
  // only a rename within one folder replaces a file in a single step.
  std::filesystem::path datPath;
};

// Makes the output the rewritten copy is written to; tests pass one that fails like a full disk.
using OutputFactory = std::function<std::unique_ptr<DatOutput>(const std::filesystem::path&)>;

// Throws DatError (or std::exception) on any failure; the address file is then unchanged,
// temporary files are removed and copy mode is off. Returns the number of records changed.
// On success copy mode is off as well.
int RecDat(DatReader& reader, const WriteBackJob& job);
int RecDat(DatReader& reader, const WriteBackJob& job, const OutputFactory& makeOutput);

}  // namespace brindle
