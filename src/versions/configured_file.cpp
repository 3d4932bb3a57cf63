#include "versions/configured_file.h"

#include <fstream>
#include <iterator>
#include <string>

#include "config/config_file.h"
#include "platform/code_page.h"
#include "platform/program_folder.h"

namespace brindle::versions {

namespace fs = std::filesystem;

std::optional<fs::path> ConfiguredAddressFile(const fs::path& programFolder) {
  std::ifstream in(platform::ConfigFile(programFolder), std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string path = FirstFourValues(ParseConfigLines(bytes))[kConfigPath];
  if (path.empty()) return std::nullopt;
  return platform::PathFromText(path);
}

}  // namespace brindle::versions
