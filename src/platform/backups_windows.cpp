#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/backups_native.h"
#include "platform/file_safety.h"
#include "platform/owned_file.h"
#include "platform/unique_handle.h"
#include "platform/win_error.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

// The file's identity; false when it cannot be opened. `follow` false opens a link itself.
bool IdentityOf(const fs::path& path, bool follow, BY_HANDLE_FILE_INFORMATION& info) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  const UniqueHandle handle(::CreateFileW(Wide(path), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, flags, nullptr));
  return handle && ::GetFileInformationByHandle(handle.get(), &info);
}

// A failure with the system's reason; a full disk is told apart as on other systems.
Made Failed(DWORD err, const std::string& what = "") {
  const bool full = err == ERROR_DISK_FULL || err == ERROR_HANDLE_DISK_FULL;
  return {Made::kFailed, what.empty() ? SystemMessage(err) : what + ": " + SystemMessage(err),
          full ? std::make_error_code(std::errc::no_space_on_device)
               : std::error_code(static_cast<int>(err), std::system_category())};
}

}  // namespace

bool SameContent(const fs::path& a, const fs::path& b) {
  FilePtr fa, fb;
  try {
    fa.reset(OpenRegularForReading(a));
    fb.reset(OpenRegularForReading(b));
  } catch (const FileError&) {
    return false;
  }
  std::vector<char> ca(256 * 1024), cb(ca.size());
  for (;;) {
    const std::size_t na = std::fread(ca.data(), 1, ca.size(), fa.get());
    const std::size_t nb = std::fread(cb.data(), 1, cb.size(), fb.get());
    if (na != nb || std::memcmp(ca.data(), cb.data(), na) != 0) return false;
    if (na < ca.size()) return !std::ferror(fa.get()) && !std::ferror(fb.get());
  }
}

bool SameFile(const fs::path& a, const fs::path& b) {
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  return IdentityOf(a, false, ia) && IdentityOf(b, true, ib) &&
         ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

Made LinkFile(const fs::path& from, const fs::path& to) {
  if (::CreateHardLinkW(Wide(to), Wide(from), nullptr)) return {};
  const DWORD err = ::GetLastError();
  if (err == ERROR_ALREADY_EXISTS || err == ERROR_FILE_EXISTS) return {Made::kNameTaken, "", {}};
  if (err == ERROR_NOT_SAME_DEVICE || err == ERROR_INVALID_FUNCTION || err == ERROR_NOT_SUPPORTED ||
      err == ERROR_TOO_MANY_LINKS || err == ERROR_ACCESS_DENIED) {
    return {Made::kCannotLink, "", {}};
  }
  return Failed(err);
}

Made CopyPrivately(const fs::path& from, const fs::path& to) {
  if (!::CopyFileW(Wide(from), Wide(to), TRUE)) {
    const DWORD err = ::GetLastError();
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) return {Made::kNameTaken, "", {}};
    return Failed(err, "cannot copy " + from.string() + " to " + to.string());
  }
  const UniqueHandle copy(::CreateFileW(Wide(to), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!copy || !::FlushFileBuffers(copy.get())) {
    const DWORD err = ::GetLastError();
    ::DeleteFileW(Wide(to));
    return Failed(err, "cannot copy " + from.string() + " to " + to.string());
  }
  return {};
}

Made CreateExclusively(const fs::path& to, const std::string& bytes) {
  UniqueHandle file(::CreateFileW(Wide(to), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD err = ::GetLastError();
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) return {Made::kNameTaken, "", {}};
    return Failed(err, "cannot create " + to.string());
  }
  DWORD written = 0;
  const bool ok =
      ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size() && ::FlushFileBuffers(file.get());
  if (ok) return {};
  const DWORD err = ::GetLastError();
  file = UniqueHandle();
  ::DeleteFileW(Wide(to));
  return Failed(err, "cannot write " + to.string());
}

// Files under the user's profile are private already; a backup must not stay read-only or
// hidden because the address file was, or the pruning could not remove it.
void MakeOwnerOnly(const fs::path& path) {
  ::SetFileAttributesW(Wide(path), FILE_ATTRIBUTE_NORMAL);
}

void RemoveBackupFile(const fs::path& path) { ::DeleteFileW(Wide(path)); }

}  // namespace brindle::platform
