// The record-identifier write-back: gives every record named in the service's result file
// state code 2 and its database identifier, copying every other byte unchanged.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>

#include "address_file/dat_output.h"
#include "address_file/dat_reader.h"

namespace brindle {

struct WriteBackJob {
  std::filesystem::path resultFile;  // "<tmp>/<n>_csv.tmp.out"
  std::int32_t regCount = 0;         // lines the export wrote: the rows the result must hold
  // The user's address file as it is now, which the rewritten copy is to replace.
  std::filesystem::path datPath;
  // The records the export that produced the result wrote. When given, rows naming any other
  // record are ignored: the service may change only what the user chose to send it.
  std::optional<std::unordered_set<std::int32_t>> exportedIds;
};

// Opens the output the rewritten copy is written to. The write-back calls it once the result
// file is read, so a result it refuses leaves no copy to remove.
using CopyOpener = std::function<std::unique_ptr<DatOutput>()>;

// Reads the result file, then writes the address file with the changes through the output
// `openCopy` gives. Throws DatError (or std::bad_alloc) on any failure, with copy mode off.
// Returns the number of records changed; when that is above 0 the output is committed (forced
// to disk and closed), when it is 0 the output was left unfinished, for the caller to drop:
// the copy would equal the file. Replacing the file with the copy is the caller's.
int RecDat(DatReader& reader, const WriteBackJob& job, const CopyOpener& openCopy);

}  // namespace brindle
