// Texts in each of the three length forms the format's writer uses, texts the reader must
// refuse (UTF-16, lengths beyond the file or over the bound), and files that are not Palm
// Desktop 4.1.4 address files at all.
#include <gtest/gtest.h>

#include <string>

#include "address_file/dat_error.h"
#include "address_file/dat_format.h"
#include "address_file/dat_reader.h"
#include "support/dat_builder.h"

namespace brindle {
namespace {

using test::DatBuilder;
using test::Int4;
using test::LengthForm;
using test::RecordPlan;

constexpr const char* kOtherKind = "does not look like an address.dat of Palm Desktop 4.1.4";

std::vector<DatRecord> ReadRecords(DatReader& reader, DatInput& in) {
  const DatHeader h = reader.ReadHeader(in);
  std::vector<DatRecord> records;
  ForEachRecord(reader, in, h.recordCount,
                [&](const DatRecord& r, std::int64_t) { records.push_back(r); });
  return records;
}

// The error that reading the whole of `bytes` ends in.
DatError FailureOf(const std::string& bytes) {
  DatReader reader;
  DatInput in = DatInput::FromMemory(bytes);
  try {
    ReadRecords(reader, in);
  } catch (const DatError& e) {
    return e;
  }
  ADD_FAILURE() << "no error";
  return DatError("", -2);
}

std::string Stored4(std::uint32_t n) {
  std::string s("\xFF\xFF\xFF", 3);
  for (int i = 0; i < 4; ++i) s += static_cast<char>((n >> (8 * i)) & 0xFF);
  return s;
}

class TextForms : public ::testing::Test {
 protected:
  const std::string note40k = std::string(40000, 'n') + "\xE9";
  const std::string big = std::string(70000, 'b');
  DatBuilder Varied() const {
    DatBuilder b;
    b.Category(1, "Friends")
        .Record(RecordPlan(7, 1)
                    .Text(19, "one byte")
                    .Text(20, std::string(300, 'x'))
                    .Text(21, std::string(65533, 'm'))
                    .Text(22, "small, four-byte form", LengthForm::kFourBytes)
                    .Text(24, note40k)
                    .Text(66, big)
                    .Text(47, "old id", LengthForm::kFourBytes))
        .Record(RecordPlan(8, 1).Text(19, "after"));
    return b;
  }
  test::TempDir dir_;
};

TEST_F(TextForms, EveryFormIsReadFromAFileAcrossBufferRefills) {
  const std::string bytes = Varied().Bytes();
  test::WriteFileBytes(dir_ / "a.dat", bytes);
  for (const std::size_t buffer : {3, 4096, 64 * 1024}) {
    DatReader reader;
    DatInput in(dir_ / "a.dat", buffer);
    const auto records = ReadRecords(reader, in);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].lastName, "one byte");
    EXPECT_EQ(records[0].firstName, std::string(300, 'x'));
    EXPECT_EQ(records[0].title, std::string(65533, 'm'));
    EXPECT_EQ(records[0].company, "small, four-byte form");
    EXPECT_EQ(records[0].address, note40k);
    EXPECT_EQ(records[0].note, big);
    EXPECT_EQ(records[0].custom9, "old id");
    EXPECT_EQ(records[1].lastName, "after");
  }
}

TEST_F(TextForms, CopyModeReproducesEveryFormAndReplacesAFourByteCustom9) {
  DatBuilder in = Varied();
  const auto out = dir_ / "copy.dat";
  for (const bool match : {false, true}) {
    SCOPED_TRACE(match ? "matched" : "unmatched");
    {
      DatOutput output(out);
      DatReader reader;
      const DatCopy copy(reader, output, match ? ResultTable{{7, "900"}} : ResultTable{});
      const std::string bytes = in.Bytes();
      DatInput input = DatInput::FromMemory(bytes);
      ReadRecords(reader, input);
      output.Close();
    }
    std::string expected = in.Bytes();
    if (match) {
      // Status 2, and custom9 rewritten in the one-byte form; every other byte as it was.
      const std::size_t status = in.ItemOffset(0, 3) + 4;
      expected.replace(status, 4, std::string("\x02\0\0\0", 4));
      const std::size_t at = in.TextLengthOffset(0, 47);
      expected.replace(at, 7 + 6,
                       std::string("\x03"
                                   "900"));
    }
    EXPECT_TRUE(test::ReadFileBytes(out) == expected);
  }
}

TEST(TextDamage, FourByteLengthPastTheEndNamesItsOffset) {
  DatBuilder b;
  b.Record(RecordPlan(1).TextBytes(19, Stored4(5000) + "short"));
  const std::string bytes = b.Bytes();
  const DatError e = FailureOf(bytes);
  EXPECT_EQ(e.offset(), static_cast<std::int64_t>(b.TextLengthOffset(0, 19)));
  EXPECT_NE(std::string(e.what()).find("item 19 length 5000 at offset " +
                                       std::to_string(b.TextLengthOffset(0, 19)) +
                                       " runs past the end of the file"),
            std::string::npos)
      << e.what();
}

TEST(TextDamage, FourByteLengthOverSixteenMebibytesIsRefusedWhateverFollows) {
  for (const std::uint32_t n : {16u * 1024 * 1024 + 1, 0xFFFFFFFFu}) {
    DatBuilder b;
    b.Category(1, "Friends").Record(RecordPlan(1).TextBytes(24, Stored4(n) + "x"));
    const DatError e = FailureOf(b.Bytes());
    EXPECT_EQ(e.offset(), static_cast<std::int64_t>(b.TextLengthOffset(0, 24)));
    EXPECT_NE(std::string(e.what()).find("is over the 16 MiB"), std::string::npos) << e.what();
  }
}

TEST(TextDamage, Utf16TextIsNamedAsSuch) {
  DatBuilder b;
  b.Record(RecordPlan(1).TextBytes(20, std::string("\xFF\xFE\xFF\x02"
                                                   "A\0B\0",
                                                   8)));
  const DatError e = FailureOf(b.Bytes());
  EXPECT_EQ(e.offset(), static_cast<std::int64_t>(b.TextLengthOffset(0, 20)));
  EXPECT_NE(std::string(e.what()).find("stored as UTF-16 (marked FF FE FF)"), std::string::npos)
      << e.what();
}

TEST(ForeignFile, WithoutTheTagAFailureSaysWhatTheFileMayBe) {
  DatBuilder b;
  b.LeadBytes(Int4::Raw('M', 'S', 'A', 'C')).Record(RecordPlan(1).Text(19, "Ann"));
  const std::string untagged = b.Bytes();
  // Cut in the header, and in a record.
  for (const std::size_t cut : {std::size_t{2}, std::size_t{40}, b.ItemOffset(0, 19) + 9}) {
    const DatError e = FailureOf(test::Truncated(untagged, cut));
    const std::string what = e.what();
    EXPECT_NE(what.find("runs past the end of the file. The file " + std::string(kOtherKind)),
              std::string::npos)
        << what;
    EXPECT_NE(what.find("4.1 and earlier have another layout"), std::string::npos);
    EXPECT_NE(what.find("Palm Desktop 6 keeps its contacts in an Access database."),
              std::string::npos);
  }
  // The same damage in a tagged file is only the damage.
  DatBuilder tagged;
  tagged.Record(RecordPlan(1).Text(19, "Ann"));
  const DatError plain = FailureOf(test::Truncated(tagged.Bytes(), 40));
  EXPECT_EQ(std::string(plain.what()).find(kOtherKind), std::string::npos) << plain.what();
}

}  // namespace
}  // namespace brindle
