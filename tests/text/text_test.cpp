// The shared text forms, each as its readers on disk and on the command line expect it.
#include <gtest/gtest.h>

#include <chrono>

#include "text/byte_escape.h"
#include "text/timestamp.h"
#include "text/whole_number.h"

namespace brindle::text {
namespace {

struct NumberCase {
  const char* text;
  std::optional<std::int64_t> exact;
  std::optional<std::int64_t> category;
};

TEST(WholeNumber, EachFormTakesWhatItsReadersMayMeet) {
  const NumberCase cases[] = {
      {"3", 3, 3},
      {"-3", -3, -3},
      {"+3", std::nullopt, 3},
      {"  +3 ", std::nullopt, 3},
      {" 3", std::nullopt, 3},
      {"+", std::nullopt, std::nullopt},
      {"++3", std::nullopt, std::nullopt},
      {"+-3", std::nullopt, std::nullopt},
      {"3 3", std::nullopt, std::nullopt},
      {"\t3", std::nullopt, std::nullopt},
      {"0x10", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"   ", std::nullopt, std::nullopt},
      {"9223372036854775807", INT64_MAX, INT64_MAX},
      {"9223372036854775808", std::nullopt, std::nullopt},
  };
  for (const NumberCase& c : cases) {
    EXPECT_EQ(ParseWholeNumber(c.text), c.exact) << '"' << c.text << '"';
    EXPECT_EQ(ParseWholeNumber(c.text, NumberForm::kCategory), c.category) << '"' << c.text << '"';
  }
}

TEST(FormatTime, WritesEachFileItsOwnForm) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 8;
  t.tm_hour = 9;
  t.tm_min = 4;
  t.tm_sec = 5;
  EXPECT_EQ(FormatTime(t, 7, TimeForm::kBackupName), "2026-12-08T09-04-05.007");
  EXPECT_EQ(FormatTime(t, 7, TimeForm::kBackupName).size(), kBackupNameTimeLength);
  EXPECT_EQ(FormatTime(t, 7, TimeForm::kRunLog), "2026-12-08 09:04:05");
  EXPECT_EQ(FormatTime(t, 7, TimeForm::kJournal), "2026-12-08T09:04:05Z");
  EXPECT_EQ(ReadableBackupTime(FormatTime(t, 7, TimeForm::kBackupName)),
            "2026-12-08 09:04:05.007");
  EXPECT_EQ(ReadableBackupTime("2026-12-08T09"), "2026-12-08T09");
}

TEST(FormatTime, UtcTimeBreaksDownTheMomentInUtc) {
  // 1 March 2024 00:00:59 UTC, the day after a leap day.
  const std::chrono::system_clock::time_point when{std::chrono::seconds(1709251259)};
  EXPECT_EQ(FormatTime(UtcTime(when + std::chrono::milliseconds(999)), 0, TimeForm::kJournal),
            "2024-03-01T00:00:59Z");
  EXPECT_EQ(FormatTime(UtcTime(when - std::chrono::hours(1)), 0, TimeForm::kJournal),
            "2024-02-29T23:00:59Z");
}

TEST(EscapeBytes, WritesTheChosenBytesAsUpperCaseHex) {
  const auto controls = [](unsigned char b) { return b < 0x20 || b == 0x7f || b == '\\'; };
  EXPECT_EQ(EscapeBytes(std::string("a\nb\\\x7f\x00\xe9", 7), controls),
            "a\\x0Ab\\x5C\\x7F\\x00\xe9");
  EXPECT_EQ(EscapeBytes("ab\x1f", controls, [](char c) { return std::string(2, c); }), "aabb\\x1F");
  EXPECT_EQ(EscapeBytes("", controls), "");
}

}  // namespace
}  // namespace brindle::text
