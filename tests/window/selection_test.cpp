// Keeping the chosen categories in step with the list, and "Mark All".
#include <stdexcept>

#include "window_fixture.h"

namespace brindle::test {
namespace {

class SelectionTest : public WindowTest {
 protected:
  void SetUp() override {
    StartWithSaved("", "u", "p");
    FrmBrindle& w = Window();
    w.Type(names::txtFile, WriteAddressFile());
    w.Click(names::btnLoad);
  }
  std::string StoredCategory() { return FirstFourValues(Conf()).at(1); }
  static std::vector<std::string> FirstFourValues(const std::string& conf) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = conf.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(conf.substr(start, end - start));
    }
    return lines;
  }
  void Click(int index, bool on) {
    Window().ClickListEntry(index, on);
    Window().MouseUp(names::lstCategory);
  }
};

TEST_F(SelectionTest, SelectingAndUnselectingKeepsTableCountButtonAndStoredValue) {
  FrmBrindle& w = Window();
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  Click(1, true);
  Click(4, true);
  EXPECT_EQ(w.selectedCategories(), (SelCat{"", "5", "", "", "0"}));
  EXPECT_EQ(w.control(names::lblExt_num_selected).text(), "2");
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(StoredCategory(), "5 0");
  Click(1, false);
  Click(4, false);
  EXPECT_EQ(w.selectedCategories(), (SelCat{"", "", "", "", ""}));
  EXPECT_EQ(w.control(names::lblExt_num_selected).text(), "0");
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(StoredCategory(), "");
}

TEST_F(SelectionTest, AKeyThatOnlyMovesToAnUnselectedEntryBlanksNothingButStores) {
  FrmBrindle& w = Window();
  Click(0, true);
  std::filesystem::remove(Prog("Brindle.conf"));
  w.ClickListEntry(3, false);  // the caret moves onto an unselected entry
  w.KeyUp(names::lstCategory);
  EXPECT_EQ(w.selectedCategories(), (SelCat{"2", "", "", "", ""}));
  EXPECT_EQ(StoredCategory(), "2");
}

TEST_F(SelectionTest, SelectingWithoutLoginDoesNotEnableSync) {
  FrmBrindle& w = Window();
  w.Type(names::txtAuth_pass, "");
  Click(2, true);
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(w.selectedCategories()[2], "7");
}

TEST_F(SelectionTest, MarkAllMarksEveryEntryThenUnmarksThemAll) {
  FrmBrindle& w = Window();
  const bool syncBefore = w.control(names::btnExt_export).enabled();
  w.Click(names::btnExt_markall);
  EXPECT_EQ(w.categoryList().selectedCount(), 5);
  EXPECT_EQ(w.selectedCategories(), (SelCat{"2", "5", "7", "9", "0"}));
  EXPECT_EQ(w.control(names::lblExt_num_selected).text(), "5");
  EXPECT_EQ(StoredCategory(), "2 5 7 9 0");
  EXPECT_EQ(w.control(names::btnExt_export).enabled(), syncBefore);
  w.Click(names::btnExt_markall);
  EXPECT_EQ(w.categoryList().selectedCount(), 0);
  EXPECT_EQ(w.selectedCategories(), (SelCat{"", "", "", "", ""}));
  EXPECT_EQ(w.control(names::lblExt_num_selected).text(), "0");
  EXPECT_EQ(StoredCategory(), "");
  EXPECT_EQ(w.control(names::btnExt_export).enabled(), syncBefore);
  w.Click(names::btnExt_markall);
  EXPECT_EQ(w.categoryList().selectedCount(), 5);
}

// The chosen-category table can hold one number several times, in texts that differ: "SYNC"
// with nothing chosen copies the saved entries into it by position, and a saved entry is any
// text that reads as a number.
class SavedDuplicatesTest : public WindowTest {};

TEST_F(SavedDuplicatesTest, UnselectingBlanksEverySlotWithThatNumber) {
  const std::string path = WriteAddressFile();
  WriteConf(path + "\r\n5 5 2 05\r\nu\r\np\r\n");  // answered No: the full layout
  // The export's hand-over fails, which gives the window back with the table as filled.
  handOver = [](const ExportedFile&) { throw std::runtime_error("stopped after the export"); };
  StartAndShow();
  FrmBrindle& w = Window();
  w.Click(
      names::btnExt_markall);  // the load chose the saved categories; Mark All twice clears them
  w.Click(names::btnExt_markall);
  ASSERT_TRUE(w.Click(names::btnExt_export));
  ASSERT_EQ(w.selectedCategories(), (SelCat{"5", "5", "2", "05", ""}));
  w.ClickListEntry(1, false);
  w.MouseUp(names::lstCategory);
  EXPECT_EQ(w.selectedCategories(), (SelCat{"", "", "2", "", ""}));
}

class NothingLoadedTest : public WindowTest {};

TEST_F(NothingLoadedTest, MarkAllDoesNothing) {
  WriteConf("\r\n3\r\nc\r\nd\r\n");
  StartAndShow();
  FrmBrindle& w = Window();
  w.Click(names::btnExt_markall);
  EXPECT_TRUE(w.selectedCategories().empty());
  EXPECT_EQ(Conf(), "\r\n3\r\nc\r\nd\r\n");
  w.Type(names::txtFile, WriteAddressFile());
  w.Click(names::btnLoad);
  w.Click(names::btnExt_markall);  // its first click once a file is loaded still marks
  EXPECT_EQ(w.categoryList().selectedCount(), 5);
}

TEST_F(NothingLoadedTest, RecalculationWithoutACurrentEntryUpdatesCountAndStoredValueOnly) {
  // A load that fails on a damaged header empties the list but leaves the chosen categories
  // and their count from the load before.
  StartAndShow();
  FrmBrindle& w = Window();
  const std::string path = WriteAddressFile();
  w.Type(names::txtFile, path);
  w.Click(names::btnLoad);
  w.ClickListEntry(2, true);
  w.MouseUp(names::lstCategory);
  WriteFileBytes(path, Truncated(Sample().Bytes(), Sample().HeaderSize() - 3));
  w.Click(names::btnLoad);
  ASSERT_EQ(w.categoryList().size(), 0);
  ASSERT_EQ(w.control(names::lblExt_num_selected).text(), "1");
  std::filesystem::remove(Prog("Brindle.conf"));
  w.KeyUp(names::lstCategory);
  EXPECT_EQ(w.control(names::lblExt_num_selected).text(), "0");
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(w.selectedCategories(), (SelCat{"", "", "7", "", ""}));
  EXPECT_EQ(Conf(), "\r\n7\r\n\r\n\r\n");
}

}  // namespace
}  // namespace brindle::test
