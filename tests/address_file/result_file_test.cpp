// Parsing of the service's result file.
#include "address_file/result_file.h"

#include <gtest/gtest.h>

#include "address_file/dat_error.h"

namespace brindle {
namespace {

TEST(ResultFile, RowsEndWithTwoLineFeeds) {
  const ResultTable t = ParseResultText("12,900\n\n13,901\n\n", 2);
  EXPECT_EQ(t, (ResultTable{{12, "900"}, {13, "901"}}));
}

TEST(ResultFile, LaterRowWinsAndThirdFieldIsIgnored) {
  const ResultTable t = ParseResultText("12,900,x\n\n12,901\n\n7,,y\n\n", 3);
  EXPECT_EQ(t, (ResultTable{{12, "901"}, {7, ""}}));
}

TEST(ResultFile, CarriageReturnsAreIgnored) {
  EXPECT_EQ(ParseResultText("12,900\r\n\r\n", 1), (ResultTable{{12, "900"}}));
}

TEST(ResultFile, CountsRows) {
  EXPECT_EQ(CountResultRows(""), 0);
  EXPECT_EQ(CountResultRows("1,a\n\n2,b\n\n"), 2);
  EXPECT_EQ(CountResultRows("1,a\n\n2,b"), 1);  // an unterminated row is not a row
}

TEST(ResultFile, MalformedInputIsRefusedWithTheRow) {
  const struct {
    const char* text;
    int rows;
    const char* expected;
  } cases[] = {
      {"12,900\n\n", 2, "holds 1 row(s) but the export wrote 2"},
      {"12,900\n\n13,1\n\n", 1, "holds 2 row(s)"},
      {"12,900\n\n13,901", 2, "holds 1 row(s)"},
      {"", 1, "holds 0 row(s)"},
      {"12,900\n\n13\n\n", 2, "result row 2 (offset 8): no comma"},
      // The offset is the file's own, carriage returns counted.
      {"12,900\r\n\r\n13\r\n\r\n", 2, "result row 2 (offset 10): no comma"},
      {"1x,900\n\n", 1, "record identifier \"1x\" is not a number"},
      {",900\n\n", 1, "is not a number"},
      {"99999999999,9\n\n", 1, "is not a number"},
  };
  for (const auto& c : cases) {
    try {
      ParseResultText(c.text, c.rows);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const DatError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
    }
  }
}

TEST(ResultFile, DatabaseIdentifierUpTo254Characters) {
  const std::string ok(254, 'd');
  EXPECT_EQ(ParseResultText("1," + ok + "\n\n", 1).at(1), ok);
  EXPECT_THROW(ParseResultText("1," + ok + "d\n\n", 1), DatError);
}

// Identifiers end up in the address file and raw in a quoted CSV column of the next export:
// one unsafe byte anywhere refuses the whole file, whichever row holds it.
TEST(ResultFile, DatabaseIdentifierWithAnUnsafeByteRefusesTheFile) {
  const std::string printable = [] {
    std::string s;
    for (char c = 0x21; c <= 0x7E; ++c) {
      if (c != '"' && c != ',') s += c;
    }
    return s;
  }();
  EXPECT_EQ(ParseResultText("1," + printable + "\n\n", 1).at(1), printable);
  const struct {
    std::string id;
    const char* byte;
  } cases[] = {
      {"9\n00", "0x0A"},
      {std::string("9\0"
                   "0",
                   3),
       "0x00"},
      {"9\"0", "0x22"},
      {"9\x1b[2J", "0x1B"},
      {"caf\xe9", "0xE9"},
      {"\x80", "0x80"},
      {"\xff", "0xFF"},
      {"9 0", "0x20"},
      {"9\t0", "0x09"},
      {"\x7f", "0x7F"},
  };
  for (const auto& c : cases) {
    // The bad identifier sits in the second row, after a good one.
    const std::string text = "1,ok\n\n2," + c.id + "\n\n";
    try {
      ParseResultText(text, 2);
      ADD_FAILURE() << "no error for " << c.byte;
    } catch (const DatError& e) {
      EXPECT_NE(std::string(e.what()).find(std::string("result row 2 (offset 6): "
                                                       "database identifier holds byte ") +
                                           c.byte),
                std::string::npos)
          << e.what();
    }
  }
}

}  // namespace
}  // namespace brindle
