// Any bytes given to the reader end in records or in a DatError, never in a crash, a hang or
// memory growing with a length field; every record read can be turned into an export line.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "address_file/dat_error.h"
#include "address_file/dat_reader.h"
#include "export/export_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  brindle::DatInput in = brindle::DatInput::FromMemory(bytes);
  brindle::DatReader reader;
  try {
    const brindle::DatHeader header = reader.ReadHeader(in);
    brindle::ForEachRecord(
        reader, in, header.recordCount, [&](const brindle::DatRecord& rec, std::int64_t) {
          const std::string line = brindle::ExportLine(rec, reader.CategoryName(rec.category));
          // 30 quoted fields at the least
          if (line.size() < 30 * 2 + 29) __builtin_trap();
        });
  } catch (const brindle::DatError& e) {
    if (e.offset() > static_cast<std::int64_t>(size)) __builtin_trap();
  }
  return 0;
}
