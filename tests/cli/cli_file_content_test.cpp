// What brindle-cli does with what a file holds: names carrying terminal control characters,
// files from other Palm Desktop versions, and texts in every length form.
#include <gtest/gtest.h>

#include "cli_fixture.h"
#include "support/dat_builder.h"
#include "support/process.h"

namespace brindle {
namespace {

using test::DatBuilder;
using test::Int4;
using test::LengthForm;
using test::ProcessResult;
using test::RecordPlan;

class CliContent : public test::CliTest {};

TEST_F(CliContent, InfoNeverPassesControlCharactersOfNamesToTheTerminal) {
  DatBuilder b;
  b.Category(1, "Evil\x1B]0;owned\x07\x1B[2J")
      .Category(2, "C1 \x81\x8D\x8F\x90\x9D end")
      .Category(3, std::string("nul\0tab\tdel\x7F", 12))
      .Category(4, "Caf\xE9 \x80 \x8A\x9F");  // printable Windows-1252 stays as it is
  Put("address.dat", b.Bytes());
  const ProcessResult r = Run({"info", "address.dat"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "records: 0\ncategories: 4\n"
            "1\tEvil\\x1B]0;owned\\x07\\x1B[2J\n"
            "2\tC1 \\x81\\x8D\\x8F\\x90\\x9D end\n"
            "3\tnul\\x00tab\\x09del\\x7F\n"
            "4\tCaf\xC3\xA9 \xE2\x82\xAC \xC5\xA0\xC5\xB8\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(CliContent, AFileWithoutTheTagIsWarnedOfAndItsFailuresExplained) {
  DatBuilder b;
  b.LeadBytes(Int4::Raw(0, 1, 0, 0)).Category(1, "Work").Record(RecordPlan(1, 1));
  Put("address.dat", b.Bytes());
  const ProcessResult readable = Run({"info", "address.dat"});
  EXPECT_EQ(readable.exitCode, 0) << readable.err;
  EXPECT_EQ(readable.out, "records: 1\ncategories: 1\n1\tWork\n");
  EXPECT_NE(readable.err.find("warning: address.dat does not start with the tag of a Palm "
                              "Desktop 4.1.4 address.dat (BE BA FE CA)"),
            std::string::npos)
      << readable.err;

  Put("address.dat", test::Truncated(b.Bytes(), b.ItemOffset(0, 40)));
  Put("r.out", "1,900\n\n");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"export", "address.dat", "--categories", "1"}, {"writeback", "address.dat", "r.out"}}) {
    const ProcessResult r = Run(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("runs past the end of the file. The file does not look like an "
                         "address.dat of Palm Desktop 4.1.4: files from Palm Desktop 4.1 and "
                         "earlier have another layout, and Palm Desktop 6 keeps its contacts in "
                         "an Access database."),
              std::string::npos)
        << r.err;
  }
}

TEST_F(CliContent, LongTextsAreExportedWholeAndWrittenBackByteForByte) {
  const std::string note = std::string(40000, 'n') + ", end";
  const std::string huge(70000, 'h');
  DatBuilder b;
  b.Category(1, "Work")
      .Record(RecordPlan(5, 1).Text(66, note).Text(70, huge).Text(47, "x", LengthForm::kFourBytes))
      .Record(RecordPlan(6, 1).Text(19, "Bob"));
  Put("address.dat", b.Bytes());
  const ProcessResult r = Run({"export", "address.dat", "--categories", "1", "--output", "o.csv"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string csv = File("o.csv");
  // Columns 25 and 26 are not escaped: the texts go out as they are.
  EXPECT_NE(csv.find("\"" + note + "\",\"" + huge + "\",\" \",\"x\""), std::string::npos);
  EXPECT_NE(csv.find("\"6\",\"Bob\""), std::string::npos);

  Put("r.out", "6,900\n\n");
  const ProcessResult w = Run({"writeback", "address.dat", "r.out"});
  EXPECT_EQ(w.exitCode, 0) << w.err;
  DatBuilder want;
  want.Category(1, "Work")
      .Record(RecordPlan(5, 1).Text(66, note).Text(70, huge).Text(47, "x", LengthForm::kFourBytes))
      .Record(RecordPlan(6, 1).Text(19, "Bob").Status(2).Custom(9, "900"));
  EXPECT_TRUE(File("address.dat") == want.Bytes());
}

}  // namespace
}  // namespace brindle
