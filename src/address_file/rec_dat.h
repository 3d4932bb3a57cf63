// The record-identifier write-back: gives every record named in the service's result file
// state code 2 and its database identifier, copying every other byte unchanged.
#pragma once

#include <cstdint>
#include <filesystem>

#include "address_file/dat_reader.h"

namespace brindle {

struct WriteBackJob {
  std::filesystem::path resultFile;  // "<tmp>/<n>_csv.tmp.out"
  std::int32_t regCount = 0;         // lines the export wrote: the rows the result must hold
  std::filesystem::path datPath;     // the user's address file, replaced atomically
  std::filesystem::path tmpDir;      // the program's tmp folder
};

// Throws DatError (or std::exception) on any failure; the address file is then unchanged,
// temporary files are removed and copy mode is off. Returns the number of records changed.
int RecDat(DatReader& reader, const WriteBackJob& job);

}  // namespace brindle
