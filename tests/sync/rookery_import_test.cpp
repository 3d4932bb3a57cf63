// How rookery-dev reads uploaded export files.
#include <gtest/gtest.h>

#include "contact_store.h"
#include "export/export_line.h"
#include "export_import.h"
#include "faults.h"
#include "importer.h"
#include "support/dat_builder.h"

namespace rookery {
namespace {

// A 30-field export line; `fields` fills the first columns, the rest stay empty except
// column 27 (a blank), 29 ("0") and 30 ("unfiled").
std::string Line(std::vector<std::string> fields) {
  fields.resize(30);
  fields[26] = " ";
  fields[28] = "0";
  fields[29] = "unfiled";
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? ",\"" : "\"") + fields[i] + "\"";
  return line + "\r\n";
}

TEST(ParseExportFile, UndoesTheToolsEscaping) {
  const std::string bytes =
      "\"1234\",\"Acme \"\"East\"\"UUUVIRGULAWWW Inc\",\"\",\"\",\"\",\"line one\\nline two\","
      "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
      "\"\",\"\",\"\",\" \",\"\",\"0\",\"unfiled\"\r\n";
  const ImportedFile file = ParseExportFile(bytes);
  ASSERT_TRUE(file.problems.empty()) << file.problems[0];
  ASSERT_EQ(file.records.size(), 1u);
  const auto& r = file.records[0];
  EXPECT_EQ(r[0], "1234");
  EXPECT_EQ(r[1], "Acme \"East\", Inc");
  EXPECT_EQ(r[5], "line one\r\nline two");
  EXPECT_EQ(r[26], " ");
  EXPECT_EQ(r[29], "unfiled");
}

TEST(ParseExportFile, KeepsBytesAndUnescapedColumnsAsTheyStand) {
  // Column 7 is not escaped: its comma, lone quote, line break and placeholder text stay.
  const ImportedFile file =
      ParseExportFile(Line({"7", "M\xFCller", "", "", "", "", "5\" disk, a\r\nb UUUVIRGULAWWW"}) +
                      Line({"8", "x"}));
  ASSERT_TRUE(file.problems.empty()) << file.problems[0];
  ASSERT_EQ(file.records.size(), 2u);
  EXPECT_EQ(file.records[0][1], "M\xFCller");
  EXPECT_EQ(file.records[0][6], "5\" disk, a\r\nb UUUVIRGULAWWW");
  EXPECT_EQ(file.records[1][0], "8");
}

TEST(ParseExportFile, SkipsDamagedLinesAndSaysWhy) {
  const ImportedFile file =
      ParseExportFile("\"1\",\"2\"\r\n" + Line({"5"}) + "not quoted\r\n\"unclosed");
  EXPECT_EQ(file.records.size(), 1u);
  ASSERT_EQ(file.problems.size(), 3u);
  EXPECT_NE(file.problems[0].find("line 1: 2 fields"), std::string::npos);
  EXPECT_NE(file.problems[1].find("line 3"), std::string::npos);
  EXPECT_NE(file.problems[2].find("never closed"), std::string::npos);
  EXPECT_TRUE(ParseExportFile("").records.empty());
}

TEST(IsBareName, RefusesFolders) {
  EXPECT_TRUE(IsBareName("12_csv.tmp"));
  for (const char* name : {"", ".", "..", "../x", "a/b", "a\\b", "a\nb"}) {
    EXPECT_FALSE(IsBareName(name)) << name;
  }
}

}  // namespace
}  // namespace rookery

namespace brindle {
namespace {

// What the tool writes, the service reads back field for field.
TEST(ParseExportFile, ReadsBackWhatTheExportWrites) {
  DatRecord record;
  record.recordId = 4711;
  record.lastName = "Caf\xE9 \"Nord\", Ltd";
  record.firstName = "M\xFCller";
  record.address = "first, \"quoted\"\r\nsecond\rlone";
  record.phone1 = "+49 30, ext. 5";
  record.custom1 = "a \"single quote";
  record.item52 = "x,y";
  record.item59 = "UUUVIRGULAWWW stays a comma";
  record.custom9 = "5001";
  const std::string bytes =
      ExportLine(record, "Work, \"old\"") + "\r\n" + ExportLine(DatRecord{}, "") + "\r\n";
  const rookery::ImportedFile file = rookery::ParseExportFile(bytes);
  ASSERT_TRUE(file.problems.empty()) << file.problems[0];
  ASSERT_EQ(file.records.size(), 2u);
  const auto& r = file.records[0];
  EXPECT_EQ(r[0], "4711");
  EXPECT_EQ(r[1], record.lastName);
  EXPECT_EQ(r[2], record.firstName);
  EXPECT_EQ(r[5], "first, \"quoted\"\r\nsecond\rlone");
  EXPECT_EQ(r[6], record.phone1);
  EXPECT_EQ(r[13], record.custom1);
  EXPECT_EQ(r[17], "x,y");
  EXPECT_EQ(r[23], ", stays a comma");  // the placeholder cannot be told from a comma
  EXPECT_EQ(r[27], "5001");
  EXPECT_EQ(r[29], "Work, \"old\"");
  EXPECT_EQ(file.records[1][0], "0");
}

}  // namespace
}  // namespace brindle

namespace rookery {
namespace {

std::vector<std::string> Fields(const std::string& recordId, const std::string& dbId) {
  std::vector<std::string> fields(kExportColumns);
  fields[0] = recordId;
  fields[27] = dbId;
  return fields;
}

TEST(ContactStore, UpdatesOnlyTheOwnersContactNamedInColumn28) {
  brindle::test::TempDir dir;
  ContactStore store(dir / "db.sqlite");
  const auto first = store.StoreContacts("demo", "2_csv.tmp", {Fields("1", ""), Fields("2", "")});
  ASSERT_EQ(first.size(), 2u);
  EXPECT_NE(first[0], first[1]);
  // Synced again: the ids come back in column 28 and the same contacts are updated.
  const auto again = store.StoreContacts(
      "demo", "2_csv.tmp",
      {Fields("1", std::to_string(first[0])), Fields("2", std::to_string(first[1]))});
  EXPECT_EQ(again, first);
  EXPECT_EQ(store.ContactCount(), 2);
  // Another account naming those ids, or text that is no id, gets contacts of its own.
  const auto other = store.StoreContacts(
      "visitor", "2_csv.tmp", {Fields("1", std::to_string(first[0])), Fields("3", "old note")});
  EXPECT_NE(other[0], first[0]);
  EXPECT_EQ(store.ContactCount(), 4);
}

TEST(ContactStore, ChecksLogins) {
  brindle::test::TempDir dir;
  ContactStore store(dir / "db.sqlite");
  store.AddAccount("a&b c", "p+ss#", kPalmLevel);
  EXPECT_EQ(store.CheckLogin("demo", "demo"), AuthReply::Ok);
  EXPECT_EQ(store.CheckLogin("visitor", "visitor"), AuthReply::NoPalmLevel);
  EXPECT_EQ(store.CheckLogin("demo", "Demo"), AuthReply::Rejected);
  EXPECT_EQ(store.CheckLogin("nobody", ""), AuthReply::Rejected);
  EXPECT_EQ(store.CheckLogin("a&b c", "p+ss#"), AuthReply::Ok);
}

TEST(Importer, AResultLeftFromAnEarlierImportDoesNotAnswerForTheNextOne) {
  brindle::test::TempDir dir;
  std::filesystem::create_directories(dir / "home");
  std::filesystem::create_directories(dir / "staging");
  ContactStore store(dir / "db.sqlite");
  Faults faults;
  faults.SetPair("delay=60000");
  Importer importer(dir / "home", dir / "staging", store, faults);
  brindle::test::WriteFileBytes(dir / "home" / "1_csv.tmp", Line({"7", "x"}));
  // An earlier run of a file with the same record count never fetched its result.
  brindle::test::WriteFileBytes(dir / "home" / "1_csv.tmp.out", "99,5000\n\n");
  ASSERT_EQ(importer.Verify("1_csv.tmp"), "1");
  EXPECT_EQ(importer.Import("demo", "1_csv.tmp"), "0");
  EXPECT_EQ(importer.Verify("1_csv.tmp"), "0");  // not ready until this import is done

  faults.SetPair("delay=0");
  faults.SetPair("import=1");
  brindle::test::WriteFileBytes(dir / "home" / "1_csv.tmp.out", "99,5000\n\n");
  EXPECT_EQ(importer.Import("demo", "1_csv.tmp"), "1");
  const std::string result = brindle::test::ReadFileBytes(dir / "home" / "1_csv.tmp.out");
  EXPECT_EQ(result.rfind("7,", 0), 0u) << result;
}

TEST(Faults, AcceptOnlyKnownKeysAndValues) {
  Faults faults;
  faults.SetPair("auth=none");
  faults.SetPair("drop=auth,verify");
  EXPECT_EQ(faults.Get("auth"), "none");
  EXPECT_TRUE(faults.Names("drop", "verify"));
  EXPECT_FALSE(faults.Names("drop", "import"));
  faults.SetPair("drop=");
  EXPECT_FALSE(faults.Names("drop", "auth"));
  for (const char* bad :
       {"auth=3", "delay=-1", "delay=abc", "result=some", "drop=home", "color=red", "auth"}) {
    EXPECT_THROW(faults.SetPair(bad), std::invalid_argument) << bad;
  }
}

}  // namespace
}  // namespace rookery
