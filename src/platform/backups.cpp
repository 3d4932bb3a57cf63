#include "platform/backups.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <system_error>

#include "platform/backups_native.h"
#include "platform/file_ops.h"
#include "platform/file_safety.h"
#include "platform/file_sync.h"
#include "platform/local_time.h"
#include "platform/utf8_path.h"
#include "text/timestamp.h"
#include "text/whole_number.h"

namespace brindle::platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "address-";
constexpr std::size_t kTimeLength = text::kBackupNameTimeLength;

std::string NowText() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch());
  return text::FormatTime(LocalTime(seconds), static_cast<int>(ms.count() % 1000),
                          text::TimeForm::kBackupName);
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
    // The text after the last dash holds no "-": a counter is digits only.
    const std::string tail = rest.substr(dash + 1);
    const auto counter = text::ParseWholeNumber(tail);
    if (tail.size() > 6 || !counter) return false;
    entry.counter = static_cast<int>(*counter);
    rest.resize(dash);
  }
  entry.reason = rest;
  return !rest.empty();
}

constexpr const char* kSidecarSuffix = ".source";

fs::path SidecarOf(const fs::path& backup) {
  fs::path sidecar = backup;
  sidecar += kSidecarSuffix;
  return sidecar;
}

// The path a sidecar records for `file`: absolute, so that it names the file from any folder.
fs::path SourcePath(const fs::path& file) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(ResolveLinks(file), ec);
  return (ec ? file : absolute).lexically_normal();
}

// The backup goes first: a sidecar left alone is cleared by ForgetUnfinished, a backup without
// one would count as another file's.
void RemoveBackup(const fs::path& backup) {
  RemoveBackupFile(backup);
  RemoveBackupFile(SidecarOf(backup));
}

}  // namespace

std::optional<fs::path> Backups::SourceOf(const fs::path& backup) {
  std::ifstream in(SidecarOf(backup), std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.empty()) return std::nullopt;
  return PathFromUtf8(text);
}

bool Backups::SourceIs(const fs::path& source, const fs::path& file) {
  if (source == SourcePath(file)) return true;
  std::error_code ec;
  return fs::equivalent(source, file, ec) && !ec;
}

std::vector<BackupEntry> Backups::ListFor(const fs::path& file) const {
  std::vector<BackupEntry> entries = List();
  std::erase_if(entries,
                [&](const BackupEntry& e) { return e.source && !SourceIs(*e.source, file); });
  return entries;
}

std::vector<BackupEntry> Backups::List() const {
  std::vector<BackupEntry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    BackupEntry entry;
    if (!it->is_regular_file(ec) || !ParseName(it->path().filename().string(), entry)) continue;
    entry.path = it->path();
    entry.size = it->file_size(ec);
    entry.source = SourceOf(entry.path);
    entries.push_back(entry);
  }
  std::sort(entries.begin(), entries.end(), [](const BackupEntry& a, const BackupEntry& b) {
    return a.time != b.time ? a.time < b.time : a.counter < b.counter;
  });
  return entries;
}

fs::path Backups::Find(const std::string& nameOrPath) const {
  std::error_code ec;
  fs::path given = PathFromUtf8(nameOrPath);
  fs::path listed = folder_ / given;
  if (given.filename() == given && fs::exists(listed, ec)) return listed;
  if (fs::exists(given, ec)) return given;
  throw FileError("no backup named " + nameOrPath + " (" + Where() + ")");
}

void Backups::ForgetUnfinished(const fs::path& live) const {
  for (const BackupEntry& entry : List()) {
    if (SameFile(entry.path, live)) RemoveBackup(entry.path);
  }
  const fs::path source = SourcePath(live);
  std::error_code ec;
  for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& sidecar = it->path();
    if (sidecar.extension() != kSidecarSuffix) continue;
    const fs::path backup = fs::path(sidecar).replace_extension();
    std::error_code missing;
    if (!fs::exists(backup, missing) && SourceOf(backup) == source) RemoveBackupFile(sidecar);
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
  std::map<std::optional<fs::path>, std::vector<fs::path>> bySource;  // oldest first
  for (const BackupEntry& entry : List()) bySource[entry.source].push_back(entry.path);
  for (const auto& [source, paths] : bySource) {
    for (std::size_t i = 0; i + kKept < paths.size(); ++i) RemoveBackup(paths[i]);
  }
}

KeptVersion::KeptVersion(Backups& backups, const fs::path& live, const std::string& reason)
    : backups_(backups), source_(SourcePath(live)) {
  if (const std::optional<Refusal> refusal = Make(live, reason)) {
    throw ReplacementError("cannot keep a backup of " + live.string() + " in " +
                               backups.folder().string() + " (" + refusal->why +
                               "), so the file was not replaced",
                           refusal->code);
  }
}

std::optional<KeptVersion::Refusal> KeptVersion::Make(const fs::path& live,
                                                      const std::string& reason) {
  try {
    std::error_code ec;
    const fs::path programFolder = backups_.folder().parent_path();
    if (!programFolder.empty() && !fs::exists(programFolder, ec)) {
      EnsurePrivateFolder(programFolder);
    }
    EnsurePrivateFolder(backups_.folder());
    std::vector<BackupEntry> entries = backups_.List();
    std::erase_if(entries, [&](const BackupEntry& e) { return e.source != source_; });
    if (!entries.empty() && SameContent(entries.back().path, live)) return std::nullopt;
    const std::string sidecar = Utf8FromPath(source_) + "\n";
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path name = backups_.NewName(reason);
      const Made claimed = CreateExclusively(SidecarOf(name), sidecar);
      if (claimed.outcome == Made::kNameTaken) continue;
      if (claimed.outcome != Made::kDone) return Refusal{claimed.reason, claimed.code};
      Made made = LinkFile(live, name);
      // Another file system, or one without hard links: a private copy instead.
      if (made.outcome == Made::kCannotLink) made = CopyPrivately(live, name);
      if (made.outcome != Made::kDone) RemoveBackupFile(SidecarOf(name));
      if (made.outcome == Made::kNameTaken) continue;
      if (made.outcome != Made::kDone) return Refusal{made.reason, made.code};
      made_ = name;
      return std::nullopt;
    }
    return Refusal{"every name for it is taken", {}};
  } catch (const FileError& e) {
    return Refusal{e.what(), e.code()};
  }
}

KeptVersion::~KeptVersion() {
  if (!settled_ && !made_.empty()) RemoveBackup(made_);
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
