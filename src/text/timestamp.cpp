#include "text/timestamp.h"

#include <array>
#include <cstdio>

namespace brindle::text {

std::string FormatTime(const std::tm& time, int milliseconds, TimeForm form) {
  constexpr std::array<const char*, 3> kPatterns = {"%Y-%m-%dT%H-%M-%S", "%Y-%m-%d %H:%M:%S",
                                                    "%Y-%m-%dT%H:%M:%SZ"};
  std::array<char, 32> text{};
  const std::size_t n =
      std::strftime(text.data(), text.size(), kPatterns.at(static_cast<std::size_t>(form)), &time);
  if (form == TimeForm::kBackupName) {
    std::snprintf(text.data() + n, text.size() - n, ".%03d", milliseconds);
  }
  return text.data();
}

std::string ReadableBackupTime(std::string time) {
  if (time.size() >= 19) {
    time[10] = ' ';
    time[13] = ':';
    time[16] = ':';
  }
  return time;
}

std::tm UtcTime(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto seconds = floor<std::chrono::seconds>(when);
  const auto day = floor<days>(seconds);
  const year_month_day date{day};
  const hh_mm_ss time{seconds - day};
  std::tm utc{};
  utc.tm_year = static_cast<int>(date.year()) - 1900;
  utc.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
  utc.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
  utc.tm_hour = static_cast<int>(time.hours().count());
  utc.tm_min = static_cast<int>(time.minutes().count());
  utc.tm_sec = static_cast<int>(time.seconds().count());
  return utc;
}

}  // namespace brindle::text
