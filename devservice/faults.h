// Ways a test can make the service misbehave, set with --fault KEY=VALUE at start or with
// GET /_dev/set?KEY=VALUE while it runs. These stay until changed; /_dev/reset brings back the
// defaults (the delay given with --delay is one of them).
//
//   auth=0|1|2|none     fixed authentication reply; "none" drops the connection
//   import=1            the import page answers 1 and writes the result file at once
//   delay=MS            time from import to result file (a slow import), default 1500
//   result=ok|none|more|fewer|unknown   no result file, one row too many or too few, or
//                       rows naming record identifiers that no address file holds
//   result_ids=IDS      the first rows name these record identifiers (comma-separated)
//                       instead of the uploaded records'
//   bad_id=lf|nul|quote|esc|high   the last row's database identifier holds that byte
//   garbage=PAGES       these pages answer with an error page instead of a number
//   drop=PAGES          these pages drop the connection after the headers
//   stall=PAGES         these pages wait stall_ms before answering
//   stall_ms=MS         default 5000
//   stale=0|1           an import leaves the result file of an earlier import of the same name
//                       in place until its own replaces it, so verify answers 1 at once
// PAGES is a comma-separated list of auth, import, verify; "" clears it.
//
// One-shot switches, each spent on the first request it meets (web_pages.cpp sets them):
//   ftp_drop=CMDS       the FTP server drops the connection at the next such command; RETR
//                       sends, and STOR keeps, only the first half of the file before it
//   ftp_refuse=CMDS     the next such command is answered 550 and nothing happens
//   hold=ITEMS          the next such command or page waits unanswered until /_dev/release,
//                       then meets the other switches
// CMDS is a comma-separated list of STOR, RETR, DELE; ITEMS may name those and PAGES.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace rookery {

class Faults {
 public:
  // Throws std::invalid_argument for an unknown key or a bad value.
  void Set(const std::string& key, const std::string& value);
  void SetPair(const std::string& keyEqualsValue);
  // Sets `key` and makes the value the one Reset brings back.
  void SetDefault(const std::string& key, const std::string& value);
  void Reset();

  std::string Get(const std::string& key) const;
  int GetMs(const std::string& key) const;
  // True when the page list stored under `key` names `page`.
  bool Names(const std::string& key, const std::string& page) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::string> defaults_{
      {"auth", ""},       {"import", ""},       {"delay", "1500"}, {"result", "ok"},
      {"result_ids", ""}, {"bad_id", ""},       {"garbage", ""},   {"drop", ""},
      {"stall", ""},      {"stall_ms", "5000"}, {"stale", ""}};
  std::map<std::string, std::string> values_ = defaults_;
};

// The FTP commands and the pages a switch may name.
inline const std::vector<std::string> kFtpCommands = {"STOR", "RETR", "DELE"};
inline const std::vector<std::string> kPages = {"auth", "import", "verify"};

// The items of a comma-separated list ("" has none). Throws std::invalid_argument, naming
// `key`, for an item that `allowed` lacks.
std::vector<std::string> ListOf(const std::string& key, const std::string& value,
                                const std::vector<std::string>& allowed);

}  // namespace rookery
