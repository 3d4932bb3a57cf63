// A realistic sample address.dat: the header bytes real files start with, type words 1 and 5,
// several categories, names with Windows-1252 accents, phone numbers, e-mail addresses,
// street addresses with commas and quotes, a few records in state 129 and one long note.
#pragma once

#include <cstdint>
#include <filesystem>

namespace brindle::cli {

struct SampleOptions {
  std::int32_t records = 40;
  std::uint64_t seed = 1;
};

// Writes the sample to `path` (created or emptied). Throws DatError on a write failure.
// The same options always give the same bytes.
void WriteSampleFile(const std::filesystem::path& path, const SampleOptions& options);

}  // namespace brindle::cli
