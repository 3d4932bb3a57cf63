// brindle-cli's command-line contract: output, exit statuses, and that FILE never changes on
// a failure.
#include <gtest/gtest.h>

#include "cli_fixture.h"
#include "support/dat_builder.h"
#include "support/process.h"

namespace brindle {
namespace {

using test::DatBuilder;
using test::ProcessResult;
using test::RecordPlan;

class Cli : public test::CliTest {
 protected:
};

DatBuilder Contacts() {
  DatBuilder b;
  b.Category(2, "Business").Category(5, "Caf\xE9 \x80").Category(7, "Empty");
  b.Record(RecordPlan(10, 2).Text(19, "Ann, \"A\""));
  b.Record(RecordPlan(11, 5).Text(19, "Bob"));
  b.Record(RecordPlan(12, 0).Text(19, "Cid"));
  b.Record(RecordPlan(13, 2).Text(19, "Dee").Status(129));
  return b;
}

TEST_F(Cli, InfoPrintsCountsAndCategoriesInUtf8) {
  Put("address.dat", Contacts().Bytes());
  const ProcessResult r = Run({"info", "address.dat"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "records: 4\ncategories: 3\n2\tBusiness\n5\tCaf\xC3\xA9 \xE2\x82\xAC\n7\tEmpty\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(Cli, ExportWritesTheDefaultFileInTheCurrentFolder) {
  Put("address.dat", Contacts().Bytes());
  const ProcessResult r = Run({"export", "address.dat", "--categories", "2 0 2"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Wrote 3 register(s)!\n");
  const std::string csv = File("4_csv.tmp");
  EXPECT_EQ(csv.find("\"10\",\"Ann UUUVIRGULAWWW \"\"A\"\"\""), std::string::npos);
  EXPECT_EQ(csv.find("\"10\",\"AnnUUUVIRGULAWWW \"\"A\"\"\""), 0u);
  // Record 10 twice (two slots), then record 12 once; 13 is in state 129.
  EXPECT_EQ(csv.rfind("\"10\","), csv.find("\r\n") + 2);
  EXPECT_NE(csv.find("\"12\",\"Cid\""), std::string::npos);
  EXPECT_EQ(csv.find("\"13\""), std::string::npos);
  EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");
  EXPECT_EQ(File("address.dat"), Contacts().Bytes());
}

TEST_F(Cli, ExportWithNoMatchSaysSoAndLeavesAnEmptyFile) {
  Put("address.dat", Contacts().Bytes());
  const ProcessResult r = Run({"export", "address.dat", "--categories=7", "--output", "out.csv"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "0 register(s) were written and could not be sent!\n");
  EXPECT_EQ(File("out.csv"), "");
}

// Each --categories number is read as Brindle.conf's saved categories are: "+2" is 2, and
// what is no number is refused by name.
TEST_F(Cli, CategoriesAreReadAsTheConfigurationReadsThem) {
  Put("address.dat", Contacts().Bytes());
  const ProcessResult plain =
      Run({"export", "address.dat", "--categories", "2 5", "--output", "plain.csv"});
  const ProcessResult plus =
      Run({"export", "address.dat", "--categories", "+2 +5", "--output", "plus.csv"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(plain.out, "Wrote 2 register(s)!\n");
  EXPECT_EQ(plus.exitCode, 0) << plus.err;
  EXPECT_EQ(plus.out, plain.out);
  EXPECT_EQ(File("plus.csv"), File("plain.csv"));
  for (const std::string garbage : {"+", "2x", "++2", "+-2", "0x2", "99999999999"}) {
    const ProcessResult r = Run({"export", "address.dat", "--categories", "1 " + garbage});
    EXPECT_EQ(r.exitCode, 2) << garbage;
    EXPECT_NE(r.err.find("--categories holds \"" + garbage + "\", which is not a category number"),
              std::string::npos)
        << r.err;
  }
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
  Put("address.dat", Contacts().Bytes());
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"info"},
      {"info", "a", "b"},
      {"export", "address.dat"},
      {"export", "address.dat", "--categories", "two"},
      {"export", "address.dat", "--categories", ""},
      {"export", "address.dat", "--categories"},
      {"export", "address.dat", "--categories", "1", "--verbose"},
      {"export", "address.dat", "--categories", "1", "--output", "address.dat"},
      {"writeback", "address.dat"},
      {"writeback", "address.dat", "r.out", "--count", "-1"},
      {"sync", "address.dat", "--categories", "1", "--user", "demo", "--password", "x"},
      {"sync", "address.dat", "--categories", "1x", "--user", "demo"},
      {"sync", "address.dat", "--categories", "1"},
      {"drive", "--bogus"},
      {"drive", "a.scn", "b.scn"},
      {"drive", "--program-folder"},
  };
  for (const auto& args : cases) {
    const ProcessResult r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << (args.empty() ? "" : args[0]) << " " << r.err;
    EXPECT_NE(r.err.find("brindle-cli"), std::string::npos);
  }
  EXPECT_EQ(File("address.dat"), Contacts().Bytes());
}

TEST_F(Cli, DriveWithAScriptThatCannotBeOpenedExitsWithTwo) {
  const ProcessResult r = Run({"drive", "--program-folder", ".", "none.scn"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "drive: cannot open none.scn\n");
}

TEST_F(Cli, HelpDescribesEveryCommand) {
  const ProcessResult all = Run({"--help"});
  EXPECT_EQ(all.exitCode, 0);
  for (const char* command : {"info", "export", "writeback", "sample"}) {
    EXPECT_NE(all.out.find(std::string("  ") + command + " "), std::string::npos) << command;
    const ProcessResult one = Run({command, "--help"});
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_EQ(one.out.find(std::string("Usage: brindle-cli ") + command), 0u) << one.out;
  }
}

TEST_F(Cli, DamagedFileGivesTheOffsetAndExitOne) {
  DatBuilder b = Contacts();
  const std::size_t cut = b.ItemOffset(2, 30);
  Put("address.dat", test::Truncated(b.Bytes(), cut));
  Put("r.out", "10,900\n\n");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"export", "address.dat", "--categories", "2"}, {"writeback", "address.dat", "r.out"}}) {
    const ProcessResult r = Run(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("record 3"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("at offset " + std::to_string(cut)), std::string::npos) << r.err;
    EXPECT_EQ(File("address.dat"), test::Truncated(b.Bytes(), cut));
  }
  const ProcessResult missing = Run({"info", "nothing.dat"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("nothing.dat"), std::string::npos);
}

TEST_F(Cli, WriteBackCountsRowsByDefault) {
  Put("address.dat", Contacts().Bytes());
  Put("r.out", "11,db-11\n\n12,db-12\n\n");
  const ProcessResult r = Run({"writeback", "address.dat", "r.out"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Updated 2 record(s) in address.dat\n");
  DatBuilder want;
  want.Category(2, "Business").Category(5, "Caf\xE9 \x80").Category(7, "Empty");
  want.Record(RecordPlan(10, 2).Text(19, "Ann, \"A\""));
  want.Record(RecordPlan(11, 5).Text(19, "Bob").Status(2).Custom(9, "db-11"));
  want.Record(RecordPlan(12, 0).Text(19, "Cid").Status(2).Custom(9, "db-12"));
  want.Record(RecordPlan(13, 2).Text(19, "Dee").Status(129));
  EXPECT_EQ(File("address.dat"), want.Bytes());
}

TEST_F(Cli, WriteBackFailureLeavesTheFileAndNoTemporaryFile) {
  Put("address.dat", Contacts().Bytes());
  Put("r.out", "11,db-11\n\n12,db-12\n\n");
  const ProcessResult r = Run({"writeback", "address.dat", "r.out", "--count", "3"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("holds 2 row(s) but the export wrote 3"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("result file r.out"), std::string::npos) << r.err;
  EXPECT_EQ(File("address.dat"), Contacts().Bytes());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "address.dat.brindle-tmp"));
}

TEST_F(Cli, OutputThatCannotBeWrittenIsAFailure) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  Put("address.dat", Contacts().Bytes());
  const ProcessResult r = test::RunProcess(
      {"/bin/sh", "-c", std::string("exec '") + BRINDLE_CLI_PATH + "' info address.dat >/dev/full"},
      dir_.path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot write the output"), std::string::npos) << r.err;
}

TEST_F(Cli, SampleRefusesToReplaceAFile) {
  Put("address.dat", "precious");
  const ProcessResult r = Run({"sample", "address.dat"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(File("address.dat"), "precious");
  const ProcessResult made = Run({"sample", "new.dat", "--records", "25"});
  EXPECT_EQ(made.exitCode, 0) << made.err;
  const ProcessResult info = Run({"info", "new.dat"});
  EXPECT_EQ(info.out.substr(0, 26), "records: 25\ncategories: 5\n");
}

TEST_F(Cli, SampleMakesTheMissingFoldersOwnerOnly) {
  namespace fs = std::filesystem;
  const fs::perms before = fs::status(dir_.path()).permissions();
  const ProcessResult r = Run({"sample", "demo/inner/address.dat", "--records", "3"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Run({"info", "demo/inner/address.dat"}).out.substr(0, 11), "records: 3\n");
  for (const char* folder : {"demo", "demo/inner"}) {
    EXPECT_EQ(fs::status(dir_ / folder).permissions(), fs::perms::owner_all) << folder;
  }
  EXPECT_EQ(fs::status(dir_.path()).permissions(), before);
}

}  // namespace
}  // namespace brindle
