// The write-back: the records it changes, the bytes it keeps, and that every failure leaves the
// user's file exactly as it was.
#include "address_file/rec_dat.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "address_file/dat_error.h"
#include "platform/file_replacement.h"
#include "support/dat_builder.h"
#include "support/posix_only.h"
#include "window/sync_run/write_back.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::DatBuilder;
using test::RecordPlan;

// An output that fails like a full disk once `capacity` bytes have been written.
class FullDiskOutput : public DatOutput {
 public:
  FullDiskOutput(std::FILE* file, const fs::path& path, std::int64_t capacity)
      : DatOutput(file, path), capacity_(capacity) {}

 protected:
  void WriteToFile(const char* data, std::size_t n) override {
    if (written_ + static_cast<std::int64_t>(n) > capacity_) {
      throw DatError("no space left on the device", written_);
    }
    written_ += static_cast<std::int64_t>(n);
    DatOutput::WriteToFile(data, n);
  }

 private:
  std::int64_t capacity_;
  std::int64_t written_ = 0;
};

class RecDatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    job_.datPath = dir_ / "address.dat";
    job_.resultFile = dir_ / "2_csv.tmp.out";
  }
  void Given(const DatBuilder& dat, const std::string& result, std::int32_t rows) {
    dat.WriteTo(job_.datPath);
    test::WriteFileBytes(job_.resultFile, result);
    job_.regCount = rows;
  }
  std::string Dat() const { return test::ReadFileBytes(job_.datPath); }
  // No new copy is left beside the address file (its lock file stays, as always).
  void ExpectNoStrayFiles() const {
    for (const auto& e : fs::directory_iterator(dir_.path())) {
      const std::string name = e.path().filename().string();
      EXPECT_TRUE(name == "address.dat" || name == "2_csv.tmp.out" ||
                  name == "address.dat.brindle-lock")
          << name;
    }
  }
  // The write-back as a run makes it: under the file's replacement.
  int RecDat(DatReader& reader, const WriteBackJob& job, const OutputFactory& makeOutput = {}) {
    platform::FileReplacement replacement(job.datPath, backups_);
    return WriteBackInto(replacement, reader, job, makeOutput);
  }

  test::TempDir dir_;
  test::TempDir program_;
  platform::Backups backups_{program_ / "backups"};
  WriteBackJob job_;
  DatReader reader_;
};

DatBuilder TwoRecords(const std::string& custom9For12 = "old", bool longForm = false) {
  DatBuilder b;
  b.Category(1, "Personal");
  RecordPlan r12(12, 1);
  r12.Status(5);
  if (longForm) {
    r12.LongText(47, custom9For12);
  } else {
    r12.Custom(9, custom9For12);
  }
  b.Record(r12).Record(RecordPlan(13, 1).Status(129)).Record(RecordPlan(14).Custom(9, "mine"));
  return b;
}

DatBuilder TwoRecordsAfter(const std::string& db12, const std::string& db13) {
  DatBuilder b;
  b.Category(1, "Personal");
  b.Record(RecordPlan(12, 1).Status(2).Custom(9, db12))
      .Record(RecordPlan(13, 1).Status(2).Custom(9, db13))
      .Record(RecordPlan(14).Custom(9, "mine"));
  return b;
}

TEST_F(RecDatTest, MatchedRecordsGetStatusTwoAndTheirDatabaseIds) {
  Given(TwoRecords(), "12,900\n\n13,901\n\n", 2);
  EXPECT_EQ(RecDat(reader_, job_), 2);
  EXPECT_EQ(Dat(), TwoRecordsAfter("900", "901").Bytes());
  EXPECT_FALSE(reader_.copying());
  ExpectNoStrayFiles();
}

TEST_F(RecDatTest, NoMatchGivesAnIdenticalFile) {
  const DatBuilder b = TwoRecords();
  Given(b, "99,900\n\n", 1);
  EXPECT_EQ(RecDat(reader_, job_), 0);
  EXPECT_EQ(Dat(), b.Bytes());
}

TEST_F(RecDatTest, LaterRowWinsAndThirdFieldIsIgnored) {
  Given(TwoRecords(), "12,800\n\n13,901,x\n\n12,900\n\n", 3);
  RecDat(reader_, job_);
  EXPECT_EQ(Dat(), TwoRecordsAfter("900", "901").Bytes());
}

TEST_F(RecDatTest, LongFormCustom9BecomesAOneByteLengthText) {
  Given(TwoRecords(std::string(400, 'L'), true), "12,900\n\n13,901\n\n", 2);
  RecDat(reader_, job_);
  EXPECT_EQ(Dat(), TwoRecordsAfter("900", "901").Bytes());
}

TEST_F(RecDatTest, BytesAfterTheRecordsAreKept) {
  DatBuilder b = TwoRecords();
  b.EndMarker().Trailing(std::string("\x00\x01tail", 6));
  DatBuilder want = TwoRecordsAfter("900", "901");
  want.EndMarker().Trailing(std::string("\x00\x01tail", 6));
  Given(b, "12,900\n\n13,901\n\n", 2);
  RecDat(reader_, job_);
  EXPECT_EQ(Dat(), want.Bytes());

  // Records beyond the header's count are kept as they are too.
  DatBuilder shortCount = TwoRecords();
  shortCount.RecordCount(1);
  Given(shortCount, "12,900\n\n", 1);
  RecDat(reader_, job_);
  DatBuilder wantShort;
  wantShort.Category(1, "Personal")
      .Record(RecordPlan(12, 1).Status(2).Custom(9, "900"))
      .Record(RecordPlan(13, 1).Status(129))
      .Record(RecordPlan(14).Custom(9, "mine"))
      .RecordCount(1);
  EXPECT_EQ(Dat(), wantShort.Bytes());
}

TEST_F(RecDatTest, EveryFailureLeavesTheFileUnchangedAndRemovesTheCopy) {
  const DatBuilder good = TwoRecords();
  const std::string truncated = test::Truncated(good.Bytes(), good.ItemOffset(2, 50));
  const struct {
    std::string dat;
    std::string result;
    std::int32_t rows;
    bool resultMissing;
  } cases[] = {
      {good.Bytes(), "", 1, true},                                       // result file missing
      {good.Bytes(), "12,900\n\n13,901\n\n", 1, false},                  // more rows than lines
      {good.Bytes(), "12,900\n\n", 2, false},                            // fewer rows
      {good.Bytes(), "12\n\n", 1, false},                                // no comma
      {good.Bytes(), "abc,900\n\n", 1, false},                           // id not a number
      {good.Bytes(), "12," + std::string(255, 'x') + "\n\n", 1, false},  // id too long
      {truncated, "12,900\n\n", 1, false},                               // file ends in a record
      {good.Bytes(), "14,ok\n\n99,a\nb\n\n", 2, false},  // unsafe id in a row naming no record
  };
  for (const auto& c : cases) {
    test::WriteFileBytes(job_.datPath, c.dat);
    fs::remove(job_.resultFile);
    if (!c.resultMissing) test::WriteFileBytes(job_.resultFile, c.result);
    job_.regCount = c.rows;
    EXPECT_THROW(RecDat(reader_, job_), std::exception) << c.result;
    EXPECT_EQ(Dat(), c.dat) << c.result;
    ExpectNoStrayFiles();
    EXPECT_FALSE(reader_.copying());
  }
}

TEST_F(RecDatTest, RowsForRecordsNotExportedAreIgnored) {
  // Record 14 was not exported: the service may not change it, nor records it invents.
  Given(TwoRecords(), "12,900\n\n14,evil\n\n99,x\n\n", 3);
  job_.exportedIds = std::unordered_set<std::int32_t>{12, 13};
  EXPECT_EQ(RecDat(reader_, job_), 1);
  DatBuilder want;
  want.Category(1, "Personal")
      .Record(RecordPlan(12, 1).Status(2).Custom(9, "900"))
      .Record(RecordPlan(13, 1).Status(129))
      .Record(RecordPlan(14).Custom(9, "mine"));
  EXPECT_EQ(Dat(), want.Bytes());
}

#ifndef _WIN32  // inode numbers are POSIX's
ino_t InodeOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_ino;
}

TEST_F(RecDatTest, NothingToChangeLeavesTheFileItself) {
  const DatBuilder b = TwoRecords();
  Given(b, "14,evil\n\n", 1);
  job_.exportedIds = std::unordered_set<std::int32_t>{12, 13};
  const ino_t before = InodeOf(job_.datPath);
  EXPECT_EQ(RecDat(reader_, job_), 0);
  // Still the same file (not a copy renamed over it), and as it was.
  EXPECT_EQ(InodeOf(job_.datPath), before);
  EXPECT_EQ(Dat(), b.Bytes());
  ExpectNoStrayFiles();
}
#endif

TEST_F(RecDatTest, FullDiskAtAnyPointLeavesTheFileUnchanged) {
  DatBuilder b;
  for (int id = 1; id <= 300; ++id) {
    b.Record(RecordPlan(id).Text(24, std::string(500, 'n')).Custom(9, "x"));
  }
  const std::string before = b.Bytes();
  for (std::int64_t capacity :
       {std::int64_t{0}, std::int64_t{100}, std::int64_t{65536}, std::int64_t{65537},
        static_cast<std::int64_t>(before.size()) - 1}) {
    Given(b, "1,a\n\n300,b\n\n", 2);
    const OutputFactory full = [capacity](std::FILE* f, const fs::path& p) {
      return std::make_unique<FullDiskOutput>(f, p, capacity);
    };
    EXPECT_THROW(RecDat(reader_, job_, full), platform::ReplacementError) << capacity;
    EXPECT_EQ(Dat(), before) << capacity;
    ExpectNoStrayFiles();
  }
}

TEST_F(RecDatTest, FileMissingIsAnErrorAndCreatesNothing) {
  test::WriteFileBytes(job_.resultFile, "1,a\n\n");
  job_.regCount = 1;
  EXPECT_THROW(RecDat(reader_, job_), platform::FileError);
  EXPECT_FALSE(fs::exists(job_.datPath));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
}

TEST_F(RecDatTest, ThroughASymbolicLinkTheTargetIsReplacedAndTheLinkKept) {
  BRINDLE_POSIX_ONLY("Symbolic links for every user");
  Given(TwoRecords(), "12,900\n\n13,901\n\n", 2);
  fs::create_directory(dir_ / "real");
  fs::rename(job_.datPath, dir_ / "real" / "address.dat");
  fs::create_symlink(dir_ / "real" / "address.dat", job_.datPath);
  RecDat(reader_, job_);
  EXPECT_TRUE(fs::is_symlink(job_.datPath));
  EXPECT_EQ(test::ReadFileBytes(dir_ / "real" / "address.dat"),
            TwoRecordsAfter("900", "901").Bytes());
}

TEST_F(RecDatTest, KeepsTheFilePermissions) {
  BRINDLE_POSIX_ONLY("Permission bits beyond read-only");
  Given(TwoRecords(), "12,900\n\n", 1);
  fs::permissions(job_.datPath, fs::perms::owner_read | fs::perms::owner_write);
  RecDat(reader_, job_);
  EXPECT_EQ(fs::status(job_.datPath).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace brindle
