// The file functions on Windows. Files Brindle makes under the user's profile are private by
// default there, so no access lists are set; what Windows can tell is refused as on POSIX
// systems: folders and devices, read-only files, files with a second name, planted links.
#include <fcntl.h>
#include <io.h>

#include <optional>
#include <string>

#include "platform/backups.h"
#include "platform/file_safety.h"
#include "platform/win_error.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

// The attributes a replacement carries over from the file it replaces.
constexpr DWORD kCarried = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                           FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

[[noreturn]] void FailWith(const std::string& what, const fs::path& path, DWORD err) {
  throw FileError(what, path, SystemCode(err), SystemMessage(err));
}

[[noreturn]] void Fail(const std::string& what, const fs::path& path) {
  FailWith(what, path, ::GetLastError());
}

[[noreturn]] void Refuse(const fs::path& path, const std::string& why) {
  throw FileError(path.string() + " " + why);
}

struct Facts {
  DWORD attributes = 0;
  DWORD links = 1;
  DWORD type = FILE_TYPE_DISK;
};

Facts FactsOf(HANDLE handle, const fs::path& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info)) Fail("cannot examine", path);
  return {info.dwFileAttributes, info.nNumberOfLinks, ::GetFileType(handle)};
}

// What the path names, its links followed; a folder is opened too.
Facts Examine(const fs::path& path) {
  const UniqueHandle handle(::CreateFileW(
      Wide(path), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) Fail("cannot find", path);
  return FactsOf(handle.get(), path);
}

void RequireRegular(const fs::path& path, const Facts& facts) {
  if (facts.attributes & FILE_ATTRIBUTE_DIRECTORY) {
    Refuse(path, "is not a regular file (it is a folder)");
  }
  if (facts.type != FILE_TYPE_DISK) Refuse(path, "is not a regular file (it is a device)");
}

// A stdio stream that takes over `handle`.
std::FILE* StreamOver(UniqueHandle handle, int flags, const char* mode, const fs::path& path) {
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), flags | _O_BINARY);
  if (fd < 0) throw FileError("cannot open " + path.string());
  (void)handle.release();  // the descriptor owns it now
  std::FILE* file = ::_fdopen(fd, mode);
  if (!file) {
    ::_close(fd);
    throw FileError("cannot open " + path.string());
  }
  return file;
}

UniqueHandle CreateExclusive(const fs::path& path) {
  // CREATE_NEW never opens what is there, a link included. Others may read and rename it,
  // as a rename over the user's file needs, but not write it.
  UniqueHandle handle(::CreateFileW(Wide(path), GENERIC_WRITE | GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) Fail("cannot create", path);
  return handle;
}

void SetAttributes(const fs::path& path, DWORD attributes) {
  const DWORD wanted = attributes & kCarried;
  if (!::SetFileAttributesW(Wide(path), wanted ? wanted : FILE_ATTRIBUTE_NORMAL)) {
    Fail("cannot set the attributes of", path);
  }
}

}  // namespace

void RequireRegularFile(const fs::path& path) { RequireRegular(path, Examine(path)); }

void RequireReplaceable(const fs::path& target) {
  const Facts facts = Examine(target);
  RequireRegular(target, facts);
  if (facts.attributes & FILE_ATTRIBUTE_READONLY) {
    Refuse(target, "is read-only; Brindle does not change a read-only address file");
  }
  if (facts.links > 1) {
    Refuse(target, "has " + std::to_string(facts.links) +
                       " names (hard links); replacing it would leave the other names holding "
                       "the old contacts");
  }
}

std::FILE* OpenRegularForReading(const fs::path& path) {
  // Others may go on reading, writing, renaming or replacing the file while Brindle reads it.
  UniqueHandle handle(::CreateFileW(Wide(path), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) Fail("cannot open", path);
  RequireRegular(path, FactsOf(handle.get(), path));
  return StreamOver(std::move(handle), _O_RDONLY, "rb", path);
}

NativeFile CreatePrivateNative(const fs::path& path) {
  if (!::DeleteFileW(Wide(path))) {
    const DWORD err = ::GetLastError();
    if (err != ERROR_FILE_NOT_FOUND && err != ERROR_PATH_NOT_FOUND) {
      FailWith("cannot replace", path, err);
    }
  }
  return CreateExclusive(path);
}

std::FILE* CreatePrivateFile(const fs::path& path) {
  return StreamOver(CreatePrivateNative(path), _O_WRONLY, "wb", path);
}

bool WriteAllTo(const NativeFile& file, const char* bytes, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > (1U << 30) ? (1U << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

void AppendOwnerOnly(const fs::path& path, const std::string& text, const std::string& what) {
  const UniqueHandle handle(::CreateFileW(Wide(path), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                          FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) {
    throw FileError("cannot open " + what + " " + path.string() + ": " +
                    SystemMessage(::GetLastError()));
  }
  const Facts facts = FactsOf(handle.get(), path);
  if ((facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || facts.type != FILE_TYPE_DISK) {
    throw FileError("cannot open " + what + " " + path.string() + ": it is not a regular file");
  }
  if (!WriteAllTo(handle, text.data(), text.size())) {
    throw FileError("cannot write " + what + " " + path.string());
  }
}

void EnsurePrivateFolder(const fs::path& folder) {
  if (!::CreateDirectoryW(Wide(folder), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    Fail("cannot create the folder", folder);
  }
  const DWORD attributes = ::GetFileAttributesW(Wide(folder));
  if (attributes == INVALID_FILE_ATTRIBUTES) Fail("cannot examine the folder", folder);
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    throw FileError(
        "Brindle does not use the folder " + folder.string() + ": it is a symbolic link",
        FileError::Kind::Unsafe);
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    throw FileError("cannot use " + folder.string() + " as a folder: something else stands there");
  }
}

void KeepOwnerAndMode(const fs::path& model, const fs::path& file) {
  SetAttributes(file, Examine(model).attributes);
}

Replacement::Replacement(const fs::path& target) : target_(target) {
  mode_ = Examine(target).attributes;
  path_ = UniqueSiblingPath(target);
  file_ = CreateExclusive(path_);
}

Replacement::~Replacement() {
  file_ = UniqueHandle();
  if (!committed_) ::DeleteFileW(Wide(path_));
}

std::FILE* Replacement::OpenStream() {
  HANDLE copy = nullptr;
  const HANDLE self = ::GetCurrentProcess();
  if (!::DuplicateHandle(self, file_.get(), self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    Fail("cannot open", path_);
  }
  return StreamOver(UniqueHandle(copy), _O_WRONLY, "wb", path_);
}

bool Replacement::Commit(Backups* backups, const std::string& reason) {
  if (!::FlushFileBuffers(file_.get())) Fail("cannot write", path_);
  if (!file_.Close()) Fail("cannot close", path_);
  SetAttributes(path_, mode_);
  std::optional<KeptVersion> kept;
  if (backups) kept.emplace(*backups, target_, reason);
  if (!::MoveFileExW(Wide(path_), Wide(target_),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fail("cannot put the new copy in place of", target_);
  }
  committed_ = true;
  if (kept) kept->Settle();
  return true;  // MOVEFILE_WRITE_THROUGH returns once the rename is on the disk
}

}  // namespace brindle::platform
