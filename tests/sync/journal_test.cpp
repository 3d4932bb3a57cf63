// The sync journal's text: what one run writes, the next must read back exactly, and a
// journal damaged by a crash, a full disk or a hand edit is refused with the line at fault.
#include "sync/journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace brindle {
namespace {

SyncJournal Sample() {
  SyncJournal j;
  j.datPath = "/home/u/Palm\\x/new\nline/addr\x01ess.dat";  // every byte a path may hold
  j.csvName = "30_csv.tmp";
  j.resultName = "30_csv.tmp.out";
  j.lines = 31;
  j.exportedIds = {-5, 3, 2147483647};
  j.user = "d\xE9mo user";
  j.time = "2026-12-08T11:42:05Z";
  j.step = SyncStep::ResultHeld;
  return j;
}

TEST(SyncJournal, ReadsBackWhatWasWrittenAndHoldsNoSecret) {
  const SyncJournal j = Sample();
  const std::string text = FormatJournal(j);
  const SyncJournal back = ParseJournal(text);
  EXPECT_EQ(back.datPath, j.datPath);
  EXPECT_EQ(back.csvName, j.csvName);
  EXPECT_EQ(back.lines, 31);
  EXPECT_EQ(back.exportedIds, j.exportedIds);
  EXPECT_EQ(back.user, j.user);
  EXPECT_EQ(back.time, j.time);
  EXPECT_EQ(back.step, SyncStep::ResultHeld);
  // One value per line whatever the path holds.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
  EXPECT_EQ(text.find("pass"), std::string::npos);
}

TEST(SyncJournal, RefusesDamagedJournalsNamingTheLine) {
  const std::string good = FormatJournal(Sample());
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const struct {
    std::string text;
    const char* says;
  } cases[] = {
      {"", "line 1: the journal ends early"},
      {good.substr(0, good.size() / 2), "line"},  // cut by a crash mid-write
      {good.substr(0, good.size() - 1), "the last line is not complete"},
      {replaced("journal 2", "journal 3"), "line 1: version 3 is unknown"},
      {replaced("ids 3 ", "ids 4 "), "line 6: the identifier count is wrong"},
      {replaced(" 3 2147483647", " 3 2147483648"), "line 6: \"2147483648\" is not a valid"},
      {replaced(" 3 2147483647", " 3  2147483647"), "line 6"},
      {replaced("lines 31", "lines 0"), "line 5"},
      {replaced("30_csv.tmp.out", "31_csv.tmp.out"), "do not belong together"},
      {replaced("30_csv.tmp\n", "../30_csv.tmp\n"), "do not belong together"},
      {replaced("\\x5C", "\\x5"), "line 2: a malformed escape"},
      {replaced("step result-held", "step maybe"), "line 9: \"maybe\" is not a step"},
      {replaced("step result-held", "result-held yes"), "line 9: expected \"step ...\""},
      {replaced("user ", "login "), "line 7: expected \"user ...\""},
      {good + "extra\n", "text after the end"},
      {std::string(1000, '\0'), "line 1"},
  };
  for (const auto& c : cases) {
    try {
      ParseJournal(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const JournalError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("damaged sync journal"), std::string::npos);
    }
  }
}

// A journal of the first version named no step: it was written just before the import was
// asked for, and noted a result once it was held.
TEST(SyncJournal, AFirstVersionJournalReadsAsImportRequestedOrResultHeld) {
  const struct {
    const char* held;
    SyncStep step;
  } cases[] = {{"no", SyncStep::ImportRequested}, {"yes", SyncStep::ResultHeld}};
  for (const auto& c : cases) {
    std::string text = FormatJournal(Sample());
    text.replace(text.find("journal 2"), 9, "journal 1");
    text.replace(text.find("step result-held"), 16, std::string("result-held ") + c.held);
    EXPECT_EQ(ParseJournal(text).step, c.step) << c.held;
  }
}

TEST(SyncJournal, EachAddressFileHasItsOwnJournal) {
  EXPECT_EQ(JournalFileName("/a/address.dat"), JournalFileName("/a/address.dat"));
  EXPECT_NE(JournalFileName("/a/address.dat"), JournalFileName("/b/address.dat"));
  EXPECT_NE(JournalFileName("/a/address.dat"), HeldResultFileName("/a/address.dat"));
}

}  // namespace
}  // namespace brindle
