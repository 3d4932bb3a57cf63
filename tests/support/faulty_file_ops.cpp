#include "support/faulty_file_ops.h"

namespace brindle::test {

namespace {

bool EndsWith(const std::filesystem::path& path, const std::string& ending) {
  const std::string text = path.generic_string();
  return !path.empty() && text.size() >= ending.size() &&
         text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

void FaultyFileOps::Check(FileOp op, const std::string& call, const Path& a, const Path& b) {
  calls_.push_back(call);
  for (Fault& fault : faults_) {
    if (fault.op != op || fault.times == 0) continue;
    if (!EndsWith(a, fault.pathEnding) && !EndsWith(b, fault.pathEnding)) continue;
    if (fault.times > 0) --fault.times;
    throw platform::FileError("planted failure: " + call, fault.kind);
  }
}

void FaultyFileOps::Done(FileOp op) {
  for (auto it = after_.begin(); it != after_.end(); ++it) {
    if (it->op != op) continue;
    const std::function<void()> run = std::move(it->run);
    after_.erase(it);
    run();
    return;
  }
}

bool FaultyFileOps::Exists(const Path& path) {
  Check(FileOp::Exists, "exists " + path.string(), path);
  return real_.Exists(path);
}

void FaultyFileOps::Copy(const Path& from, const Path& to) {
  Check(FileOp::Copy, "copy " + from.string() + " -> " + to.string(), from, to);
  real_.Copy(from, to);
  Done(FileOp::Copy);
}

void FaultyFileOps::Rename(const Path& from, const Path& to) {
  Check(FileOp::Rename, "rename " + from.string() + " -> " + to.string(), from, to);
  real_.Rename(from, to);
  Done(FileOp::Rename);
}

void FaultyFileOps::Remove(const Path& path) {
  Check(FileOp::Remove, "remove " + path.string(), path);
  real_.Remove(path);
}

void FaultyFileOps::CreateDirectory(const Path& path) {
  Check(FileOp::CreateDirectory, "mkdir " + path.string(), path);
  real_.CreateDirectory(path);
}

std::string FaultyFileOps::ReadFile(const Path& path) {
  Check(FileOp::Read, "read " + path.string(), path);
  return real_.ReadFile(path);
}

void FaultyFileOps::WritePrivateFile(const Path& path, const std::string& bytes) {
  Check(FileOp::Write, "write " + path.string(), path);
  real_.WritePrivateFile(path, bytes);
}

}  // namespace brindle::test
