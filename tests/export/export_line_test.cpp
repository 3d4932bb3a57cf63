// The 30-column export line: columns, escaping and the file name.
#include "export/export_line.h"

#include <gtest/gtest.h>

namespace brindle {
namespace {

int CountFields(const std::string& line) {
  int quotes = 0;
  for (char c : line) quotes += c == '"' ? 1 : 0;
  return quotes / 2;
}

TEST(ExportLine, ExampleRecord) {
  DatRecord r;
  r.recordId = 1234;
  r.lastName = "Acme \"East\", Inc";
  r.address = "line one\r\nline two";
  EXPECT_EQ(ExportLine(r, "unfiled"),
            "\"1234\",\"Acme \"\"East\"\"UUUVIRGULAWWW Inc\",\"\",\"\",\"\",\"line one\\nline "
            "two\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
            "\"\",\"\",\"\",\"\",\" \",\"\",\"0\",\"unfiled\"");
}

TEST(ExportLine, EmptyRecordStillHasThirtyFields) {
  const std::string line = ExportLine(DatRecord{}, "Business");
  EXPECT_EQ(CountFields(line), 30);
  EXPECT_EQ(line.substr(0, 4), "\"0\",");
  EXPECT_NE(line.find(",\" \",\"\",\"0\",\"Business\""), std::string::npos) << line;
  EXPECT_EQ(line.back(), '"');
}

TEST(ExportLine, ColumnsComeFromTheirItems) {
  DatRecord r;
  r.recordId = -7;
  std::string* texts[] = {&r.lastName, &r.firstName, &r.title,   &r.company, &r.address,
                          &r.phone1,   &r.phone2,    &r.phone3,  &r.phone4,  &r.phone5,
                          &r.phone6,   &r.phone7,    &r.custom1, &r.item49,  &r.item50,
                          &r.item51,   &r.item52,    &r.item53,  &r.item55,  &r.item56,
                          &r.item57,   &r.item58,    &r.item59,  &r.note,    &r.item70};
  int n = 2;
  for (std::string* t : texts) *t = "c" + std::to_string(n++);
  r.custom9 = "c28";
  r.custom2 = "never";
  r.item23 = 5;
  r.item61 = "never";
  std::string want = "\"-7\"";
  for (int col = 2; col <= 26; ++col) want += ",\"c" + std::to_string(col) + "\"";
  want += ",\" \",\"c28\",\"0\",\"Cat\"";
  EXPECT_EQ(ExportLine(r, "Cat"), want);
}

TEST(ExportLine, OnlyThirteenFieldsAreEscaped) {
  DatRecord r;
  const std::string raw = "a,\"b";
  for (std::string* t :
       {&r.lastName, &r.firstName, &r.title, &r.company, &r.address, &r.item49, &r.item50,
        &r.item51, &r.item53, &r.item55, &r.item56, &r.item57, &r.item59}) {
    *t = raw;
  }
  for (std::string* t :
       {&r.phone1, &r.phone7, &r.custom1, &r.item52, &r.item58, &r.note, &r.item70, &r.custom9}) {
    *t = raw;
  }
  const std::string line = ExportLine(r, "x,y");
  std::size_t escaped = 0, plain = 0;
  for (std::size_t p = 0; (p = line.find("aUUUVIRGULAWWW\"\"b", p)) != std::string::npos; ++p) {
    ++escaped;
  }
  for (std::size_t p = 0; (p = line.find("\"a,\"b\"", p)) != std::string::npos; ++p) ++plain;
  EXPECT_EQ(escaped, 13u);
  EXPECT_EQ(plain, 8u);
  EXPECT_NE(line.find("\"x,y\""), std::string::npos);  // the category name is not escaped
}

TEST(ExportLine, LineBreaksOnlyInItem24AndOnlyAsPairs) {
  DatRecord r;
  r.address = "a\r\nb\rc\nd\n\re";
  r.lastName = "x\r\ny";
  r.phone1 = "p\r\nq";
  const std::string line = ExportLine(r, "");
  EXPECT_NE(line.find("\"a\\nb\rc\nd\n\re\""), std::string::npos);
  EXPECT_NE(line.find("\"x\r\ny\""), std::string::npos);
  EXPECT_NE(line.find("\"p\r\nq\""), std::string::npos);
}

TEST(ExportLine, ExistingPlaceholderAndCp1252BytesPassUnchanged) {
  DatRecord r;
  r.lastName = "UUUVIRGULAWWW";
  r.firstName = "Jos\xE9 \x80\x9F\xFF";
  const std::string line = ExportLine(r, "Caf\xE9");
  EXPECT_NE(line.find("\"UUUVIRGULAWWW\""), std::string::npos);
  EXPECT_NE(line.find("\"Jos\xE9 \x80\x9F\xFF\""), std::string::npos);
  EXPECT_NE(line.find("\"Caf\xE9\""), std::string::npos);
}

TEST(ExportLine, SpareFlagGivesOne) {
  DatRecord r;
  r.spareFlag = true;
  EXPECT_NE(ExportLine(r, "").find(",\"1\",\"\""), std::string::npos);
}

TEST(CsvName, IsTheHeaderCountInDecimal) {
  EXPECT_EQ(CsvName(152), "152_csv.tmp");
  EXPECT_EQ(CsvName(0), "0_csv.tmp");
  EXPECT_EQ(CsvName(-3), "-3_csv.tmp");
}

}  // namespace
}  // namespace brindle
