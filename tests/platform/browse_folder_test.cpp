#include "platform/browse_folder.h"

#include <gtest/gtest.h>

#include "support/dat_builder.h"

namespace brindle::platform {
namespace {

namespace fs = std::filesystem;

TEST(BrowseStartFolder, PalmDesktopsFolderFirstThenHome) {
  test::TempDir dir;
  const fs::path x86 = dir / "Program Files (x86)";
  const fs::path wide = dir / "Program Files";
  const fs::path home = dir / "home";
  for (const fs::path& folder : {x86, wide, home}) fs::create_directories(folder);
  fs::create_directories(dir / "both (x86)" / "Palm" / "Owner" / "address");
  fs::create_directories(dir / "both" / "Palm");
  fs::create_directories(dir / "only64" / "Palm");
  fs::create_directories(dir / "file");
  test::WriteFileBytes(dir / "file" / "Palm", "not a folder");

  struct Case {
    const char* what;
    UserFolders folders;
    fs::path expected;
  };
  const Case cases[] = {
      {"no Palm folder anywhere", {x86, wide, home}, home},
      {"32-bit programs' Palm first",
       {dir / "both (x86)", dir / "both", home},
       dir / "both (x86)" / "Palm"},
      {"64-bit programs' Palm", {x86, dir / "only64", home}, dir / "only64" / "Palm"},
      {"only %ProgramFiles% set", {{}, dir / "only64", home}, dir / "only64" / "Palm"},
      {"a file named Palm is no folder", {dir / "file", {}, home}, home},
      {"POSIX: no program folders", {{}, {}, home}, home},
      {"nothing known", {}, fs::path()},
  };
  for (const Case& c : cases) EXPECT_EQ(BrowseStartFolder(c.folders), c.expected) << c.what;
}

}  // namespace
}  // namespace brindle::platform
