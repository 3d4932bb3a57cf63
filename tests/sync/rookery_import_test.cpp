// How rookery-dev reads uploaded export files.
#include <gtest/gtest.h>

#include "export/export_line.h"
#include "export_import.h"
#include "importer.h"

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
  record.item19 = "Caf\xE9 \"Nord\", Ltd";
  record.item20 = "M\xFCller";
  record.item24 = "first, \"quoted\"\r\nsecond\rlone";
  record.item25 = "+49 30, ext. 5";
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
  EXPECT_EQ(r[1], record.item19);
  EXPECT_EQ(r[2], record.item20);
  EXPECT_EQ(r[5], "first, \"quoted\"\r\nsecond\rlone");
  EXPECT_EQ(r[6], record.item25);
  EXPECT_EQ(r[13], record.custom1);
  EXPECT_EQ(r[17], "x,y");
  EXPECT_EQ(r[23], ", stays a comma");  // the placeholder cannot be told from a comma
  EXPECT_EQ(r[27], "5001");
  EXPECT_EQ(r[29], "Work, \"old\"");
  EXPECT_EQ(file.records[1][0], "0");
}

}  // namespace
}  // namespace brindle
