#include "faults.h"

#include <algorithm>
#include <stdexcept>

namespace rookery {
namespace {

bool IsCount(const std::string& value) {
  if (value.empty() || value.size() > 9) return false;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsCountList(const std::string& value) {
  std::string::size_type start = 0;
  while (start < value.size()) {
    auto end = value.find(',', start);
    if (end == std::string::npos) end = value.size();
    if (!IsCount(value.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

std::vector<std::string> SplitList(const std::string& value) {
  std::vector<std::string> items;
  std::string::size_type start = 0;
  while (start < value.size()) {
    auto end = value.find(',', start);
    if (end == std::string::npos) end = value.size();
    items.push_back(value.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

bool Allowed(const std::string& item, const std::vector<std::string>& allowed) {
  return std::find(allowed.begin(), allowed.end(), item) != allowed.end();
}

bool IsPageList(const std::string& value) {
  const auto items = SplitList(value);
  return std::all_of(items.begin(), items.end(),
                     [](const std::string& item) { return Allowed(item, kPages); });
}

bool Valid(const std::string& key, const std::string& value) {
  if (key == "auth")
    return value.empty() || value == "0" || value == "1" || value == "2" || value == "none";
  if (key == "import") return value.empty() || value == "1";
  if (key == "delay" || key == "stall_ms") return IsCount(value);
  if (key == "result")
    return value == "ok" || value == "none" || value == "more" || value == "fewer" ||
           value == "unknown";
  if (key == "result_ids") return IsCountList(value);
  if (key == "bad_id") {
    return value.empty() || value == "lf" || value == "nul" || value == "quote" || value == "esc" ||
           value == "high";
  }
  if (key == "stale") return value.empty() || value == "0" || value == "1";
  return IsPageList(value);
}

}  // namespace

void Faults::Set(const std::string& key, const std::string& value) {
  std::lock_guard lock(mutex_);
  const auto it = values_.find(key);
  if (it == values_.end()) throw std::invalid_argument("unknown fault: " + key);
  if (!Valid(key, value)) throw std::invalid_argument("bad value for " + key + ": " + value);
  it->second = value;
}

void Faults::SetPair(const std::string& keyEqualsValue) {
  const auto eq = keyEqualsValue.find('=');
  if (eq == std::string::npos) throw std::invalid_argument("expected KEY=VALUE: " + keyEqualsValue);
  Set(keyEqualsValue.substr(0, eq), keyEqualsValue.substr(eq + 1));
}

void Faults::SetDefault(const std::string& key, const std::string& value) {
  Set(key, value);
  std::lock_guard lock(mutex_);
  defaults_[key] = value;
}

void Faults::Reset() {
  std::lock_guard lock(mutex_);
  values_ = defaults_;
}

std::string Faults::Get(const std::string& key) const {
  std::lock_guard lock(mutex_);
  return values_.at(key);
}

int Faults::GetMs(const std::string& key) const { return std::stoi(Get(key)); }

bool Faults::Names(const std::string& key, const std::string& page) const {
  const std::string list = "," + Get(key) + ",";
  return list.find("," + page + ",") != std::string::npos;
}

std::vector<std::string> ListOf(const std::string& key, const std::string& value,
                                const std::vector<std::string>& allowed) {
  std::vector<std::string> items = SplitList(value);
  for (const auto& item : items) {
    if (!Allowed(item, allowed)) throw std::invalid_argument("bad value for " + key + ": " + value);
  }
  return items;
}

}  // namespace rookery
