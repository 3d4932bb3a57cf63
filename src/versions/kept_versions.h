// The kept versions of the address file as a user chooses among them: each backup with what
// tells it apart (its time and reason in words, its records and size), newest first.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/backups.h"

namespace brindle::versions {

struct Version {
  platform::BackupEntry backup;
  std::string time;  // "2026-12-08 11:42:05.123", local time
  // The record count of its header; none for a file that does not read as an address file.
  std::optional<std::int32_t> records;
  bool sourceKnown() const { return backup.source.has_value(); }
};

// What made the backup, for a person: "load" is "before a load", and so on; an unknown reason
// as it stands.
std::string ReasonInWords(const std::string& reason);

// The versions that may be `file`'s (see Backups::ListFor), newest first.
std::vector<Version> VersionsOf(const platform::Backups& backups,
                                const std::filesystem::path& file);
// Every version in the folder, of any file, newest first.
std::vector<Version> AllVersions(const platform::Backups& backups);

}  // namespace brindle::versions
