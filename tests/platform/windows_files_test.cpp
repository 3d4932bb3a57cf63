// The file functions as Windows runs them: folders named in any script, a second Brindle
// process holding the lock, files Windows marks read-only, hidden or hard-linked, and paths
// that the system's code page cannot hold. Run under Wine in the Windows build.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/backups.h"
#include "platform/code_page.h"
#include "platform/file_lock.h"
#include "platform/file_ops.h"
#include "platform/file_safety.h"
#include "platform/file_sync.h"
#include "platform/log_file.h"
#include "platform/program_folder.h"
#include "support/dat_builder.h"

// Last: it renames CreateDirectory to CreateDirectoryW, which FileOps does not have.
#include <windows.h>
// <windows.h> renames it to CreateDirectoryW, which FileOps does not have.
#undef CreateDirectory

namespace brindle::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::string MessageOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const FileError& e) {
    return e.what();
  }
  return "(no error)";
}

void Replace(const fs::path& target, const std::string& bytes, Backups* backups = nullptr) {
  Replacement replacement(target);
  std::FILE* out = replacement.OpenStream();
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
  ASSERT_EQ(std::fflush(out), 0);
  ASSERT_TRUE(SyncFile(out));
  ASSERT_EQ(std::fclose(out), 0);
  (void)replacement.Commit(backups, "writeback");
}

// Polish, Greek and Japanese: the first fits Windows-1250 only, the last no 8-bit code page.
class UnicodeFolderTest : public ::testing::TestWithParam<const char8_t*> {
 protected:
  TempDir dir_;
  fs::path folder_ = dir_.path() / GetParam();
};

TEST_P(UnicodeFolderTest, EveryFileBrindleMakesThereIsReadWrittenAndReplaced) {
  fs::create_directories(folder_);
  const fs::path dat = folder_ / u8"adresy-\u0142\u00f3d\u017a.dat";
  WriteFileBytes(dat, "old");
  RequireReplaceable(dat);
  Backups backups(folder_ / "prog" / "backups");
  {
    const FileLock lock(dat);
    EXPECT_TRUE(fs::exists(FileLock::LockPathFor(dat)));
    Replace(dat, "new", &backups);
  }
  EXPECT_EQ(ReadFileBytes(dat), "new");
  ASSERT_EQ(backups.List().size(), 1u);
  EXPECT_EQ(ReadFileBytes(backups.List()[0].path), "old");
  // The file it came from, recorded in UTF-8, names that file again.
  ASSERT_TRUE(backups.List()[0].source.has_value());
  EXPECT_TRUE(Backups::SourceIs(*backups.List()[0].source, dat));
  EXPECT_EQ(backups.ListFor(dat).size(), 1u);

  RealFileOps files;
  files.CreateDirectory(folder_ / "prog" / "tmp");
  files.WritePrivateFile(folder_ / "prog" / "Brindle.conf", "conf");
  EXPECT_EQ(files.ReadFile(folder_ / "prog" / "Brindle.conf"), "conf");
  files.Copy(dat, folder_ / "prog" / "tmp" / "copy.dat");
  MoveReplacing(files, folder_ / "prog" / "tmp" / "copy.dat", dat, &backups, "restore");
  EXPECT_EQ(ReadFileBytes(dat), "new");
  EXPECT_FALSE(fs::exists(folder_ / "prog" / "tmp" / "copy.dat"));
  AppendToLog(folder_ / "prog" / "Brindle.log", "line\n", 1024, 3);
  EXPECT_EQ(ReadFileBytes(folder_ / "prog" / "Brindle.log"), "line\n");
}

TEST_P(UnicodeFolderTest, TheUsersFolderUnderLocalAppDataIsMade) {
  const fs::path local = folder_ / "AppData" / "Local";
  const std::wstring before = _wgetenv(L"LOCALAPPDATA") ? _wgetenv(L"LOCALAPPDATA") : L"";
  ASSERT_TRUE(::SetEnvironmentVariableW(L"LOCALAPPDATA", local.c_str()));
  const fs::path made = UserProgramFolder();
  ::SetEnvironmentVariableW(L"LOCALAPPDATA", before.empty() ? nullptr : before.c_str());
  EXPECT_EQ(made, local / "Brindle");
  EXPECT_TRUE(fs::is_directory(made));
  EXPECT_TRUE(MayWriteInto(made));
}

INSTANTIATE_TEST_SUITE_P(Scripts, UnicodeFolderTest,
                         ::testing::Values(u8"\u0142\u00f3d\u017a",
                                           u8"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac",
                                           u8"\u65e5\u672c\u8a9e\u30d5\u30a9\u30eb\u30c0"));

TEST(WindowsCodePage, APathTheCodePageCannotHoldHasNoText) {
  // No 8-bit code page holds Japanese; a UTF-8 system code page holds everything.
  const fs::path japanese = fs::path(u8"C:\\\u65e5\u672c\\address.dat");
  if (::GetACP() == CP_UTF8) {
    EXPECT_EQ(PathFromText(ExactTextFromPath(japanese).value()), japanese);
  } else {
    EXPECT_FALSE(ExactTextFromPath(japanese).has_value());
    EXPECT_EQ(TextFromPath(japanese), "C:\\??\\address.dat");
  }
  EXPECT_EQ(CodePageName(),
            ::GetACP() == CP_UTF8 ? "UTF-8" : "Windows-" + std::to_string(::GetACP()));
}

TEST(WindowsCodePage, ACharacterBeyondTheBasicPlaneIsOneQuestionMark) {
  // UTF-16 holds it in two units; the user typed one character.
  if (::GetACP() == CP_UTF8) GTEST_SKIP() << "a UTF-8 system code page holds every character";
  EXPECT_EQ(Utf8ToCodePage("a\xF0\x9F\x98\x80"
                           "b"),
            "a?b");
  const fs::path smiling = fs::path(u8"C:\\\U0001F600\\address.dat");
  EXPECT_FALSE(ExactTextFromPath(smiling).has_value());
  EXPECT_EQ(TextFromPath(smiling), "C:\\?\\address.dat");
}

TEST(WindowsCodePage, TextsOfTheCodePageSurviveTheRoundTrip) {
  // Every byte the system's code page defines comes back as it went, through UTF-8.
  for (int b = 0x20; b < 0x100; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = CodePageToUtf8(byte);
    if (utf8 == "?" || utf8.empty()) continue;  // a lead byte of a two-byte code page
    EXPECT_EQ(Utf8ToCodePage(utf8), byte) << "byte " << b;
  }
}

TEST(WindowsRefusals, ReadOnlyHardLinkedAndFolderAreRefusedWithReasons) {
  TempDir dir;
  const fs::path dat = dir / "address.dat";
  WriteFileBytes(dat, "x");
  ASSERT_TRUE(::SetFileAttributesW(dat.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_NE(MessageOf([&] { RequireReplaceable(dat); }).find("read-only"), std::string::npos);
  ASSERT_TRUE(::SetFileAttributesW(dat.c_str(), FILE_ATTRIBUTE_NORMAL));

  ASSERT_TRUE(::CreateHardLinkW((dir / "second.dat").c_str(), dat.c_str(), nullptr));
  EXPECT_NE(MessageOf([&] { RequireReplaceable(dat); }).find("2 names (hard links)"),
            std::string::npos);

  fs::create_directory(dir / "folder.dat");
  EXPECT_NE(MessageOf([&] {
              std::fclose(OpenRegularForReading(dir / "folder.dat"));
            }).find("it is a folder"),
            std::string::npos);
}

TEST(WindowsReplace, TheReplacementKeepsTheHiddenAttributeAndLeavesNoTemporary) {
  TempDir dir;
  const fs::path dat = dir / "address.dat";
  WriteFileBytes(dat, "old");
  ASSERT_TRUE(::SetFileAttributesW(dat.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  Replace(dat, "new");
  EXPECT_EQ(ReadFileBytes(dat), "new");
  EXPECT_TRUE(::GetFileAttributesW(dat.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename(), "address.dat");
  }
}

TEST(WindowsReplace, ACopyReplacesAReadOnlyCopyBeforeIt) {
  TempDir dir;
  WriteFileBytes(dir / "a", "first");
  WriteFileBytes(dir / "b", "second");
  RealFileOps files;
  files.Copy(dir / "a", dir / "c");
  files.Copy(dir / "b", dir / "c");  // the runtime's copy_file fails here with "File exists"
  EXPECT_EQ(ReadFileBytes(dir / "c"), "second");
}

// ---- A second Brindle process ------------------------------------------------------------

constexpr wchar_t kHoldVariable[] = L"BRINDLE_TEST_HOLD_LOCK";

// Runs in the child process only: takes the lock of the named file, says so with a ".held"
// file, and keeps it until killed.
TEST(WindowsLockHolder, HoldsTheLockUntilKilled) {
  const wchar_t* file = _wgetenv(kHoldVariable);
  if (!file) GTEST_SKIP() << "the helper of FileLockAcrossProcesses, started by it";
  const FileLock lock{fs::path(file)};
  fs::path held = file;
  held += ".held";
  WriteFileBytes(held, "");
  std::this_thread::sleep_for(std::chrono::seconds(60));
}

class FileLockAcrossProcesses : public ::testing::Test {
 protected:
  void StartHolder() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
    std::wstring command =
        L"\"" + self + L"\" --gtest_filter=WindowsLockHolder.HoldsTheLockUntilKilled";
    ASSERT_TRUE(::SetEnvironmentVariableW(kHoldVariable, dat_.c_str()));
    STARTUPINFOW start{};
    start.cb = sizeof start;
    const BOOL made = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                                       CREATE_NO_WINDOW, nullptr, nullptr, &start, &child_);
    ::SetEnvironmentVariableW(kHoldVariable, nullptr);
    ASSERT_TRUE(made);
    fs::path held = dat_;
    held += ".held";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(held) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(fs::exists(held)) << "the second process never took the lock";
  }
  void KillHolder() {
    if (!child_.hProcess) return;
    ::TerminateProcess(child_.hProcess, 9);
    ::WaitForSingleObject(child_.hProcess, 10000);
    ::CloseHandle(child_.hProcess);
    ::CloseHandle(child_.hThread);
    child_ = {};
  }
  ~FileLockAcrossProcesses() override { KillHolder(); }

  TempDir dir_;
  fs::path dat_ = dir_.path() / u8"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.dat";
  PROCESS_INFORMATION child_{};
};

TEST_F(FileLockAcrossProcesses, AHeldLockRefusesThisRunButNotTheReadingOfTheFile) {
  WriteFileBytes(dat_, "contacts");
  StartHolder();
  EXPECT_THROW(FileLock{dat_}, FileInUse);
  // The lock sits on its own file: Windows' mandatory byte locks never stop the reader.
  EXPECT_EQ(ReadFileBytes(dat_), "contacts");
  RealFileOps files;
  EXPECT_EQ(files.ReadFile(dat_), "contacts");
  KillHolder();  // a killed run leaves no lock behind
  EXPECT_NO_THROW(FileLock{dat_});
}

TEST(FileLockInProcess, TheSameFileCannotBeLockedTwice) {
  TempDir dir;
  WriteFileBytes(dir / "address.dat", "x");
  FileLock first(dir / "address.dat");
  EXPECT_THROW(FileLock{dir / "address.dat"}, FileInUse);
  FileLock moved = std::move(first);
  EXPECT_THROW(FileLock{dir / "address.dat"}, FileInUse);
}

}  // namespace
}  // namespace brindle::platform
