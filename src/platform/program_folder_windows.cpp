#include <string>
#include <system_error>

#include "platform/file_safety.h"
#include "platform/program_folder.h"
#include "platform/unique_handle.h"
#include "platform/win_error.h"

namespace brindle::platform {

namespace fs = std::filesystem;

fs::path ExecutableFolder(const char* argv0) {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) break;
    if (n < name.size()) return fs::path(name.substr(0, n)).parent_path();
    name.resize(name.size() * 2);  // cut short: a longer name
  }
  std::error_code ec;
  return fs::absolute(argv0 ? argv0 : "", ec).parent_path();
}

bool IsSystemFolder(const fs::path&) { return false; }

// Access lists decide, which only an attempt reads correctly: a file that vanishes on close.
bool MayWriteInto(const fs::path& folder) {
  const UniqueHandle probe(
      ::CreateFileW(Wide(UniqueSiblingPath(folder / "probe")), GENERIC_WRITE, 0, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return static_cast<bool>(probe);
}

fs::path UserProgramFolder() {
  std::wstring base(32768, L'\0');
  const DWORD n =
      ::GetEnvironmentVariableW(L"LOCALAPPDATA", base.data(), static_cast<DWORD>(base.size()));
  base.resize(n < base.size() ? n : 0);
  if (base.empty()) {
    const DWORD m = ::GetEnvironmentVariableW(L"USERPROFILE", nullptr, 0);
    std::wstring profile(m, L'\0');
    profile.resize(::GetEnvironmentVariableW(L"USERPROFILE", profile.data(), m));
    base = (fs::path(profile) / "AppData" / "Local").wstring();
  }
  std::error_code ec;
  fs::create_directories(base, ec);
  fs::path folder = fs::path(base) / "Brindle";
  ::CreateDirectoryW(Wide(folder), nullptr);  // an existing folder is kept as it is
  return folder;
}

}  // namespace brindle::platform
