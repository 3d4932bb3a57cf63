#include "window/run_log.h"

#include <chrono>
#include <ctime>

#include "platform/file_ops.h"
#include "platform/local_time.h"
#include "platform/log_file.h"
#include "text/timestamp.h"

namespace brindle {

namespace {

std::string Timestamp() {
  const std::time_t seconds =
      std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  return text::FormatTime(platform::LocalTime(seconds), 0, text::TimeForm::kRunLog);
}

// Control characters would let a reply or a path forge lines of their own.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  }
  return text;
}

// The password travels in the authentication page's address ("pass=..."). Causes name pages,
// never their addresses; this is the last line of defence should one ever quote it.
std::string Redact(std::string line) {
  for (std::size_t at = line.find("pass="); at != std::string::npos;
       at = line.find("pass=", at + 5)) {
    const std::size_t end = line.find_first_of("& ", at + 5);
    line.replace(at + 5, (end == std::string::npos ? line.size() : end) - at - 5, "***");
  }
  return line;
}

}  // namespace

void RunLog::Begin(const std::string& datPath, const std::string& categories) {
  running_ = true;
  Write("sync started");
  Write("address file: " + datPath);
  Write("categories: " + categories);
}

void RunLog::Step(const std::string& what) {
  if (running_) Write(what);
}

void RunLog::End(const std::string& outcome) {
  if (!running_) return;
  Write("end: " + outcome);
  running_ = false;
}

void RunLog::Write(const std::string& line) {
  try {
    platform::AppendToLog(file_, Timestamp() + " " + OneLine(Redact(line)) + "\n", kLimit, kFiles);
  } catch (const platform::FileError&) {
  }
}

}  // namespace brindle
