// brindle-cli backups and restore: a restore puts an older version back and is itself undone
// by restoring the version it replaced.
#include <gtest/gtest.h>

#include <sstream>

#include "cli_fixture.h"
#include "support/dat_builder.h"
#include "support/process.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

class CliBackups : public test::CliTest {
 protected:
  // Every command here keeps its backups in the test's own program folder.
  test::ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.end(), {"--program-folder", (dir_ / "prog").string()});
    return CliTest::Run(std::move(args));
  }
  // Backup names, newest first, as the listing gives them (of FILE, when given).
  std::vector<std::string> Names(const std::string& file = "") {
    const auto listed = file.empty() ? Run({"backups"}) : Run({"backups", file});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    std::vector<std::string> names;
    std::istringstream lines(listed.out);
    std::string line;
    while (std::getline(lines, line)) {
      if (line.rfind("address-", 0) == 0) names.push_back(line.substr(0, line.find('\t')));
    }
    return names;
  }
  std::string Dat() { return File("address.dat"); }
};

TEST_F(CliBackups, ARestoreIsUndoneByRestoringTheVersionItReplaced) {
  ASSERT_EQ(
      test::RunProcess({BRINDLE_CLI_PATH, "sample", "address.dat", "--records", "6"}, dir_.path())
          .exitCode,
      0);
  const std::string original = Dat();
  test::WriteFileBytes(dir_ / "r.out", "8400001,DB1\n\n");
  ASSERT_EQ(Run({"writeback", "address.dat", "r.out"}).exitCode, 0);
  const std::string written = Dat();
  ASSERT_NE(written, original);
  ASSERT_EQ(Names().size(), 1u);
  EXPECT_NE(Run({"backups"})
                .out.find("writeback\t" + std::to_string(original.size()) + " bytes\t6 records"),
            std::string::npos);

  const auto restored = Run({"restore", Names()[0], "address.dat"});
  ASSERT_EQ(restored.exitCode, 0) << restored.err;
  EXPECT_EQ(Dat(), original);
  const auto names = Names();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_NE(names[0].find("-restore"), std::string::npos);

  ASSERT_EQ(Run({"restore", names[0], "address.dat"}).exitCode, 0);
  EXPECT_EQ(Dat(), written);
  EXPECT_EQ(fs::hard_link_count(dir_ / "address.dat"), 1u);
}

TEST_F(CliBackups, ABackupThatIsNotAnAddressFileIsRefusedAndTheFileKept) {
  ASSERT_EQ(
      test::RunProcess({BRINDLE_CLI_PATH, "sample", "address.dat", "--records", "3"}, dir_.path())
          .exitCode,
      0);
  const std::string before = Dat();
  test::WriteFileBytes(dir_ / "junk.dat", "not an address file");
  const auto result = Run({"restore", (dir_ / "junk.dat").string(), "address.dat"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("is not a readable address file"), std::string::npos) << result.err;
  EXPECT_EQ(Dat(), before);
}

TEST_F(CliBackups, AFilesBackupsAreListedAndRestoredForItAloneOldOnesAsFileUnknown) {
  for (const char* name : {"alice.dat", "bob.dat"}) {
    ASSERT_EQ(test::RunProcess({BRINDLE_CLI_PATH, "sample", name, "--records", "4"}, dir_.path())
                  .exitCode,
              0);
    test::WriteFileBytes(dir_ / "r.out", "8400001,DB1\n\n");
    ASSERT_EQ(Run({"writeback", name, "r.out"}).exitCode, 0);
  }
  const std::string bobWritten = File("bob.dat");
  // An earlier Brindle's backup, which did not record its file: alice's before the write-back.
  ASSERT_EQ(Names("alice.dat").size(), 1u);
  const std::string old = "address-2026-01-01T00-00-00.000-load.dat";
  fs::copy_file(dir_ / "prog" / "backups" / Names("alice.dat")[0], dir_ / "prog" / "backups" / old);
  ASSERT_EQ(Names().size(), 3u);
  const auto bobs = Names("bob.dat");
  ASSERT_EQ(bobs.size(), 2u);
  EXPECT_EQ(bobs[1], old);
  const auto alices = Names("alice.dat");
  ASSERT_EQ(alices.size(), 2u);
  EXPECT_NE(alices[0], bobs[0]);
  EXPECT_NE(Run({"backups", "alice.dat"}).out.find(old + "\t"), std::string::npos);
  EXPECT_NE(Run({"backups", "alice.dat"}).out.find("records\tfile unknown\n"), std::string::npos);

  struct Case {
    std::string backup;
    int exitCode;
    std::string said;  // on stdout when restored, on stderr when refused
  };
  const std::string before = File("alice.dat");
  const std::vector<Case> cases = {
      {bobs[0], 1, "is a backup of " + (dir_ / "bob.dat").string() + ", not of "},
      {old, 0, "1 record(s) lost their service id"},
      {alices[0], 0, "Restored alice.dat from"},
  };
  for (const Case& c : cases) {
    const auto result = Run({"restore", c.backup, "alice.dat"});
    EXPECT_EQ(result.exitCode, c.exitCode) << c.backup << ": " << result.err;
    EXPECT_NE((c.exitCode == 0 ? result.out : result.err).find(c.said), std::string::npos)
        << result.out << result.err;
    if (c.exitCode != 0) {
      EXPECT_EQ(File("alice.dat"), before);
    }
  }
  EXPECT_EQ(File("bob.dat"), bobWritten);
}

}  // namespace
}  // namespace brindle
