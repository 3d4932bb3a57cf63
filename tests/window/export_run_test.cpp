// The export run behind "SYNC": its checks, the export file, the endings and the hand-over.
#include "platform/file_lock.h"
#include "support/posix_only.h"
#include "window_fixture.h"

namespace brindle::test {
namespace {

class ExportRunTest : public WindowTest {
 protected:
  void SetUp() override {
    WriteConf("");
    std::filesystem::create_directory(Prog("tmp"));
    FrmBrindle& w = Window();
    w.sendFileStep = [this] { HandedOver(); };
    w.TypeText(w.txtAuth_login, "u");
    w.TypeText(w.txtAuth_pass, "p");
  }
  void LoadSample(const DatBuilder& builder = Sample()) {
    Window().txtFile.SetText(WriteAddressFile(builder));
    Window().FileLoad();
  }
  void Select(int index) {
    Window().ClickListEntry(index, true);
    Window().lstCategory_MouseUp();
  }
  // What the sync run would find when it takes over.
  void HandedOver() {
    FrmBrindle& w = Window();
    ++handOvers;
    EXPECT_FALSE(w.btnExt_export.enabled());
    EXPECT_EQ(w.btnExt_export.text(), "Processing, wait the end!");
    EXPECT_FALSE(w.txtFile.enabled());
    EXPECT_FALSE(w.lstCategory.enabled());
    EXPECT_EQ(w.strDat_path, (dir / "address.dat").string());
    EXPECT_EQ(w.varCsv_path, Tmp(w.varCsv_name));
    csvAtHandOver = ReadFileBytes(Tmp(w.varCsv_name));
  }
  int handOvers = 0;
  std::string csvAtHandOver;
};

TEST_F(ExportRunTest, WritesTheChosenCategoriesAndHandsOver) {
  LoadSample();
  Select(1);  // Family: one record, the other has status 129
  Select(4);  // Unfiled
  FrmBrindle& w = Window();
  w.btnExt_export_Click();
  ASSERT_EQ(handOvers, 1);
  EXPECT_EQ(w.varCsv_name, "5_csv.tmp");
  EXPECT_EQ(w.intReg_count, 2);
  EXPECT_EQ(w.lblCSV_Status.text(), "Wrote 2 register(s)!");
  EXPECT_EQ(std::count(csvAtHandOver.begin(), csvAtHandOver.end(), '\n'), 2);
  EXPECT_EQ(csvAtHandOver.rfind("\"102\",", 0), 0u);  // file order: 102 before 103
  EXPECT_NE(csvAtHandOver.find("\"103\","), std::string::npos);
}

TEST_F(ExportRunTest, FallsBackToTheSavedCategoriesAndIgnoresThoseBeyondTheTable) {
  LoadSample();
  FrmBrindle& w = Window();
  w.varSaved_cat = {"7", "", "2", "5", "9", "0", "0"};  // seven entries, five slots
  w.btnExt_export_Click();
  ASSERT_EQ(handOvers, 1);
  EXPECT_EQ(w.varSel_cat, (SelCat{"7", "", "2", "5", "9"}));
  EXPECT_EQ(w.intReg_count, 3);
  EXPECT_EQ(w.lstCategory.selectedCount(), 0);
}

TEST_F(ExportRunTest, NothingChosenAndNothingSavedAsksForACategory) {
  LoadSample();
  FrmBrindle& w = Window();
  w.FullLayoutAtStart();
  w.ShowMain();
  w.lblCSV_Status.SetText("old");
  w.btnExt_export_Click();
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text, "You have to select at list one Category!");
  EXPECT_EQ(messageBox.shown()[0].title, "Select some categories from the list");
  EXPECT_EQ(w.focus(), "lstCategory");
  EXPECT_EQ(w.lblCSV_Status.text(), "");
  EXPECT_EQ(handOvers, 0);
  EXPECT_EQ(w.btnExt_export.text(), "SYNC");
}

TEST_F(ExportRunTest, AnEmptyPathAsksForOne) {
  FrmBrindle& w = Window();
  w.btnExt_export_Click();
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text, "You have to select a valid Import PATH!");
  EXPECT_EQ(messageBox.shown()[0].title, "Select a valid Import Path");
  EXPECT_EQ(handOvers, 0);
}

TEST_F(ExportRunTest, ZeroLinesLeaveAnEmptyFileAndGiveTheWindowBack) {
  LoadSample();
  Select(3);  // Quick List has no records
  FrmBrindle& w = Window();
  w.intReg_count = 9;
  w.btnExt_export_Click();
  EXPECT_EQ(handOvers, 0);
  EXPECT_EQ(w.lblCSV_Status.text(), "0 register(s) were written and could not be sent!");
  EXPECT_TRUE(w.btnExt_export.enabled());
  EXPECT_EQ(w.btnExt_export.text(), "SYNC");
  EXPECT_TRUE(w.lstCategory.enabled());
  EXPECT_EQ(w.intReg_count, 9);
  EXPECT_EQ(ReadFileBytes(Tmp("5_csv.tmp")), "");
}

TEST_F(ExportRunTest, AMissingAddressFileTakesPathA) {
  LoadSample();
  Select(0);
  FrmBrindle& w = Window();
  w.txtFile.SetText((dir / "gone.dat").string());
  w.btnExt_export_Click();
  EXPECT_EQ(w.lblCSV_Status.text(), "Error... There is some problem with the DAT file!");
  EXPECT_EQ(w.btnExt_export.text(), "SYNC");
  EXPECT_FALSE(w.btnExt_export.enabled());
  EXPECT_TRUE(w.txtFile.enabled());
  EXPECT_EQ(handOvers, 0);
  EXPECT_FALSE(std::filesystem::exists(Tmp("5_csv.tmp")));
}

TEST_F(ExportRunTest, AnExportFileThatCannotBeWrittenTakesPathB) {
  LoadSample();
  Select(0);
  std::filesystem::remove_all(Prog("tmp"));
  WriteFileBytes(Prog("tmp"), "");  // a file where the folder should be
  FrmBrindle& w = Window();
  w.btnExt_export_Click();
  EXPECT_EQ(w.lblCSV_Status.text(), "Error... There is some problem with the output file!");
  EXPECT_FALSE(w.btnExt_export.enabled());
  EXPECT_TRUE(w.lstCategory.enabled());
  EXPECT_EQ(handOvers, 0);
}

TEST_F(ExportRunTest, AFileAnotherRunIsReplacingTakesPathAAndWritesNothing) {
  LoadSample();
  Select(0);
  FrmBrindle& w = Window();
  {
    const platform::FileLock held(dir / "address.dat");
    w.btnExt_export_Click();
  }
  EXPECT_EQ(w.lblCSV_Status.text(), "Error... There is some problem with the DAT file!");
  EXPECT_EQ(handOvers, 0);
  EXPECT_FALSE(std::filesystem::exists(Tmp("5_csv.tmp")));
}

TEST_F(ExportRunTest, TheRunHoldsTheFileUntilItEndsAndItsExportIsOwnerOnly) {
  LoadSample();
  Select(0);
  FrmBrindle& w = Window();
  bool heldDuringRun = false;
  w.sendFileStep = [&] {
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
  w.btnExt_export_Click();
  EXPECT_TRUE(heldDuringRun);
  EXPECT_NO_THROW(platform::FileLock after(dir / "address.dat"));  // released at the end
}

TEST_F(ExportRunTest, AFailureTheSyncRunLeavesUnhandledTakesPathB) {
  LoadSample();
  Select(0);
  FrmBrindle& w = Window();
  w.sendFileStep = [] { throw std::runtime_error("reply is not a number"); };
  w.btnExt_export_Click();
  EXPECT_EQ(w.lblCSV_Status.text(), "Error... There is some problem with the output file!");
  EXPECT_EQ(w.intReg_count, 1);  // stored before the hand-over
  EXPECT_TRUE(w.txtFile.enabled());
}

TEST_F(ExportRunTest, StopsAtTheEndOfRecordsEvenWhenTheHeaderPromisesMore) {
  DatBuilder builder = Sample();
  builder.RecordCount(9);
  LoadSample(builder);
  Select(4);  // Unfiled would match the end marker read as a record
  Window().btnExt_export_Click();
  ASSERT_EQ(handOvers, 1);
  EXPECT_EQ(Window().intReg_count, 1);
  EXPECT_EQ(Window().varCsv_name, "9_csv.tmp");
}

TEST_F(ExportRunTest, ANonNumberSavedEntryInTheFallbackTakesPathB) {
  LoadSample();
  Window().varSaved_cat = {"abc"};
  Window().btnExt_export_Click();
  EXPECT_EQ(Window().lblCSV_Status.text(), "Error... There is some problem with the output file!");
}

}  // namespace
}  // namespace brindle::test
