#include "versions/kept_versions.h"

#include <algorithm>

#include "address_file/dat_input.h"
#include "address_file/dat_reader.h"
#include "text/timestamp.h"

namespace brindle::versions {

namespace {

std::optional<std::int32_t> Records(const std::filesystem::path& path) {
  try {
    DatInput in(path);
    DatReader reader;
    return reader.ReadHeader(in).recordCount;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::vector<Version> NewestFirst(std::vector<platform::BackupEntry> entries) {
  std::vector<Version> versions;
  versions.reserve(entries.size());
  std::for_each(entries.rbegin(), entries.rend(), [&](platform::BackupEntry& entry) {
    const std::string time = text::ReadableBackupTime(entry.time);
    const auto records = Records(entry.path);
    versions.push_back({std::move(entry), time, records});
  });
  return versions;
}

}  // namespace

std::string ReasonInWords(const std::string& reason) {
  if (reason == "load") return "before a load";
  if (reason == "writeback") return "before a write-back of the service's ids";
  if (reason == "restore") return "before a restore";
  return reason;
}

std::vector<Version> VersionsOf(const platform::Backups& backups,
                                const std::filesystem::path& file) {
  return NewestFirst(backups.ListFor(file));
}

std::vector<Version> AllVersions(const platform::Backups& backups) {
  return NewestFirst(backups.List());
}

}  // namespace brindle::versions
