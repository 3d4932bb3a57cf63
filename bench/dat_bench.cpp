// Reader and export-line throughput on contact-like records held in memory.
#include <benchmark/benchmark.h>

#include "address_file/dat_reader.h"
#include "export/export_line.h"
#include "support/dat_builder.h"

namespace {

using brindle::test::DatBuilder;
using brindle::test::RecordPlan;

const std::string& ContactFile() {
  static const std::string bytes = [] {
    DatBuilder b;
    b.Category(1, "Business").Category(2, "Personal");
    for (int id = 1; id <= 10000; ++id) {
      b.Record(RecordPlan(id, id % 3)
                   .Text(19, "M\xFCller")
                   .Text(20, "Jos\xE9")
                   .Text(22, "Acme \"East\", Inc")
                   .Text(24, "Apt. 4, \"The Willows\"\r\n22 Mill Lane")
                   .Text(25, "+1 (555) 123-4567")
                   .Text(29, "jmuller@example.org")
                   .Text(49, "Springfield"));
    }
    return b.Bytes();
  }();
  return bytes;
}

void BM_ReadRecords(benchmark::State& state) {
  const std::string& bytes = ContactFile();
  for (auto _ : state) {
    brindle::DatInput in = brindle::DatInput::FromMemory(bytes);
    brindle::DatReader reader;
    const brindle::DatHeader header = reader.ReadHeader(in);
    for (int i = 0; i < header.recordCount; ++i) benchmark::DoNotOptimize(reader.ReadRecord(in));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadRecords);

void BM_ExportLine(benchmark::State& state) {
  const std::string& bytes = ContactFile();
  brindle::DatInput in = brindle::DatInput::FromMemory(bytes);
  brindle::DatReader reader;
  reader.ReadHeader(in);
  const brindle::DatRecord rec = *reader.ReadRecord(in);
  for (auto _ : state) benchmark::DoNotOptimize(brindle::ExportLine(rec, "Business"));
}
BENCHMARK(BM_ExportLine);

}  // namespace

BENCHMARK_MAIN();
