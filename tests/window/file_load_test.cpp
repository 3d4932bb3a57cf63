// Loading an address file: the list, the counts, the pre-selection, the failure ending and
// the files the load leaves behind.
#include "platform/code_page.h"
#include "platform/file_lock.h"
#include "support/posix_only.h"
#include "window_fixture.h"

namespace brindle::test {
namespace {

using platform::FileError;
using test::FileOp;

class FileLoadTest : public WindowTest {
 protected:
  // Unless the test started the window itself, it starts with nothing saved; what the
  // start-up did is not the load's.
  void Load(const std::string& path) {
    if (!started()) {
      StartAndShow();
      windowing.ClearCalls();
      files.ClearCalls();
    }
    // Typed afresh: after a failed load only a change of the path makes "Load File" usable.
    Window().Type(names::txtFile, "");
    Window().Type(names::txtFile, path);
    Window().Click(names::btnLoad);
  }
  std::vector<std::string> Items() {
    std::vector<std::string> items;
    for (const ListEntry& e : Window().categoryList().entries()) items.push_back(e.text);
    return items;
  }
  std::vector<int> Selected() {
    std::vector<int> selected;
    for (int i = 0; i < Window().categoryList().size(); ++i) {
      if (Window().categoryList().entries()[static_cast<std::size_t>(i)].selected)
        selected.push_back(i);
    }
    return selected;
  }
  // Whether a load's copy (address.dat.brindle-tmp-<random>.new) is in the program folder.
  bool LoadCopyLeft() const {
    for (const auto& e : std::filesystem::directory_iterator(dir / "prog")) {
      if (e.path().extension() == ".new") return true;
    }
    return false;
  }
  void ExpectFailureEnding() {
    FrmBrindle& w = Window();
    ASSERT_FALSE(messageBox.shown().empty());
    EXPECT_EQ(messageBox.shown().back().text, "Palm Desktop address.dat file Problem!");
    EXPECT_EQ(messageBox.shown().back().title, "File Path Error");
    for (const Control* c : {&w.control(names::txtFile), &w.control(names::btnFile),
                             &w.control(names::btnExit), &w.control(names::btnConfig)}) {
      EXPECT_TRUE(c->enabled()) << c->name();
    }
    for (const char* name : {"btnLoad", "lstCategory", "btnExt_markall", "txtAuth_login",
                             "txtAuth_pass", "btnExt_export"}) {
      const Control* c = w.Find(name);
      EXPECT_FALSE(c->enabled()) << c->name();
    }
  }
};

TEST_F(FileLoadTest, FillsTheListAndCountsAndPreselectsSavedCategories) {
  std::filesystem::create_directory(Prog("tmp"));
  const std::string path = WriteAddressFile();
  const std::string original = ReadFileBytes(path);
  StartWithSaved("7 5 0 42");
  FrmBrindle& w = Window();
  w.Type(names::txtAuth_login, "u");
  w.Type(names::txtAuth_pass, "p");
  Load(path);
  EXPECT_EQ(Items(),
            (std::vector<std::string>{"Business", "Family", "Friends", "Quick List", "Unfiled"}));
  EXPECT_EQ(w.categoryList().entries()[2].itemData, 7);
  EXPECT_EQ(w.categoryList().entries()[4].itemData, 0);
  EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(w.selectedCategories(), (SelCat{"", "5", "7", "", "0"}));
  EXPECT_EQ(w.control(names::lblNum_cat).text(), "5");
  EXPECT_EQ(w.control(names::lblNum_reg).text(), "5");
  EXPECT_EQ(w.control(names::lblExt_num_selected).text(), "1");  // set to 1 per match, not counted
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_FALSE(w.control(names::lblStatus_File).visible());
  EXPECT_TRUE(w.categoryList().enabled());
  // The file read is kept as a backup copy; the user's path holds the identical copy.
  EXPECT_EQ(ReadFileBytes(Tmp("address.bkp")), original);
  EXPECT_EQ(ReadFileBytes(path), original);
  EXPECT_FALSE(LoadCopyLeft());
}

TEST_F(FileLoadTest, PaintsTheEmptyListAndTheReadingNoteBeforeReading) {
  Load(WriteAddressFile());
  const auto& calls = windowing.calls();
  EXPECT_EQ(calls, (std::vector<std::string>{"repaint lstCategory", "repaint lblNum_cat",
                                             "repaint lblStatus_File"}));
}

TEST_F(FileLoadTest, AFileWithoutCategoriesNeverPreselectsUnfiled) {
  StartWithSaved("0");
  Load(WriteAddressFile(DatBuilder().Record(RecordPlan(1, 0)).EndMarker()));
  EXPECT_EQ(Items(), (std::vector<std::string>{"Unfiled"}));
  EXPECT_EQ(Window().control(names::lblNum_cat).text(), "1");
  EXPECT_TRUE(Selected().empty());
  EXPECT_EQ(Window().selectedCategories(), (SelCat{""}));
}

TEST_F(FileLoadTest, OnlyUnfiledSavedSelectsItWithoutTouchingTheCount) {
  StartWithSaved("0");
  Load(WriteAddressFile());
  FrmBrindle& w = Window();
  for (int entry : {0, 1}) {
    w.ClickListEntry(entry, true);
    w.MouseUp(names::lstCategory);
  }
  ASSERT_EQ(w.control(names::lblExt_num_selected).text(), "3");  // with Unfiled
  w.Click(names::btnLoad);
  EXPECT_EQ(Selected(), (std::vector<int>{4}));
  EXPECT_EQ(w.selectedCategories().back(), "0");
  EXPECT_EQ(w.control(names::lblExt_num_selected).text(), "3");
}

TEST_F(FileLoadTest, BlanksOrAMissingFileEndInTheFailureEnding) {
  for (const std::string& path : {std::string("   "), (dir / "missing.dat").string()}) {
    Load(path);
    ExpectFailureEnding();
    EXPECT_FALSE(Window().control(names::lblStatus_File).visible())
        << "the copy failed before the read";
  }
}

TEST_F(FileLoadTest, ADamagedFileLeavesItUntouchedAndRemovesTheCopy) {
  const std::string bytes = Sample().Bytes();
  const std::string path = (dir / "address.dat").string();
  WriteFileBytes(path, Truncated(bytes, Sample().HeaderSize() - 3));
  Load(path);
  ExpectFailureEnding();
  EXPECT_TRUE(Window().control(names::lblStatus_File).visible());
  EXPECT_EQ(ReadFileBytes(path), Truncated(bytes, Sample().HeaderSize() - 3));
  EXPECT_FALSE(LoadCopyLeft());
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.bkp")));
}

TEST_F(FileLoadTest, ASavedEntryThatIsNoNumberFailsTheLoad) {
  StartWithSaved("5 five");
  Load(WriteAddressFile());
  ExpectFailureEnding();
  EXPECT_EQ(Items(), (std::vector<std::string>{"Business"}));  // as far as it came
}

// A Brindle.conf edited by hand may hold a "+" the program never writes: "+5" is category 5,
// "+0" the unfiled records.
TEST_F(FileLoadTest, ASavedEntryWithAPlusSignSelectsItsCategory) {
  StartWithSaved("+5 +0");
  Load(WriteAddressFile());
  EXPECT_EQ(Selected(), (std::vector<int>{1, 4}));
  EXPECT_EQ(Window().control(names::lblExt_num_selected).text(), "1");
}

TEST_F(FileLoadTest, ASecondLoadReplacesTheBackupWithTheFileThenAtThePath) {
  std::filesystem::create_directory(Prog("tmp"));
  const std::string path = WriteAddressFile();
  Load(path);
  DatBuilder changed = Sample();
  changed.Category(11, "New");
  WriteFileBytes(path, changed.Bytes());
  Window().Click(names::btnLoad);
  EXPECT_EQ(ReadFileBytes(Tmp("address.bkp")), changed.Bytes());
  EXPECT_EQ(ReadFileBytes(path), changed.Bytes());
  EXPECT_EQ(Window().control(names::lblNum_cat).text(), "6");
}

TEST_F(FileLoadTest, ACrossDeviceSwapCopiesBesideTheFileAndRenamesThere) {
  std::filesystem::create_directory(Prog("tmp"));
  const std::string path = WriteAddressFile();
  files.Plant({FileOp::Rename, ".new", FileError::Kind::CrossDevice});
  Load(path);
  EXPECT_EQ(ReadFileBytes(path), Sample().Bytes());
  EXPECT_FALSE(LoadCopyLeft());
  const auto& calls = files.calls();
  const std::string renamedBeside = "rename " + path + ".brindle-tmp-";
  const auto rename = std::find_if(calls.begin(), calls.end(), [&](const std::string& call) {
    return call.rfind(renamedBeside, 0) == 0 && call.substr(call.size() - path.size()) == path;
  });
  ASSERT_NE(rename, calls.end());
  const std::string temp = rename->substr(7, rename->find(" -> ") - 7);
  EXPECT_FALSE(std::filesystem::exists(temp));
}

TEST_F(FileLoadTest, ThroughALinkTheSwapReplacesTheTargetAndKeepsTheLink) {
  BRINDLE_POSIX_ONLY("Symbolic links for every user");
  std::filesystem::create_directory(Prog("tmp"));
  std::filesystem::create_directory(dir / "palm");
  const std::string real = WriteAddressFile(Sample(), "palm/address.dat");
  std::filesystem::create_symlink(real, dir / "address.dat");
  Load((dir / "address.dat").string());
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "address.dat"));
  EXPECT_EQ(ReadFileBytes(real), Sample().Bytes());
  EXPECT_EQ(ReadFileBytes(Tmp("address.bkp")), Sample().Bytes());
  EXPECT_EQ(Window().control(names::lblNum_cat).text(), "5");
}

TEST_F(FileLoadTest, AFileInUseReadOnlyOrHardLinkedIsRefusedAndLeftAlone) {
  std::filesystem::create_directory(Prog("tmp"));
  const std::string path = WriteAddressFile();
  {
    const platform::FileLock held(path);  // another run is replacing the file
    Load(path);
    ExpectFailureEnding();
  }
  std::filesystem::permissions(path, std::filesystem::perms(0444));
  Load(path);
  ExpectFailureEnding();
  std::filesystem::permissions(path, std::filesystem::perms(0600));
  std::filesystem::create_hard_link(path, dir / "second-name.dat");
  Load(path);
  ExpectFailureEnding();
  EXPECT_EQ(messageBox.shown().size(), 3u);
  EXPECT_EQ(ReadFileBytes(path), Sample().Bytes());
  EXPECT_FALSE(LoadCopyLeft());
  EXPECT_FALSE(std::filesystem::exists(Tmp("address.bkp")));
}

TEST_F(FileLoadTest, AFailedSwapLeavesTheUsersFileInPlaceAndTheBackupACopy) {
  std::filesystem::create_directory(Prog("tmp"));
  const std::string path = WriteAddressFile();
  files.Plant({FileOp::Rename, ""});
  Load(path);
  // The original was only ever copied: the exit clean-up cannot take the only copy.
  EXPECT_EQ(ReadFileBytes(path), Sample().Bytes());
  EXPECT_EQ(ReadFileBytes(Tmp("address.bkp")), Sample().Bytes());
  EXPECT_TRUE(LoadCopyLeft());
  EXPECT_TRUE(Window().categoryList().enabled());  // the load itself succeeded
  Window().CloseMain();
  EXPECT_EQ(ReadFileBytes(path), Sample().Bytes());
}

// brindle-cli sync sharing the program folder loads another file while this load reads; its
// swap fails and leaves its copy. Each file must still end with its own contacts.
TEST_F(FileLoadTest, TwoLoadsOfDifferentFilesSharingTheProgramFolderEachKeepTheirOwnContacts) {
  std::filesystem::create_directory(Prog("tmp"));
  DatBuilder theirs = Sample();
  theirs.Category(11, "Theirs");
  const std::string mine = WriteAddressFile(Sample(), "mine.dat");
  const std::string other = WriteAddressFile(theirs, "theirs.dat");
  PlatformDoubles cli;
  FrmBrindle second(cli.Platform(), dir / "prog");
  second.Form_Load();
  second.Click(names::Command1);
  cli.files.Plant({FileOp::Rename, ""});
  StartAndShow();
  files.After(FileOp::Copy, [&] {
    second.Type(names::txtFile, other);
    ASSERT_TRUE(second.Click(names::btnLoad));
  });
  Window().Type(names::txtFile, mine);
  ASSERT_TRUE(Window().Click(names::btnLoad));
  EXPECT_TRUE(ReadFileBytes(mine) == Sample().Bytes()) << "mine.dat holds other contacts";
  EXPECT_TRUE(ReadFileBytes(other) == theirs.Bytes()) << "theirs.dat holds other contacts";
  EXPECT_EQ(Window().control(names::lblNum_cat).text(), "5");
}

TEST_F(FileLoadTest, TheExitRemovesTheCopyItsFailedSwapLeftButNoOtherLoadsCopy) {
  std::filesystem::create_directory(Prog("tmp"));
  const std::string path = WriteAddressFile();
  const auto othersCopy = Prog("address.dat.brindle-tmp-0123456789ab.new");
  WriteFileBytes(othersCopy, "another load's copy");
  files.Plant({FileOp::Rename, ""});
  StartAndShow();
  Window().Type(names::txtFile, path);
  ASSERT_TRUE(Window().Click(names::btnLoad));
  const auto copies = [this] {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir / "prog")) {
      n += e.path().extension() == ".new" ? 1 : 0;
    }
    return n;
  };
  ASSERT_EQ(copies(), 2);
  Window().CloseMain();
  EXPECT_EQ(copies(), 1);
  EXPECT_EQ(ReadFileBytes(othersCopy), "another load's copy");
  EXPECT_EQ(ReadFileBytes(path), Sample().Bytes());
}

TEST_F(FileLoadTest, AMistypedPathLeavesNoLockFileInTheUsersFolder) {
  StartAndShow();
  Window().Type(names::txtFile, (dir / "missing.dat").string());
  ASSERT_TRUE(Window().Click(names::btnLoad));
  ExpectFailureEnding();
  EXPECT_FALSE(std::filesystem::exists(dir / "missing.dat.brindle-lock"));
}

TEST_F(FileLoadTest, BrowseFillsThePathStoresItAndFocusesLoad) {
  StartAndShow();
  FrmBrindle& w = Window();
  w.Type(names::txtFile, "/start/here");
  fileDialog.QueueResult("/chosen/addr\xC3\xA9.dat");
  w.Click(names::btnFile);
  ASSERT_EQ(fileDialog.calls().size(), 1u);
  EXPECT_EQ(fileDialog.calls()[0].initialDir, "/start/here");
  EXPECT_EQ(fileDialog.calls()[0].filter, "*.dat | *.dat");
  EXPECT_EQ(w.control(names::txtFile).text(), "/chosen/addr\xE9.dat");  // held as Windows-1252
  EXPECT_TRUE(w.control(names::btnLoad).enabled());
  EXPECT_EQ(w.focus(), "btnLoad");
  EXPECT_EQ(Conf(), "/chosen/addr\xE9.dat\r\n\r\n\r\n\r\n");
  EXPECT_TRUE(w.categoryList().entries().empty());  // nothing loaded yet
}

TEST_F(FileLoadTest, BrowsingToAFileTheCodePageCannotNameIsRefusedNotSavedWithMarks) {
  StartAndShow();
  FrmBrindle& w = Window();
  TypeAndLeave(names::txtFile, "/old.dat");
  // Japanese, which no 8-bit code page holds: saved, it would come back as "/??/address.dat".
  fileDialog.QueueResult("/\xE6\x97\xA5\xE6\x9C\xAC/address.dat");
  w.Click(names::btnFile);
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].title, "File Path Error");
  EXPECT_NE(messageBox.shown()[0].text.find("cannot be named in " + platform::CodePageName()),
            std::string::npos);
  EXPECT_EQ(w.control(names::txtFile).text(), "/old.dat");
  EXPECT_EQ(Conf(), "/old.dat\r\n\r\n\r\n\r\n");
}

TEST_F(FileLoadTest, CancellingBrowseEmptiesThePath) {
  StartAndShow();
  FrmBrindle& w = Window();
  w.Type(names::txtFile, "/old.dat");
  EXPECT_TRUE(w.control(names::btnLoad).enabled());
  w.Click(names::btnFile);
  EXPECT_EQ(w.control(names::txtFile).text(), "");
  EXPECT_FALSE(w.control(names::btnLoad).enabled());
  EXPECT_EQ(w.focus(), "txtFile");
}

}  // namespace
}  // namespace brindle::test
