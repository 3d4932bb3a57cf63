// The service's import: reads an uploaded export file from the FTP folder, stores its
// contacts, and after a delay leaves the result file "<name>.out" beside it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "contact_store.h"
#include "faults.h"

namespace rookery {

class Importer {
 public:
  // `home` is the FTP account's folder; `staging` a folder on the same file system where
  // result files are written before they appear in `home` whole.
  Importer(std::filesystem::path home, std::filesystem::path staging, ContactStore& store,
           const Faults& faults);
  ~Importer();

  // The import page's reply: "1" when the result file is already there, "0" when it will
  // follow, "3" when the file cannot be imported (missing, or a name with a folder in it).
  std::string Import(const std::string& owner, const std::string& nameFile);
  // The verify page's reply: "1" once the result file exists, "0" before.
  std::string Verify(const std::string& nameFile) const;
  // Forgets the imports still due and empties the FTP folder (uploads, results, anything a
  // client made there) and the staging folder.
  void Clear();

 private:
  struct Pending {
    std::chrono::steady_clock::time_point due;
    std::string name;
    std::string content;
  };

  std::string ResultContent(const std::vector<std::vector<std::string>>& records,
                            const std::vector<long long>& ids) const;
  void WriteResult(const std::string& name, const std::string& content) const;
  void Run();

  std::filesystem::path home_, staging_;
  ContactStore& store_;
  const Faults& faults_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Pending> pending_;
  bool stopping_ = false;
  std::thread worker_;
};

// True for a plain file name: no folder part, not "." or "..", no control characters.
bool IsBareName(const std::string& name);

}  // namespace rookery
