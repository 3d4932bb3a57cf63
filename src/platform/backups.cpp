#include "platform/backups.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <memory>
#include <system_error>

#include "platform/file_ops.h"
#include "platform/file_safety.h"
#include "platform/file_sync.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "address-";
constexpr std::size_t kTimeLength = 23;  // 2026-12-08T11-42-05.123

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string Reason(int err) { return std::generic_category().message(err); }

std::string NowText() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  std::tm local{};
  ::localtime_r(&seconds, &local);
  std::array<char, 32> text{};
  const std::size_t n = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H-%M-%S", &local);
  std::snprintf(text.data() + n, text.size() - n, ".%03d", static_cast<int>(ms.count() % 1000));
  return text.data();
}

// "address-<time>-<reason>[-<counter>].dat", or false for any other name.
bool ParseName(const std::string& name, BackupEntry& entry) {
  const std::string prefix = kPrefix;
  if (name.rfind(prefix, 0) != 0 || name.size() < prefix.size() + kTimeLength + 6) return false;
  if (name.substr(name.size() - 4) != ".dat") return false;
  entry.time = name.substr(prefix.size(), kTimeLength);
  if (name[prefix.size() + kTimeLength] != '-') return false;
  std::string rest = name.substr(prefix.size() + kTimeLength + 1);
  rest.resize(rest.size() - 4);
  const auto dash = rest.rfind('-');
  entry.counter = 0;
  if (dash != std::string::npos) {
    const std::string tail = rest.substr(dash + 1);
    if (tail.empty() || tail.size() > 6 ||
        !std::all_of(tail.begin(), tail.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return false;
    }
    entry.counter = std::stoi(tail);
    rest.resize(dash);
  }
  entry.reason = rest;
  return !rest.empty();
}

// An open file for reading, closed on every path.
class ReadFd {
 public:
  explicit ReadFd(const fs::path& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
  ~ReadFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  ReadFd(const ReadFd&) = delete;
  ReadFd& operator=(const ReadFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// One window of a file mapped read-only: the comparison reads the page cache in place instead
// of copying both files through buffers, and a small window keeps the resident memory small.
class Window {
 public:
  Window(int fd, std::size_t offset, std::size_t size) : size_(size) {
    void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd,
                      static_cast<off_t>(offset));
    data_ = at == MAP_FAILED ? nullptr : at;
  }
  ~Window() {
    if (data_) ::munmap(data_, size_);
  }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  const void* data() const { return data_; }

 private:
  std::size_t size_;
  void* data_ = nullptr;
};

bool SameContent(const fs::path& a, const fs::path& b) {
  constexpr std::size_t kStep = 1024 * 1024;
  const ReadFd fa(a), fb(b);
  struct stat sa {
  }, sb{};
  if (fa.get() < 0 || fb.get() < 0 || ::fstat(fa.get(), &sa) != 0 || ::fstat(fb.get(), &sb) != 0 ||
      !S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size) {
    return false;
  }
  const auto size = static_cast<std::size_t>(sa.st_size);
  for (std::size_t at = 0; at < size; at += kStep) {
    const std::size_t n = std::min(kStep, size - at);
    const Window wa(fa.get(), at, n), wb(fb.get(), at, n);
    if (!wa.data() || !wb.data() || std::memcmp(wa.data(), wb.data(), n) != 0) return false;
  }
  return true;
}

// The system's hard link; errno when it fails.
int LinkFile(const fs::path& from, const fs::path& to) {
  return ::link(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// An owner-only copy, created exclusively and forced to disk; errno when the name is taken.
int CopyPrivately(const fs::path& from, const fs::path& to) {
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  FilePtr out(::fdopen(fd, "wb"));
  if (!out) {
    ::close(fd);
    return ENOMEM;
  }
  const FilePtr in(OpenRegularForReading(from));
  std::vector<char> chunk(256 * 1024);
  bool ok = true;
  while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in.get())) {
    ok = ok && std::fwrite(chunk.data(), 1, n, out.get()) == n;
  }
  ok = ok && !std::ferror(in.get()) && SyncFile(out.get());
  ok = std::fclose(out.release()) == 0 && ok;
  if (!ok) {
    ::unlink(to.c_str());
    throw FileError("cannot copy " + from.string() + " to " + to.string());
  }
  return 0;
}

void MakeOwnerOnly(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fchmod(fd, 0600);
  ::close(fd);
}

bool SameFile(const fs::path& a, const fs::path& b) {
  struct stat sa {
  }, sb{};
  return ::lstat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

std::vector<BackupEntry> Backups::List() const {
  std::vector<BackupEntry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    BackupEntry entry;
    if (!it->is_regular_file(ec) || !ParseName(it->path().filename().string(), entry)) continue;
    entry.path = it->path();
    entry.size = it->file_size(ec);
    entries.push_back(entry);
  }
  std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
    return a.time != b.time ? a.time < b.time : a.counter < b.counter;
  });
  return entries;
}

fs::path Backups::Find(const std::string& nameOrPath) const {
  std::error_code ec;
  fs::path listed = folder_ / nameOrPath;
  if (fs::path(nameOrPath).filename() == nameOrPath && fs::exists(listed, ec)) return listed;
  if (fs::exists(nameOrPath, ec)) return nameOrPath;
  throw FileError("no backup named " + nameOrPath + " (" + Where() + ")");
}

void Backups::ForgetUnfinished(const fs::path& live) const {
  for (const BackupEntry& entry : List()) {
    if (SameFile(entry.path, live)) ::unlink(entry.path.c_str());
  }
}

std::string Backups::Where() const {
  return "earlier versions of the address file are kept in " + folder_.string();
}

// A backup of the same millisecond, whatever its reason, gets the next counter, so that the
// order of the names is the order in which the backups were made.
fs::path Backups::NewName(const std::string& reason) const {
  const std::string time = NowText();
  int counter = 0;
  for (const BackupEntry& entry : List()) {
    if (entry.time == time) counter = std::max(counter, std::max(entry.counter, 1) + 1);
  }
  const std::string tail = counter == 0 ? "" : "-" + std::to_string(counter);
  return folder_ / (kPrefix + time + "-" + reason + tail + ".dat");
}

void Backups::Prune() const {
  std::vector<BackupEntry> entries = List();
  for (std::size_t i = 0; i + kKept < entries.size(); ++i) ::unlink(entries[i].path.c_str());
}

KeptVersion::KeptVersion(Backups& backups, const fs::path& live, const std::string& reason)
    : backups_(backups) {
  const auto fail = [&](const std::string& why) {
    throw FileError("cannot keep a backup of " + live.string() + " in " +
                    backups.folder().string() + " (" + why + "), so the file was not replaced");
  };
  try {
    std::error_code ec;
    const fs::path programFolder = backups.folder().parent_path();
    if (!programFolder.empty() && !fs::exists(programFolder, ec)) {
      EnsurePrivateFolder(programFolder);
    }
    EnsurePrivateFolder(backups.folder());
    const std::vector<BackupEntry> entries = backups.List();
    if (!entries.empty() && SameContent(entries.back().path, live)) return;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path name = backups.NewName(reason);
      int err = LinkFile(live, name);
      // Another file system, or one without hard links: a private copy instead.
      if (err == EXDEV || err == EPERM || err == EMLINK || err == ENOTSUP) {
        err = CopyPrivately(live, name);
      }
      if (err == EEXIST) continue;
      if (err != 0) fail(Reason(err));
      made_ = name;
      return;
    }
    fail("every name for it is taken");
  } catch (const FileError& e) {
    if (made_.empty() && std::string(e.what()).rfind("cannot keep a backup", 0) == 0) throw;
    fail(e.what());
  }
}

KeptVersion::~KeptVersion() {
  if (!settled_ && !made_.empty()) ::unlink(made_.c_str());
}

void KeptVersion::Settle() noexcept {
  settled_ = true;
  if (made_.empty()) return;
  MakeOwnerOnly(made_);
  // The backup's name reaching the disk is a nicety: the user's file is already in place.
  static_cast<void>(SyncDirectory(backups_.folder()));
  backups_.lastKept_ = made_;
  backups_.Prune();
}

}  // namespace brindle::platform
