#include "versions/configured_file.h"

#include <fstream>
#include <iterator>
#include <string>

#include "config/config_file.h"
#include "platform/code_page.h"

namespace brindle::versions {

namespace fs = std::filesystem;

fs::path ConfigFileIn(const fs::path& programFolder) { return programFolder / "Brindle.conf"; }

std::optional<fs::path> ConfiguredAddressFile(const fs::path& programFolder) {
  std::ifstream in(ConfigFileIn(programFolder), std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string path = FirstFourValues(ParseConfigLines(bytes))[kConfigPath];
  if (path.empty()) return std::nullopt;
  return platform::PathFromText(path);
}

}  // namespace brindle::versions
