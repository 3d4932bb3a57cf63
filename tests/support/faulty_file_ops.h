// Real file operations with failures a test can plant: "the next rename of a path ending in
// address.dat fails as if across file systems", "every write to Brindle.conf fails". Every
// call is recorded as text ("copy FROM -> TO", "rename ...", "remove ...", "mkdir ...",
// "read ...", "write ...").
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/file_ops.h"

namespace brindle::test {

enum class FileOp { Exists, Copy, Rename, Remove, CreateDirectory, Read, Write };

class FaultyFileOps : public platform::FileOps {
 public:
  struct Fault {
    FileOp op;
    std::string pathEnding;  // matches when the source or target path ends with it; "" = any
    platform::FileError::Kind kind = platform::FileError::Kind::Failed;
    int times = -1;  // how many calls fail; -1: all of them
  };

  void Plant(Fault fault) { faults_.push_back(std::move(fault)); }
  // Runs `step` once, right after the next `op` that succeeds: what another program does
  // meanwhile.
  void After(FileOp op, std::function<void()> step) { after_.push_back({op, std::move(step)}); }
  const std::vector<std::string>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  bool Exists(const Path& path) override;
  void Copy(const Path& from, const Path& to) override;
  void Rename(const Path& from, const Path& to) override;
  void Remove(const Path& path) override;
  void CreateDirectory(const Path& path) override;
  std::string ReadFile(const Path& path) override;
  void WritePrivateFile(const Path& path, const std::string& bytes) override;

 private:
  void Check(FileOp op, const std::string& call, const Path& a, const Path& b = {});
  void Done(FileOp op);

  struct Step {
    FileOp op;
    std::function<void()> run;
  };
  platform::RealFileOps real_;
  std::vector<Fault> faults_;
  std::vector<Step> after_;
  std::vector<std::string> calls_;
};

}  // namespace brindle::test
