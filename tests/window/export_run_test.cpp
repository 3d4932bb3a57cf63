// The export run behind "SYNC": its checks, the export file, the endings and the hand-over.
#include "platform/file_lock.h"
#include "support/posix_only.h"
#include "window_fixture.h"

namespace brindle::test {
namespace {

// What the export run locks while it works and unlocks when it ends.
constexpr const char* kLockedDuringARun[] = {
    names::btnExit,        names::btnConfig,     names::txtFile,
    names::btnFile,        names::btnLoad,       names::lstCategory,
    names::btnExt_markall, names::txtAuth_login, names::txtAuth_pass};

class ExportRunTest : public WindowTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(Prog("tmp"));
    handOver = [this](const ExportedFile& file) { HandedOver(file); };
  }
  // Unless the test started the window itself, it starts with only a user name and a
  // password saved.
  void LoadSample(const DatBuilder& builder = Sample()) {
    if (!started()) StartWithSaved("", "u", "p");
    Window().Type(names::txtFile, WriteAddressFile(builder));
    Window().Click(names::btnLoad);
  }
  void Select(int index, bool on = true) {
    Window().ClickListEntry(index, on);
    Window().MouseUp(names::lstCategory);
  }
  // What the sync run would find when it takes over.
  void HandedOver(const ExportedFile& file) {
    FrmBrindle& w = Window();
    ++handOvers;
    handed = file;
    EXPECT_FALSE(w.control(names::btnExt_export).enabled());
    EXPECT_EQ(w.control(names::btnExt_export).text(), "Processing, wait the end!");
    for (const char* name : kLockedDuringARun) EXPECT_FALSE(w.Find(name)->enabled()) << name;
    EXPECT_EQ(file.datPath, (dir / "address.dat").string());
    EXPECT_EQ(file.csvPath, Tmp(file.csvName));
    csvAtHandOver = ReadFileBytes(Tmp(file.csvName));
  }
  int handOvers = 0;
  ExportedFile handed;
  std::string csvAtHandOver;
};

TEST_F(ExportRunTest, WritesTheChosenCategoriesAndHandsOver) {
  LoadSample();
  Select(1);  // Family: one record, the other has status 129
  Select(4);  // Unfiled
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  ASSERT_EQ(handOvers, 1);
  EXPECT_EQ(handed.csvName, "5_csv.tmp");
  EXPECT_EQ(handed.lines, 2);
  EXPECT_EQ(w.control(names::lblCSV_Status).text(), "Wrote 2 register(s)!");
  EXPECT_EQ(std::count(csvAtHandOver.begin(), csvAtHandOver.end(), '\n'), 2);
  EXPECT_EQ(csvAtHandOver.rfind("\"102\",", 0), 0u);  // file order: 102 before 103
  EXPECT_NE(csvAtHandOver.find("\"103\","), std::string::npos);
}

TEST_F(ExportRunTest, FallsBackToTheSavedCategoriesAndIgnoresThoseBeyondTheTable) {
  StartWithSaved("9 7 2 5 0 0 0", "u", "p");  // seven entries, five slots
  LoadSample();
  FrmBrindle& w = Window();
  w.Click(
      names::btnExt_markall);  // the load chose the saved categories; Mark All twice clears them
  w.Click(names::btnExt_markall);
  ASSERT_EQ(w.categoryList().selectedCount(), 0);
  w.Click(names::btnExt_export);
  ASSERT_EQ(handOvers, 1);
  EXPECT_EQ(w.selectedCategories(), (SelCat{"9", "7", "2", "5", "0"}));  // by position
  EXPECT_EQ(handed.lines, 4);
  EXPECT_EQ(w.categoryList().selectedCount(), 0);
}

TEST_F(ExportRunTest, NothingChosenAndNothingSavedAsksForACategory) {
  LoadSample();
  FrmBrindle& w = Window();
  Select(3);  // Quick List has no records: the run leaves its count in the status line
  w.Click(names::btnExt_export);
  ASSERT_NE(w.control(names::lblCSV_Status).text(), "");
  w.Click(names::btnExt_markall);  // Mark All twice leaves nothing chosen and "SYNC" available
  w.Click(names::btnExt_markall);
  ASSERT_TRUE(w.SetFocus(names::txtFile));
  w.Click(names::btnExt_export);
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text, "You have to select at list one Category!");
  EXPECT_EQ(messageBox.shown()[0].title, "Select some categories from the list");
  EXPECT_EQ(w.focus(), "lstCategory");
  EXPECT_EQ(w.control(names::lblCSV_Status).text(), "");
  EXPECT_EQ(handOvers, 0);
  EXPECT_EQ(w.control(names::btnExt_export).text(), "SYNC");
}

TEST_F(ExportRunTest, AnEmptyPathAsksForOne) {
  LoadSample();
  Select(0);
  FrmBrindle& w = Window();
  w.Type(names::txtFile, "");
  w.Click(names::btnExt_export);
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text, "You have to select a valid Import PATH!");
  EXPECT_EQ(messageBox.shown()[0].title, "Select a valid Import Path");
  EXPECT_EQ(handOvers, 0);
}

TEST_F(ExportRunTest, ZeroLinesLeaveAnEmptyFileAndGiveTheWindowBack) {
  LoadSample();
  Select(3);  // Quick List has no records
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  EXPECT_EQ(handOvers, 0);
  EXPECT_EQ(w.control(names::lblCSV_Status).text(),
            "0 register(s) were written and could not be sent!");
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(w.control(names::btnExt_export).text(), "SYNC");
  EXPECT_TRUE(w.categoryList().enabled());
  EXPECT_EQ(ReadFileBytes(Tmp("5_csv.tmp")), "");
}

TEST_F(ExportRunTest, AMissingAddressFileSaysTheDatFileFailedAndKeepsSyncDisabled) {
  LoadSample();
  Select(0);
  FrmBrindle& w = Window();
  w.Type(names::txtFile, (dir / "gone.dat").string());
  w.Click(names::btnExt_export);
  EXPECT_EQ(w.control(names::lblCSV_Status).text(),
            "Error... There is some problem with the DAT file!");
  EXPECT_EQ(w.control(names::btnExt_export).text(), "SYNC");
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  for (const char* name : kLockedDuringARun) EXPECT_TRUE(w.Find(name)->enabled()) << name;
  EXPECT_EQ(handOvers, 0);
  EXPECT_FALSE(std::filesystem::exists(Tmp("5_csv.tmp")));
}

TEST_F(ExportRunTest, AnExportFileThatCannotBeWrittenSaysTheOutputFileFailed) {
  LoadSample();
  Select(0);
  std::filesystem::remove_all(Prog("tmp"));
  WriteFileBytes(Prog("tmp"), "");  // a file where the folder should be
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  EXPECT_EQ(w.control(names::lblCSV_Status).text(),
            "Error... There is some problem with the output file!");
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  EXPECT_TRUE(w.categoryList().enabled());
  EXPECT_EQ(handOvers, 0);
}

TEST_F(ExportRunTest, AFileAnotherRunIsReplacingSaysTheDatFileFailedAndWritesNothing) {
  LoadSample();
  Select(0);
  FrmBrindle& w = Window();
  {
    const platform::FileLock held(dir / "address.dat");
    w.Click(names::btnExt_export);
  }
  EXPECT_EQ(w.control(names::lblCSV_Status).text(),
            "Error... There is some problem with the DAT file!");
  EXPECT_EQ(handOvers, 0);
  EXPECT_FALSE(std::filesystem::exists(Tmp("5_csv.tmp")));
}

TEST_F(ExportRunTest, TheRunHoldsTheFileUntilItEndsAndItsExportIsOwnerOnly) {
  LoadSample();
  Select(0);
  FrmBrindle& w = Window();
  bool heldDuringRun = false;
  handOver = [&](const ExportedFile&) {
    heldDuringRun = true;
    try {
      platform::FileLock second(dir / "address.dat");
      heldDuringRun = false;
    } catch (const platform::FileInUse&) {
    }
    if (test::kPosixFiles) {
      EXPECT_EQ(std::filesystem::status(Tmp("5_csv.tmp")).permissions(),
                std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
  };
  w.Click(names::btnExt_export);
  EXPECT_TRUE(heldDuringRun);
  EXPECT_NO_THROW(platform::FileLock after(dir / "address.dat"));  // released at the end
}

TEST_F(ExportRunTest, AFailureTheSyncRunLeavesUnhandledSaysTheOutputFileFailed) {
  LoadSample();
  Select(0);
  FrmBrindle& w = Window();
  int linesHandedOver = 0;
  handOver = [&](const ExportedFile& file) {
    linesHandedOver = file.lines;
    throw std::runtime_error("reply is not a number");
  };
  w.Click(names::btnExt_export);
  EXPECT_EQ(w.control(names::lblCSV_Status).text(),
            "Error... There is some problem with the output file!");
  EXPECT_EQ(linesHandedOver, 1);  // counted before the hand-over
  EXPECT_TRUE(w.control(names::txtFile).enabled());
}

TEST_F(ExportRunTest, StopsAtTheEndOfRecordsEvenWhenTheHeaderPromisesMore) {
  DatBuilder builder = Sample();
  builder.RecordCount(9);
  LoadSample(builder);
  Select(4);  // Unfiled would match the end marker read as a record
  Window().Click(names::btnExt_export);
  ASSERT_EQ(handOvers, 1);
  EXPECT_EQ(handed.lines, 1);
  EXPECT_EQ(handed.csvName, "9_csv.tmp");
}

TEST_F(ExportRunTest, ANonNumberSavedEntryInTheFallbackSaysTheOutputFileFailed) {
  // Only a file without categories loads with such an entry saved: the load checks every
  // saved entry against each category.
  StartWithSaved("abc", "u", "p");
  LoadSample(DatBuilder().Record(RecordPlan(1, 0)).EndMarker());
  Select(0);  // "SYNC" becomes available; Mark All twice then leaves nothing chosen
  Window().Click(names::btnExt_markall);
  Window().Click(names::btnExt_markall);
  Window().Click(names::btnExt_export);
  EXPECT_EQ(Window().control(names::lblCSV_Status).text(),
            "Error... There is some problem with the output file!");
}

}  // namespace
}  // namespace brindle::test
