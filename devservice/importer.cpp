#include "importer.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>

#include "export_import.h"

namespace rookery {

namespace fs = std::filesystem;

bool IsBareName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32;
  });
}

Importer::Importer(fs::path home, fs::path staging, ContactStore& store, const Faults& faults)
    : home_(std::move(home)),
      staging_(std::move(staging)),
      store_(store),
      faults_(faults),
      worker_([this] { Run(); }) {}

Importer::~Importer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

std::string Importer::Import(const std::string& owner, const std::string& nameFile) {
  if (!IsBareName(nameFile)) return "3";
  std::ifstream in(home_ / nameFile, std::ios::binary);
  if (!in) {
    std::cerr << "rookery-dev: import of missing file " << nameFile << "\n";
    return "3";
  }
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const ImportedFile file = ParseExportFile(bytes);
  for (const auto& problem : file.problems) {
    std::cerr << "rookery-dev: " << nameFile << ": skipped " << problem << "\n";
  }
  const std::vector<long long> ids = store_.StoreContacts(owner, nameFile, file.records);
  std::cerr << "rookery-dev: imported " << ids.size() << " contact(s) from " << nameFile << " for "
            << owner << "\n";
  const std::string result = ResultContent(file.records, ids);
  const std::string name = nameFile + ".out";
  const bool noResult = faults_.Get("result") == "none";
  std::unique_lock lock(mutex_);
  // A result left from an earlier import of the same name (never downloaded, or still due)
  // must not answer for this one: verify would report it ready before this import is done.
  std::erase_if(pending_, [&name](const Pending& p) { return p.name == name; });
  std::error_code ignored;
  fs::remove(home_ / name, ignored);
  if (faults_.Get("import") == "1") {
    if (!noResult) WriteResult(name, result);
    return "1";
  }
  if (noResult) return "0";
  const auto due =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(faults_.GetMs("delay"));
  pending_.push_back({due, name, result});
  lock.unlock();
  wake_.notify_all();
  return "0";
}

std::string Importer::Verify(const std::string& nameFile) const {
  if (!IsBareName(nameFile)) return "0";
  std::error_code error;
  return fs::exists(home_ / (nameFile + ".out"), error) ? "1" : "0";
}

std::string Importer::ResultContent(const std::vector<std::vector<std::string>>& records,
                                    const std::vector<long long>& ids) const {
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < records.size(); ++i) {
    rows.push_back(records[i][0] + "," + std::to_string(ids[i]));
  }
  const std::string shape = faults_.Get("result");
  if (shape == "more") rows.push_back("0,0");
  if (shape == "fewer" && !rows.empty()) rows.pop_back();
  std::string content;
  for (const auto& row : rows) content += row + "\n\n";
  return content;
}

void Importer::WriteResult(const std::string& name, const std::string& content) const {
  const fs::path staged = staging_ / name;
  {
    std::ofstream out(staged, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) {
      std::cerr << "rookery-dev: cannot write " << staged << "\n";
      return;
    }
  }
  std::error_code error;
  fs::rename(staged, home_ / name, error);
  if (error) std::cerr << "rookery-dev: cannot place " << name << ": " << error.message() << "\n";
}

void Importer::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    const auto now = std::chrono::steady_clock::now();
    auto next = now + std::chrono::hours(1);
    for (auto it = pending_.begin(); it != pending_.end();) {
      if (it->due <= now) {
        WriteResult(it->name, it->content);
        it = pending_.erase(it);
      } else {
        next = std::min(next, it->due);
        ++it;
      }
    }
    wake_.wait_until(lock, next);
  }
}

}  // namespace rookery
