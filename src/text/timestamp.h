// The times Brindle writes into files, each in the one form its readers expect. The broken-down
// time comes from the caller: local time from platform::LocalTime, UTC from UtcTime.
#pragma once

#include <chrono>
#include <cstddef>
#include <ctime>
#include <string>

namespace brindle::text {

enum class TimeForm {
  kBackupName,  // 2026-12-08T11-42-05.123, local time: a backup's name (no ':' in a file name)
  kRunLog,      // 2026-12-08 11:42:05, local time: a line of Brindle.log
  kJournal,     // 2026-12-08T11:42:05Z, UTC (ISO 8601): the sync journal's upload time
};

// The length of a kBackupName time, by which a backup's name is taken apart.
inline constexpr std::size_t kBackupNameTimeLength = 23;

// A kBackupName time as a person reads it: "2026-12-08T11-42-05.123" as
// "2026-12-08 11:42:05.123". A text too short to be one stays as it is.
std::string ReadableBackupTime(std::string time);

// `time` broken down in the zone `form` names; `milliseconds` (0 to 999) shows in kBackupName
// only.
std::string FormatTime(const std::tm& time, int milliseconds, TimeForm form);

// The calendar time in UTC of `when`, computed without the C library (whose call for it is
// not thread-safe on every system).
std::tm UtcTime(std::chrono::system_clock::time_point when);

}  // namespace brindle::text
