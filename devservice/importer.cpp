#include "importer.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>

#include "export_import.h"

namespace rookery {

namespace fs = std::filesystem;

namespace {

// The result an import leaves beside the file it imported.
std::string ResultFileName(const std::string& nameFile) { return nameFile + ".out"; }

}  // namespace

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
  const std::string name = ResultFileName(nameFile);
  const bool noResult = faults_.Get("result") == "none";
  std::unique_lock lock(mutex_);
  // A result left from an earlier import of the same name (never downloaded, or still due)
  // must not answer for this one: verify would report it ready before this import is done.
  // The stale fault is a service that forgets this, so that a test can meet such a result.
  std::erase_if(pending_, [&name](const Pending& p) { return p.name == name; });
  if (faults_.Get("stale") != "1") {
    std::error_code ignored;
    fs::remove(home_ / name, ignored);
  }
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
  return fs::exists(home_ / ResultFileName(nameFile), error) ? "1" : "0";
}

namespace {

// The byte a bad_id fault puts into a database identifier.
std::string BadByte(const std::string& kind) {
  if (kind == "lf") return "\n";
  if (kind == "nul") return std::string(1, '\0');
  if (kind == "quote") return "\"";
  if (kind == "esc") return "\x1b";
  if (kind == "high") return "\xe9";
  return "";
}

// The record identifiers a result_ids fault gives the first rows.
std::vector<std::string> SplitIds(const std::string& list) {
  std::vector<std::string> ids;
  for (std::string::size_type start = 0; start < list.size();) {
    auto end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    ids.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return ids;
}

}  // namespace

std::string Importer::ResultContent(const std::vector<std::vector<std::string>>& records,
                                    const std::vector<long long>& ids) const {
  const std::string shape = faults_.Get("result");
  const std::vector<std::string> foreign = SplitIds(faults_.Get("result_ids"));
  constexpr long long kUnknownRecordId = 2000000000;
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < records.size(); ++i) {
    std::string recordId = records[i][0];
    if (i < foreign.size()) recordId = foreign[i];
    if (shape == "unknown") recordId = std::to_string(kUnknownRecordId + static_cast<long long>(i));
    rows.push_back(recordId + "," + std::to_string(ids[i]));
  }
  if (shape == "more") rows.push_back("0,0");
  if (shape == "fewer" && !rows.empty()) rows.pop_back();
  const std::string bad = BadByte(faults_.Get("bad_id"));
  if (!rows.empty() && !bad.empty()) rows.back() += bad + "1";
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

void Importer::Clear() {
  std::lock_guard lock(mutex_);
  pending_.clear();
  for (const fs::path& folder : {home_, staging_}) {
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      entries.push_back(it->path());
    }
    for (const auto& entry : entries) {
      if (fs::remove_all(entry, error) == static_cast<std::uintmax_t>(-1)) {
        std::cerr << "rookery-dev: cannot remove " << entry << ": " << error.message() << "\n";
      }
    }
  }
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
