#include "platform/file_replacement.h"

namespace brindle::platform {

namespace fs = std::filesystem;

FileReplacement::FileReplacement(const fs::path& file, Backups& backups)
    : own_(std::in_place, file), lock_(*own_), backups_(backups) {
  Check();
}

FileReplacement::FileReplacement(const FileLock& held, Backups& backups)
    : lock_(held), backups_(backups) {
  Check();
}

FileReplacement::~FileReplacement() {
  if (files_ && !offered_) RemoveQuietly(*files_, elsewhere_);
}

void FileReplacement::Check() {
  backups_.ForgetUnfinished(target());
  RequireReplaceable(target());
}

FileReplacement::Copy FileReplacement::Write() {
  return Run([this] {
    beside_.emplace(target());
    return Copy{beside_->OpenStream(), beside_->path()};
  });
}

fs::path FileReplacement::CopyInto(FileOps& files, const fs::path& folder) {
  // A name of its own: another load sharing the folder, of another file, never takes or
  // replaces this copy.
  fs::path copy = UniqueSiblingPath(folder / "address.dat");
  copy += ".new";
  files_ = &files;
  elsewhere_ = copy;
  files.Copy(target(), copy);
  return copy;
}

bool FileReplacement::Commit(const std::string& reason) {
  offered_ = true;
  return Run([&] {
    if (beside_) return beside_->Commit(&backups_, reason);
    MoveReplacing(*files_, elsewhere_, target(), &backups_, reason);
    return true;
  });
}

void FileReplacement::Fail(const std::string& cause) const {
  throw ReplacementError(cause + "; " + backups_.Where());
}

}  // namespace brindle::platform
