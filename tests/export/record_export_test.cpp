// The export run's record loop: which records become lines, how often, and in which order.
#include "export/record_export.h"

#include <gtest/gtest.h>

#include "address_file/dat_error.h"
#include "export/export_line.h"
#include "support/dat_builder.h"

namespace brindle {
namespace {

using test::DatBuilder;
using test::RecordPlan;

class RecordExport : public ::testing::Test {
 protected:
  // Exports `bytes` with `sel`; returns the export file's bytes and sets `lines`.
  std::string Export(const std::string& bytes, const SelCat& sel, int* lines = nullptr) {
    DatInput in = DatInput::FromMemory(bytes);
    DatReader reader;
    const DatHeader header = reader.ReadHeader(in);
    const int n = WriteExport(reader, in, header, sel, dir_ / "out.csv");
    if (lines) *lines = n;
    return test::ReadFileBytes(dir_ / "out.csv");
  }
  static std::string Line(const DatRecord& r, const std::string& cat) {
    return ExportLine(r, cat) + "\r\n";
  }
  test::TempDir dir_;
};

DatBuilder Sample() {
  DatBuilder b;
  b.Category(1, "Personal").Category(2, "Business");
  b.Record(RecordPlan(10, 1).Text(19, "Ann"));
  b.Record(RecordPlan(11, 2).Text(19, "Bob"));
  b.Record(RecordPlan(12, 1).Text(19, "Cid").Status(129));
  b.Record(RecordPlan(13, 0).Text(19, "Dee"));
  b.Record(RecordPlan(14, 2).Text(19, "Eve"));
  return b;
}

DatRecord Rec(std::int32_t id, const std::string& name) {
  DatRecord r;
  r.recordId = id;
  r.lastName = name;
  return r;
}

TEST_F(RecordExport, WritesChosenCategoriesInFileOrderSkippingStatus129) {
  int lines = 0;
  const std::string csv = Export(Sample().Bytes(), {"", "2", "1"}, &lines);
  EXPECT_EQ(lines, 3);
  EXPECT_EQ(csv, Line(Rec(10, "Ann"), "Personal") + Line(Rec(11, "Bob"), "Business") +
                     Line(Rec(14, "Eve"), "Business"));
}

TEST_F(RecordExport, UnfiledIsCategoryZero) {
  EXPECT_EQ(Export(Sample().Bytes(), {"0"}), Line(Rec(13, "Dee"), "unfiled"));
}

TEST_F(RecordExport, ACategoryInTwoSlotsIsWrittenTwiceEscapedFromTheRecordEachTime) {
  DatBuilder b;
  b.Category(1, "Personal").Record(RecordPlan(5, 1).Text(19, "a \"q\", b"));
  const std::string once = "\"5\",\"a \"\"q\"\"UUUVIRGULAWWW b\"";
  const std::string csv = Export(b.Bytes(), {"1", " 1 "});
  EXPECT_EQ(csv.find(once), 0u);
  EXPECT_EQ(csv.find(once, 1), csv.size() / 2);
  EXPECT_EQ(csv.substr(0, csv.size() / 2), csv.substr(csv.size() / 2));
}

TEST_F(RecordExport, StopsAtTheEndMarkerEvenWithUnfiledSelected) {
  DatBuilder b;
  b.Record(RecordPlan(1, 0)).EndMarker().RecordCount(5);
  int lines = 0;
  EXPECT_EQ(Export(b.Bytes(), {"0"}, &lines), Line(Rec(1, ""), "unfiled"));
  EXPECT_EQ(lines, 1);
}

TEST_F(RecordExport, NoMatchLeavesAnEmptyFile) {
  int lines = -1;
  EXPECT_EQ(Export(Sample().Bytes(), {"7", ""}, &lines), "");
  EXPECT_EQ(lines, 0);
}

TEST_F(RecordExport, ZeroOrNegativeRecordCountReadsNothing) {
  DatBuilder b = Sample();
  b.RecordCount(-2);
  EXPECT_EQ(Export(b.Bytes(), {"1", "2", "0"}), "");
}

// The load pre-selects a saved "+2" as category 2 and keeps the text in the slot; the export
// must read it the same way.
TEST_F(RecordExport, SlotsAreReadAsNumbersAsTheSelectionReadsThem) {
  EXPECT_EQ(Export(Sample().Bytes(), {"+2"}), Export(Sample().Bytes(), {"2"}));
  EXPECT_EQ(Export(Sample().Bytes(), {"99999999999"}), "");  // matches nothing, fails nothing
}

TEST_F(RecordExport, MoreThan32767LinesIsAnError) {
  DatBuilder b;
  b.Record(RecordPlan(1, 3));
  EXPECT_EQ(Export(b.Bytes(), SelCat(32767, "3")).size(), 32767 * Line(Rec(1, ""), "").size());
  try {
    Export(b.Bytes(), SelCat(32768, "3"));
    ADD_FAILURE() << "no error";
  } catch (const DatError& e) {
    // The error says where: at the record that would give the line too many.
    const std::string where = "offset " + std::to_string(b.RecordOffset(0));
    EXPECT_NE(std::string(e.what()).find(where), std::string::npos) << e.what();
    EXPECT_EQ(e.offset(), static_cast<std::int64_t>(b.RecordOffset(0)));
  }
}

TEST_F(RecordExport, SlotThatIsNotANumberIsAnError) {
  EXPECT_THROW(Export(Sample().Bytes(), {"x1"}), DatError);
}

TEST_F(RecordExport, DamagedRecordFailsAndKeepsTheLinesWrittenBefore) {
  DatBuilder b = Sample();
  const std::string bytes = test::Truncated(b.Bytes(), b.ItemOffset(4, 19));
  EXPECT_THROW(Export(bytes, {"1", "2"}), DatError);
  EXPECT_EQ(test::ReadFileBytes(dir_ / "out.csv"),
            Line(Rec(10, "Ann"), "Personal") + Line(Rec(11, "Bob"), "Business"));
}

}  // namespace
}  // namespace brindle
