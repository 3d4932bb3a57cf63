// The write-back over any address file and any result file: it either succeeds, or fails
// leaving the address file byte-identical with no temporary file; a success that changed no
// record gives back the very same bytes.
//
// Input layout: two bytes (little-endian) giving the length of the result-file text, that
// text, then the address file's bytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/file_replacement.h"
#include "window/sync_run/write_back.h"

namespace {

namespace fs = std::filesystem;

// A folder of our own, on a memory file system when there is one, so that forcing files to
// disk costs nothing.
fs::path WorkDir() {
  static const fs::path dir = [] {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path d = base / ("brindle-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

void Write(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::int32_t RowsOf(const std::string& text) {
  std::int32_t rows = 0;
  for (std::size_t at = 0; (at = text.find("\n\n", at)) != std::string::npos; at += 2) ++rows;
  return rows;
}

// Anything in the folder besides the two files the run was given and the address file's lock
// file: a left-over new copy.
bool StrayFiles(const fs::path& dir) {
  return std::distance(fs::directory_iterator(dir), fs::directory_iterator()) != 3;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t resultSize = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
  const std::string result(reinterpret_cast<const char*>(data) + 2, resultSize);
  const std::string dat(reinterpret_cast<const char*>(data) + 2 + resultSize,
                        size - 2 - resultSize);
  const fs::path dir = WorkDir();
  brindle::WriteBackJob job;
  job.datPath = dir / "address.dat";
  job.resultFile = dir / "1_csv.tmp.out";
  job.regCount = RowsOf(result);
  Write(job.datPath, dat);
  Write(job.resultFile, result);

  brindle::DatReader reader;
  brindle::platform::Backups backups(dir.string() + "-backups");
  try {
    brindle::platform::FileReplacement replacement(job.datPath, backups);
    const int changed = brindle::WriteBackInto(replacement, reader, job);
    if (changed == 0 && Read(job.datPath) != dat) __builtin_trap();
  } catch (const std::exception&) {
    if (Read(job.datPath) != dat) __builtin_trap();
  }
  if (reader.copying() || StrayFiles(dir)) __builtin_trap();
  return 0;
}
