#include "address_file/dat_files.h"

#include "address_file/dat_error.h"
#include "platform/file_safety.h"

namespace brindle {

namespace {

template <typename Step>
std::FILE* OnTheFile(Step step) {
  try {
    return step();
  } catch (const platform::FileError& e) {
    throw DatError(e.what(), -1);
  }
}

}  // namespace

std::FILE* OpenDatForReading(const std::filesystem::path& path) {
  return OnTheFile([&] { return platform::OpenRegularForReading(path); });
}

std::FILE* CreateDatFile(const std::filesystem::path& path) {
  return OnTheFile([&] { return platform::CreatePrivateFile(path); });
}

}  // namespace brindle
