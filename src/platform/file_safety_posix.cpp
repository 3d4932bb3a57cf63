#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/backups.h"
#include "platform/file_safety.h"
#include "platform/file_sync.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

std::string Reason(int err) { return std::generic_category().message(err); }

[[noreturn]] void FailErrno(const std::string& what, const fs::path& path, int err) {
  throw FileError(what, path, std::error_code(err, std::generic_category()));
}

[[noreturn]] void Refuse(const fs::path& path, const std::string& why) {
  throw FileError(path.string() + " " + why);
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISLNK(mode)) return "a symbolic link";
  return "not a regular file";
}

void RequireRegular(const fs::path& path, const struct stat& st) {
  if (!S_ISREG(st.st_mode)) {
    Refuse(path, std::string("is not a regular file (it is ") + KindOf(st.st_mode) + ")");
  }
}

struct stat StatOf(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) FailErrno("cannot find", path, errno);
  return st;
}

bool InMyGroups(gid_t gid) {
  if (gid == ::getegid()) return true;
  const int n = ::getgroups(0, nullptr);
  if (n <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(n));
  const int got = ::getgroups(n, groups.data());
  for (int i = 0; i < got; ++i) {
    if (groups[static_cast<std::size_t>(i)] == gid) return true;
  }
  return false;
}

// Whether a file this process creates can be given that owner and group.
bool CanGive(uid_t uid, gid_t gid) {
  return ::geteuid() == 0 || (uid == ::geteuid() && InMyGroups(gid));
}

void GiveOwner(int fd, const struct stat& model, const fs::path& file, const fs::path& of) {
  struct stat mine {};
  if (::fstat(fd, &mine) != 0) FailErrno("cannot examine", file, errno);
  if (mine.st_uid == model.st_uid && mine.st_gid == model.st_gid) return;
  if (::fchown(fd, model.st_uid, model.st_gid) != 0) {
    throw FileError("cannot give the new copy of " + of.string() +
                    " the owner and group of the file it replaces: " + Reason(errno));
  }
}

// A stdio stream that takes over `fd`.
std::FILE* StreamOver(UniqueFd fd, const char* mode, const fs::path& path) {
  std::FILE* file = ::fdopen(fd.get(), mode);
  if (!file) FailErrno("cannot open", path, errno);
  (void)fd.release();  // the stream closes it now
  return file;
}

}  // namespace

void RequireRegularFile(const fs::path& path) { RequireRegular(path, StatOf(path)); }

void RequireReplaceable(const fs::path& target) {
  const struct stat st = StatOf(target);
  RequireRegular(target, st);
  if ((st.st_mode & S_IWUSR) == 0) {
    Refuse(target, "is read-only; Brindle does not change a read-only address file");
  }
  if (st.st_nlink > 1) {
    Refuse(target, "has " + std::to_string(st.st_nlink) +
                       " names (hard links); replacing it would leave the other names holding "
                       "the old contacts");
  }
  if (!CanGive(st.st_uid, st.st_gid)) {
    Refuse(target, "belongs to another user or group, which a new copy of it could not keep");
  }
}

std::FILE* OpenRegularForReading(const fs::path& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) FailErrno("cannot open", path, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) FailErrno("cannot examine", path, errno);
  if (!S_ISREG(st.st_mode)) RequireRegular(path, st);
  ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
  return StreamOver(std::move(fd), "rb", path);
}

namespace {

UniqueFd CreateExclusive(const fs::path& path) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) FailErrno("cannot create", path, errno);
  return fd;
}

}  // namespace

NativeFile CreatePrivateNative(const fs::path& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) FailErrno("cannot replace", path, errno);
  return CreateExclusive(path);
}

std::FILE* CreatePrivateFile(const fs::path& path) {
  return StreamOver(CreatePrivateNative(path), "wb", path);
}

bool WriteAllTo(const NativeFile& file, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(file.get(), bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

void AppendOwnerOnly(const fs::path& path, const std::string& text, const std::string& what) {
  const UniqueFd fd(
      ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) {
    FailErrno("cannot open " + what, path, errno);
  }
  if (!WriteAllTo(fd, text.data(), text.size())) {
    throw FileError("cannot write " + what + " " + path.string());
  }
}

void EnsurePrivateFolder(const fs::path& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    FailErrno("cannot create the folder", folder, errno);
  }
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) FailErrno("cannot examine the folder", folder, errno);
  const auto refuse = [&folder](const char* why) {
    throw FileError("Brindle does not use the folder " + folder.string() + ": " + why,
                    FileError::Kind::Unsafe);
  };
  if (S_ISLNK(st.st_mode)) refuse("it is a symbolic link");
  if (!S_ISDIR(st.st_mode)) {
    throw FileError("cannot use " + folder.string() + " as a folder: something else stands there");
  }
  if (st.st_uid != ::geteuid()) refuse("it belongs to another user");
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) refuse("other users can write into it");
}

void KeepOwnerAndMode(const fs::path& model, const fs::path& file) {
  const struct stat st = StatOf(model);
  const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd) FailErrno("cannot open", file, errno);
  GiveOwner(fd.get(), st, file, model);
  if (::fchmod(fd.get(), st.st_mode & 07777) != 0) {
    FailErrno("cannot set the permissions of", file, errno);
  }
}

Replacement::Replacement(const fs::path& target) : target_(target) {
  const struct stat st = StatOf(target);
  mode_ = st.st_mode & 07777;
  path_ = UniqueSiblingPath(target);
  file_ = CreateExclusive(path_);
  try {
    GiveOwner(file_.get(), st, path_, target);
  } catch (...) {
    file_ = UniqueFd();
    ::unlink(path_.c_str());
    throw;
  }
}

Replacement::~Replacement() {
  file_ = UniqueFd();
  if (!committed_) ::unlink(path_.c_str());
}

std::FILE* Replacement::OpenStream() {
  UniqueFd fd(::fcntl(file_.get(), F_DUPFD_CLOEXEC, 0));
  if (!fd) FailErrno("cannot open", path_, errno);
  return StreamOver(std::move(fd), "wb", path_);
}

bool Replacement::Commit(Backups* backups, const std::string& reason) {
  if (::fchmod(file_.get(), mode_) != 0) FailErrno("cannot set the permissions of", path_, errno);
  std::optional<KeptVersion> kept;
  if (backups) kept.emplace(*backups, target_, reason);
  if (::rename(path_.c_str(), target_.c_str()) != 0) {
    FailErrno("cannot put the new copy in place of", target_, errno);
  }
  committed_ = true;
  if (kept) kept->Settle();
  return SyncDirectory(target_.parent_path().empty() ? fs::path(".") : target_.parent_path());
}

}  // namespace brindle::platform
