// The run log, "Brindle.log" beside Brindle.conf: a few lines per sync run that say what
// happened after the window has long been closed. It holds the address file's path, the
// categories, counts, each step's outcome with the service's reply or the transfer error,
// record identifiers and the backup made; never the password and no contact data. Writing it
// never fails a run: a log that cannot be written is passed over.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace brindle {

class RunLog {
 public:
  static constexpr std::uintmax_t kLimit = 1024 * 1024;  // rotated at this size
  static constexpr int kFiles = 3;                       // the log and two older ones

  explicit RunLog(std::filesystem::path file) : file_(std::move(file)) {}

  const std::filesystem::path& file() const { return file_; }
  bool running() const { return running_; }

  // Starts a run's lines.
  void Begin(const std::string& datPath, const std::string& categories);
  // One line of the current run; nothing when no run is being logged.
  void Step(const std::string& what);
  void End(const std::string& outcome);
  // A line outside any run (a failed load), written whether or not a run is being logged.
  void Note(const std::string& what) { Write(what); }

 private:
  void Write(const std::string& line);

  std::filesystem::path file_;
  bool running_ = false;
};

}  // namespace brindle
