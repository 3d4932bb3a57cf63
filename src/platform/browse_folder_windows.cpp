#include <windows.h>

#include <string>

#include "platform/browse_folder.h"

namespace brindle::platform {

namespace {

std::filesystem::path Variable(const wchar_t* name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(::GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

}  // namespace

UserFolders ThisUsersFolders() {
  return {Variable(L"ProgramFiles(x86)"), Variable(L"ProgramFiles"), Variable(L"USERPROFILE")};
}

}  // namespace brindle::platform
