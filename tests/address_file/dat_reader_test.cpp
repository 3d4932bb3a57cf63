// The reader against files composed item by item: every encoding, the end-of-records rule,
// the 16-bit limits, damaged files, and copy mode.
#include "address_file/dat_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "address_file/dat_error.h"
#include "support/dat_builder.h"

namespace brindle {
namespace {

using test::DatBuilder;
using test::Int4;
using test::RecordPlan;

struct Walk {
  DatHeader header;
  std::vector<DatRecord> records;
  bool ended = false;
};

Walk ReadAll(DatReader& reader, const std::string& bytes) {
  DatInput in = DatInput::FromMemory(bytes);
  Walk w;
  w.header = reader.ReadHeader(in);
  for (std::int32_t i = 0; i < w.header.recordCount; ++i) {
    std::optional<DatRecord> r = reader.ReadRecord(in);
    if (!r) {
      w.ended = true;
      break;
    }
    w.records.push_back(std::move(*r));
  }
  return w;
}

Walk ReadAll(const std::string& bytes) {
  DatReader reader;
  return ReadAll(reader, bytes);
}

TEST(DatReaderHeader, KeepsNamedItemsAndCategoriesInFileOrder) {
  const std::string bytes = DatBuilder()
                                .LeadText("PalmSG Database")
                                .HeaderTexts("C:\\Palm\\address.dat", "Address")
                                .TableText9("Birthday")
                                .HeaderLongs(77, -100000000)
                                .Category(3, "Business", "Bus")
                                .Category(1, "Personal", "Pers")
                                .RecordCount(0)
                                .Bytes();
  DatReader reader;
  const Walk w = ReadAll(reader, bytes);
  EXPECT_EQ(w.header.leadText, "PalmSG Database");
  EXPECT_EQ(w.header.leadBytes, (Bytes4{0xBE, 0xBA, 0xFE, 0xCA}));
  EXPECT_EQ(w.header.headerText1, "C:\\Palm\\address.dat");
  EXPECT_EQ(w.header.headerText2, "Address");
  EXPECT_EQ(w.header.tableText9, "Birthday");
  EXPECT_EQ(w.header.headerLong1, 77);
  EXPECT_EQ(w.header.headerLong2, -100000000);
  ASSERT_EQ(w.header.categoryCount, 2);
  ASSERT_EQ(w.header.categories.size(), 3u);
  EXPECT_EQ(w.header.categories[0].longName, "");
  EXPECT_EQ(w.header.categories[1].number, 3);
  EXPECT_EQ(w.header.categories[1].longName, "Business");
  EXPECT_EQ(w.header.categories[1].shortName, "Bus");
  EXPECT_EQ(w.header.categories[2].longName, "Personal");
  EXPECT_EQ(w.header.recordCount, 0);
}

DatHeader HeaderOf(const std::string& bytes) {
  DatReader reader;
  DatInput in = DatInput::FromMemory(bytes);
  return reader.ReadHeader(in);
}

TEST(DatReaderHeader, RecordCountIsStoredWith4096Added) {
  EXPECT_EQ(HeaderOf(DatBuilder().RecordCount(0).Bytes()).recordCount, 0);
  EXPECT_EQ(HeaderOf(DatBuilder().RecordCountRaw(Int4::Raw(0x05, 0x10, 0, 0)).Bytes()).recordCount,
            5);
  // Below 4096 the count is negative and no record is read.
  const Walk negative =
      ReadAll(DatBuilder().RecordCountRaw(Int4::Of(4000)).Record(RecordPlan(1)).Bytes());
  EXPECT_EQ(negative.header.recordCount, -96);
  EXPECT_TRUE(negative.records.empty());
  EXPECT_EQ(HeaderOf(DatBuilder().RecordCountRaw(Int4::Raw(1, 2, 3, 0xFF)).Bytes()).recordCount, 0);
}

TEST(DatReaderHeader, CategoryNameLookup) {
  DatReader reader;
  ReadAll(reader, DatBuilder()
                      .Category(3, "Business")
                      .Category(5, "First")
                      .Category(5, "Second")
                      .Category(0, "Zero entry")
                      .Bytes());
  EXPECT_EQ(reader.CategoryName(3), "Business");
  EXPECT_EQ(reader.CategoryName(5), "Second");  // the later entry wins
  EXPECT_EQ(reader.CategoryName(0), "unfiled");
  EXPECT_EQ(reader.CategoryName(9), "");
}

TEST(DatReaderHeader, CategoryNumberMustFitSixteenBits) {
  const std::string bytes = DatBuilder().Category(40000, "Too big").Bytes();
  try {
    ReadAll(bytes);
    FAIL() << "no error";
  } catch (const DatError& e) {
    EXPECT_NE(std::string(e.what()).find("category number 40000"), std::string::npos) << e.what();
    EXPECT_GT(e.offset(), 0);
  }
}

TEST(DatReaderText, BothLengthFormsAndWindows1252Bytes) {
  const std::string long300(300, 'x');
  const std::string accented = "Jos\xE9 M\xFCller \x80";
  const Walk w = ReadAll(DatBuilder()
                             .Record(RecordPlan(1)
                                         .Text(19, "ABC")
                                         .Text(20, long300)
                                         .LongText(21, "short in long form")
                                         .Text(22, accented))
                             .Bytes());
  ASSERT_EQ(w.records.size(), 1u);
  EXPECT_EQ(w.records[0].lastName, "ABC");
  EXPECT_EQ(w.records[0].firstName, long300);
  EXPECT_EQ(w.records[0].title, "short in long form");
  EXPECT_EQ(w.records[0].company, accented);
}

TEST(DatReaderText, LongFormLengthIsTwoBytesLittleEndian) {
  DatBuilder b;
  b.Record(RecordPlan(1).Text(19, std::string(300, 'x')));
  const std::string bytes = b.Bytes();
  const std::size_t at = b.TextLengthOffset(0, 19);
  EXPECT_EQ(bytes.substr(at, 3), std::string("\xFF\x2C\x01", 3));
}

TEST(DatReaderRecord, EveryNamedItemLandsInItsField) {
  RecordPlan record(1234, 7);
  record.Status(129)
      .Int(1, 11)
      .Int(5, 55)
      .Int(15, -100000000)
      .Int(7, -42)
      .Int(23, 23)
      .Int(32, 32)
      .Int(38, -38000000);
  record.Int(48, 48).Int(54, 54).Int(60, 60).Int(68, 68).Int(69, 69).Int(71, 71).Int(72, 72);
  record.Raw(73, Int4::Raw(1, 2, 3, 4)).Int(74, 74).Int(75, 32767).Int(76, 76);
  for (int item = 17; item <= 80; ++item) {
    try {
      record.Text(item, "t" + std::to_string(item));
    } catch (const std::invalid_argument&) {
    }
  }
  const Walk w = ReadAll(DatBuilder().Record(record).Bytes());
  ASSERT_EQ(w.records.size(), 1u);
  const DatRecord& r = w.records[0];
  EXPECT_EQ(r.recordId, 1234);
  EXPECT_EQ(r.category, 7);
  EXPECT_EQ(r.status, 129);
  EXPECT_EQ(r.item1, 11);
  EXPECT_EQ(r.item2, 1);
  EXPECT_EQ(r.item5, 55);
  EXPECT_EQ(r.item15, "-100000000");
  EXPECT_EQ(r.blockMarker, 0);
  EXPECT_EQ(r.item18, "t18");
  EXPECT_EQ(r.lastName, "t19");
  EXPECT_EQ(r.company, "t22");
  EXPECT_EQ(r.item23, 23);
  EXPECT_EQ(r.address, "t24");
  EXPECT_EQ(r.phone7, "t31");
  EXPECT_EQ(r.item32, "32");
  EXPECT_EQ(r.item38, "-38000000");
  EXPECT_EQ(r.custom1, "t39");
  EXPECT_EQ(r.custom8, "t46");
  EXPECT_EQ(r.custom9, "t47");
  EXPECT_EQ(r.item48, 48);
  EXPECT_EQ(r.item49, "t49");
  EXPECT_EQ(r.item53, "t53");
  EXPECT_EQ(r.item54, 54);
  EXPECT_EQ(r.item55, "t55");
  EXPECT_EQ(r.item59, "t59");
  EXPECT_EQ(r.item60, 60);
  EXPECT_EQ(r.item61, "t61");
  EXPECT_EQ(r.note, "t66");
  EXPECT_EQ(r.item67, "t67");
  EXPECT_EQ(r.item68, "68");
  EXPECT_EQ(r.item69, "69");
  EXPECT_EQ(r.item70, "t70");
  EXPECT_EQ(r.item71, 71);
  EXPECT_EQ(r.item72, 72);
  EXPECT_EQ(r.item73, (Bytes4{1, 2, 3, 4}));
  EXPECT_EQ(r.item74, 74);
  EXPECT_EQ(r.item75, 32767);
  EXPECT_EQ(r.item76, 76);
  EXPECT_EQ(r.item77, "t77");
  EXPECT_EQ(r.item80, "t80");
  EXPECT_FALSE(r.spareFlag);
}

TEST(DatReaderRecord, IntegerEndingInFFReadsAsZero) {
  const Walk w = ReadAll(
      DatBuilder().Record(RecordPlan(1).Raw(23, Int4::Raw(0xFF, 0xFF, 0xFF, 0xFF))).Bytes());
  EXPECT_EQ(w.records.at(0).item23, 0);
}

TEST(DatReaderRecord, IntegerEndingIn80ToFEReadsAsSigned) {
  // A birthday before 1970 is stored as a negative number of seconds.
  const Walk w = ReadAll(DatBuilder()
                             .Record(RecordPlan(1)
                                         .Int(23, -631152000)
                                         .Raw(48, Int4::Raw(0, 0, 0, 0x80))
                                         .Raw(32, Int4::Raw(1, 0, 0, 0xFE)))
                             .Bytes());
  EXPECT_EQ(w.records.at(0).item23, -631152000);
  EXPECT_EQ(w.records.at(0).item48, INT32_MIN);
  EXPECT_EQ(w.records.at(0).item32, std::to_string(static_cast<std::int32_t>(0xFE000001u)));
}

TEST(DatReaderRecord, SixteenBitFieldsFailClearlyWhenTheyDoNotFit) {
  const struct {
    RecordPlan record;
    const char* expected;
  } cases[] = {
      {RecordPlan(1).Int(74, 70000), "item 74 70000"},
      {RecordPlan(1).Raw(75, Int4::Raw(0, 0, 0, 0x80)), "item 75 -2147483648"},
      {RecordPlan(1).Int(16, 65536), "block marker 65536"},
      {RecordPlan(1).Block("b", "", 40000), "block length 40000"},
      {RecordPlan(1).Block("b", "", -100000000), "block length -100000000"},
  };
  for (const auto& c : cases) {
    const DatBuilder b = DatBuilder().Record(c.record);
    try {
      ReadAll(b.Bytes());
      ADD_FAILURE() << "no error for " << c.expected;
    } catch (const DatError& e) {
      EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("record 1"), std::string::npos) << e.what();
    }
  }
}

TEST(DatReaderRecord, BlockIsReadWhenTheMarkerIsOne) {
  const Walk w = ReadAll(DatBuilder()
                             .Record(RecordPlan(1).Block("empty", "").Text(19, "after empty"))
                             .Record(RecordPlan(2).Block("photo", std::string(1000, '\x07')))
                             .Record(RecordPlan(3).Text(19, "plain"))
                             .Bytes());
  ASSERT_EQ(w.records.size(), 3u);
  EXPECT_EQ(w.records[0].blockMarker, 1);
  EXPECT_EQ(w.records[0].blockName, "empty");
  EXPECT_EQ(w.records[0].blockLength, 0);
  EXPECT_EQ(w.records[0].lastName, "after empty");
  EXPECT_EQ(w.records[1].blockLength, 1000);
  EXPECT_EQ(w.records[2].lastName, "plain");
}

TEST(DatReaderEnd, StatusAbove500OrItem2ZeroEndsTheRecords) {
  const Walk at500 = ReadAll(DatBuilder().Record(RecordPlan(1).Status(500)).Bytes());
  EXPECT_EQ(at500.records.size(), 1u);
  EXPECT_FALSE(at500.ended);

  const Walk at501 = ReadAll(
      DatBuilder().Record(RecordPlan(1)).Record(RecordPlan(2).Status(501)).RecordCount(3).Bytes());
  EXPECT_EQ(at501.records.size(), 1u);
  EXPECT_TRUE(at501.ended);

  const Walk item2 =
      ReadAll(DatBuilder().Record(RecordPlan(1).Int(2, 0).Status(3)).Record(RecordPlan(2)).Bytes());
  EXPECT_TRUE(item2.records.empty());
  EXPECT_TRUE(item2.ended);
}

TEST(DatReaderEnd, MarkerReturnsAnEmptyRecordAfterTwentyFourBytes) {
  // Item 2 of 0, and a state code above 500 with a valid item 2: both end after item 3.
  for (const auto& [item2, status] : {std::pair{0, 77}, std::pair{1, 501}}) {
    const std::string bytes =
        DatBuilder().Record(RecordPlan(1)).EndMarker(9, item2, status).Bytes();
    DatReader reader;
    DatInput in = DatInput::FromMemory(bytes);
    reader.ReadHeader(in);
    ASSERT_TRUE(reader.ReadRecord(in));
    const std::int64_t before = in.offset();
    EXPECT_FALSE(reader.ReadRecord(in)) << status;
    EXPECT_EQ(in.offset() - before, 24) << status;
    EXPECT_TRUE(in.AtEnd());
  }
}

TEST(DatReaderText, CommasQuotesAndLineBreaksSurviveInEveryTextItem) {
  const std::string nasty = "a,b \"q\" \r\nline\rcr\nlf \x93\xE9";
  RecordPlan record(1);
  int texts = 0;
  for (int item = 17; item <= 80; ++item) {
    try {
      record.Text(item, nasty + std::to_string(item));
      ++texts;
    } catch (const std::invalid_argument&) {
    }
  }
  ASSERT_EQ(texts, 45);
  record.Block(nasty, nasty);
  const Walk w = ReadAll(DatBuilder().Record(record).Bytes());
  ASSERT_EQ(w.records.size(), 1u);
  const DatRecord& r = w.records[0];
  EXPECT_EQ(r.blockName, nasty);
  EXPECT_EQ(r.item18, nasty + "18");
  EXPECT_EQ(r.address, nasty + "24");
  EXPECT_EQ(r.custom1, nasty + "39");
  EXPECT_EQ(r.custom9, nasty + "47");
  EXPECT_EQ(r.item59, nasty + "59");
  EXPECT_EQ(r.item70, nasty + "70");
  EXPECT_EQ(r.item80, nasty + "80");
}

// ---- Damaged files ----------------------------------------------------------------------------

TEST(DatReaderDamage, EveryTruncationFailsWithAnOffsetInsideTheFile) {
  DatBuilder b;
  b.Category(1, "Friends").Record(RecordPlan(1, 1).Text(19, "Ann").Block("x", "abc"));
  const std::string bytes = b.Bytes();
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    try {
      ReadAll(test::Truncated(bytes, size));
      ADD_FAILURE() << "no error at size " << size;
    } catch (const DatError& e) {
      EXPECT_LE(e.offset(), static_cast<std::int64_t>(size));
      EXPECT_NE(std::string(e.what()).find("runs past the end"), std::string::npos) << e.what();
    }
  }
}

TEST(DatReaderDamage, TextLengthRunningPastTheEndNamesTheItem) {
  DatBuilder b;
  b.Record(RecordPlan(1).Text(80, "last"));
  const std::string bytes = test::WithByte(b.Bytes(), b.TextLengthOffset(0, 80), 200);
  try {
    ReadAll(bytes);
    FAIL() << "no error";
  } catch (const DatError& e) {
    EXPECT_EQ(e.offset(), static_cast<std::int64_t>(b.TextLengthOffset(0, 80)) + 1);
    EXPECT_NE(std::string(e.what()).find("items 77 to 80"), std::string::npos) << e.what();
  }
}

TEST(DatReaderDamage, TwoByteLengthBeyondTheFileFailsAtItsText) {
  DatBuilder b;
  b.Record(RecordPlan(1).LongText(19, "abc"));
  const std::string bytes = test::WithByte(b.Bytes(), b.TextLengthOffset(0, 19) + 2, 0x90);
  try {
    ReadAll(bytes);
    FAIL() << "no error";
  } catch (const DatError& e) {
    EXPECT_EQ(e.offset(), static_cast<std::int64_t>(b.TextLengthOffset(0, 19)) + 3);
    EXPECT_NE(std::string(e.what()).find("runs past the end"), std::string::npos) << e.what();
  }
}

TEST(DatReaderDamage, HugeCategoryCountIsRefusedBeforeReadingEntries) {
  EXPECT_THROW(ReadAll(DatBuilder().CategoryCount(1 << 30).Bytes()), DatError);
  EXPECT_THROW(ReadAll(DatBuilder().CategoryCount(-100000000).Bytes()), DatError);
  // An Integer ending in FF reads as 0, so this count is 0, not negative.
  EXPECT_EQ(HeaderOf(DatBuilder().CategoryCount(-1).Bytes()).categoryCount, 0);
}

// ---- Copy mode --------------------------------------------------------------------------------

class DatReaderCopy : public ::testing::Test {
 protected:
  // Reads `bytes` in copy mode with `table`; returns the output.
  std::string Copy(const std::string& bytes, const ResultTable& table,
                   std::int64_t* writePos = nullptr) {
    const auto out_path = dir_ / "copy.dat";
    {
      DatOutput out(out_path);
      DatReader reader;
      {
        const DatCopy copy(reader, out, table);
        ReadAll(reader, bytes);
      }
      EXPECT_FALSE(reader.copying());
      if (writePos) *writePos = reader.writePos();
      out.Close();
    }
    return test::ReadFileBytes(out_path);
  }
  test::TempDir dir_;
};

TEST_F(DatReaderCopy, WithoutMatchesTheCopyEqualsTheBytesRead) {
  const std::string bytes =
      DatBuilder()
          .Category(2, "Caf\xE9")
          .Record(RecordPlan(1, 2)
                      .LongText(19, "long form kept")
                      .Raw(23, Int4::Raw(0xFF, 0xFF, 0xFF, 0xFF)))
          .Record(RecordPlan(2).Raw(71, Int4::Raw(9, 8, 7, 0x85)).Block("blk", "\x01\x02\x03"))
          .Record(RecordPlan(3).TypeWord(19, Int4::Raw(0xDE, 0xAD, 0xBE, 0xEF)).Text(19, "x"))
          .Bytes();
  std::int64_t writePos = 0;
  EXPECT_EQ(Copy(bytes, {{99, "nobody"}}, &writePos), bytes);
  EXPECT_EQ(writePos, static_cast<std::int64_t>(bytes.size()));
}

TEST_F(DatReaderCopy, EndMarkerWritesExactlyTwentyFourBytes) {
  DatBuilder b;
  b.Record(RecordPlan(1)).EndMarker().Trailing("tail bytes").RecordCount(2);
  const std::string bytes = b.Bytes();
  const std::string copy = Copy(bytes, {});
  EXPECT_EQ(copy, bytes.substr(0, bytes.size() - 10));
}

TEST_F(DatReaderCopy, MatchedRecordGetsStatusTwoAndTheNewCustom9) {
  DatBuilder in;
  in.Record(RecordPlan(12).Status(7).Custom(9, "old"))
      .Record(RecordPlan(13).Status(7).LongText(47, "old long"))
      .Record(RecordPlan(14).Status(7).Custom(9, "keep"));
  DatBuilder want;
  want.Record(RecordPlan(12).Status(2).Custom(9, "900"))
      .Record(RecordPlan(13).Status(2).Custom(9, ""))
      .Record(RecordPlan(14).Status(7).Custom(9, "keep"));
  EXPECT_EQ(Copy(in.Bytes(), {{12, "900"}, {13, ""}}), want.Bytes());
}

TEST_F(DatReaderCopy, PatchesReachBytesAlreadyPastTheOutputBuffer) {
  // Enough matched records, with long texts, that status patches fall on every side of the
  // output buffer's boundaries.
  DatBuilder in;
  DatBuilder want;
  ResultTable table;
  for (int id = 1; id <= 400; ++id) {
    const std::string note(static_cast<std::size_t>(100 + id * 37 % 900), 'n');
    in.Record(RecordPlan(id).Status(0).LongText(47, "old").Text(24, note));
    want.Record(RecordPlan(id).Status(2).Custom(9, "db" + std::to_string(id)).Text(24, note));
    table[id] = "db" + std::to_string(id);
  }
  EXPECT_EQ(Copy(in.Bytes(), table), want.Bytes());
}

TEST_F(DatReaderCopy, FromAFileEveryItemMayStraddleAnInputRefill) {
  // Tiny input buffers put every status patch, replaced old text and block across a refill;
  // the file is also many buffers long for the larger sizes.
  DatBuilder in;
  DatBuilder want;
  ResultTable table;
  in.Category(3, "Caf\xE9");
  want.Category(3, "Caf\xE9");
  for (int id = 1; id <= 60; ++id) {
    const std::string note(static_cast<std::size_t>(id * 53 % 700), 'n');
    RecordPlan plain = RecordPlan(id, 3).Status(5).Text(24, note);
    if (id % 7 == 0) plain.Block("blk", std::string(static_cast<std::size_t>(id), 'b'));
    if (id % 3 == 0) {
      in.Record(RecordPlan(plain).LongText(47, std::string(300, 'o')));
      want.Record(RecordPlan(plain).Status(2).Custom(9, "db" + std::to_string(id)));
      table[id] = "db" + std::to_string(id);
    } else {
      in.Record(RecordPlan(plain).Custom(9, "keep"));
      want.Record(RecordPlan(plain).Custom(9, "keep"));
    }
  }
  in.Trailing("tail");
  want.Trailing("tail");
  const auto src = dir_ / "in.dat";
  test::WriteFileBytes(src, in.Bytes());
  const std::string expected = want.Bytes().substr(0, want.Bytes().size() - 4);
  for (const std::size_t buffer : {1, 2, 3, 5, 8, 13, 100, 4096, 64 * 1024})
    for (const auto texts : {DatReader::RecordTexts::kKeep, DatReader::RecordTexts::kSkip}) {
      SCOPED_TRACE(std::to_string(buffer) +
                   (texts == DatReader::RecordTexts::kSkip ? " skip" : ""));
      const auto out_path = dir_ / "copy.dat";
      std::int64_t writePos = 0;
      {
        DatOutput out(out_path);
        DatReader reader;
        const DatCopy copy(reader, out, table);
        DatInput input(src, buffer);
        const DatHeader h = reader.ReadHeader(input);
        for (std::int32_t i = 0; i < h.recordCount; ++i) {
          const std::optional<DatRecord> read = reader.ReadRecord(input, texts);
          ASSERT_TRUE(read);
          const DatRecord& rec = *read;
          EXPECT_EQ(rec.recordId, i + 1);
          EXPECT_EQ(rec.address.size(), texts == DatReader::RecordTexts::kSkip
                                            ? 0u
                                            : std::size_t(rec.recordId * 53 % 700));
        }
        writePos = reader.writePos();
        out.Close();
      }
      EXPECT_EQ(test::ReadFileBytes(out_path), expected);
      EXPECT_EQ(writePos, static_cast<std::int64_t>(expected.size()));
    }
}

TEST(DatReaderSkip, SkippedTextsKeepTheNumbersAndFailAtTheSameOffset) {
  const std::string bytes =
      DatBuilder().Record(RecordPlan(7, 2).Status(129).Text(19, "Acme").Custom(9, "x")).Bytes();
  DatReader reader;
  DatInput in = DatInput::FromMemory(bytes);
  reader.ReadHeader(in);
  const std::optional<DatRecord> read = reader.ReadRecord(in, DatReader::RecordTexts::kSkip);
  ASSERT_TRUE(read);
  const DatRecord& rec = *read;
  EXPECT_EQ(rec.recordId, 7);
  EXPECT_EQ(rec.category, 2);
  EXPECT_EQ(rec.status, 129);
  EXPECT_EQ(rec.lastName, "");
  EXPECT_EQ(rec.custom9, "");
  EXPECT_TRUE(in.AtEnd());

  // Cut inside a text: both ways report the same offset, the text's start.
  const std::string cut = bytes.substr(0, bytes.find("Acme") + 2);
  std::int64_t offsets[2] = {-2, -2};
  int k = 0;
  for (const auto texts : {DatReader::RecordTexts::kKeep, DatReader::RecordTexts::kSkip}) {
    DatInput cutIn = DatInput::FromMemory(cut);
    reader.ReadHeader(cutIn);
    try {
      (void)reader.ReadRecord(cutIn, texts);
    } catch (const DatError& e) {
      offsets[k] = e.offset();
    }
    ++k;
  }
  EXPECT_EQ(offsets[0], static_cast<std::int64_t>(bytes.find("Acme")));
  EXPECT_EQ(offsets[1], offsets[0]);
}

}  // namespace
}  // namespace brindle
