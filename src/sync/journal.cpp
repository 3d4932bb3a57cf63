#include "sync/journal.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "sync/service_protocol.h"
#include "text/byte_escape.h"
#include "text/timestamp.h"
#include "text/whole_number.h"

namespace brindle {

namespace {

constexpr std::string_view kMagic = "brindle-sync-journal";
constexpr int kVersion = 2;

// Every step with the word a journal writes for it ("" for the steps no journal names) and the
// words the run log and causes use.
struct StepWords {
  SyncStep step;
  std::string_view inJournal;
  const char* name;
};
constexpr StepWords kSteps[] = {
    {SyncStep::None, "", "not started"},
    {SyncStep::Authenticated, "", "authenticated"},
    {SyncStep::ExportUploaded, "export-uploaded", "export uploaded"},
    {SyncStep::ImportRequested, "import-requested", "import requested"},
    {SyncStep::ResultReady, "result-ready", "result ready"},
    {SyncStep::ResultHeld, "result-held", "result held locally"},
    {SyncStep::WrittenBack, "written-back", "written back"},
    {SyncStep::ResultDeleted, "result-deleted", "result deleted on the service"},
    {SyncStep::Finished, "", "finished"},
};

// Line ends, other control bytes and the escape character itself become \xNN, so every value
// stays on its one line whatever bytes a path or user name holds.
std::string Escaped(std::string_view value) {
  return text::EscapeBytes(
      value, [](unsigned char byte) { return byte < 0x20 || byte == 0x7f || byte == '\\'; });
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  // The value of the next line, which must be "<key> <value>".
  std::string_view Field(std::string_view key) {
    const std::string_view line = NextLine();
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != ' ') {
      Fail("expected \"" + std::string(key) + " ...\"");
    }
    return line.substr(key.size() + 1);
  }

  std::string Text(std::string_view key) {
    const std::string_view value = Field(key);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (value[i] != '\\') {
        out += value[i];
        continue;
      }
      if (i + 3 >= value.size()) Fail("a cut escape");
      const int high = HexDigit(value[i + 2]);
      const int low = HexDigit(value[i + 3]);
      if (value[i + 1] != 'x' || high < 0 || low < 0) Fail("a malformed escape");
      out += static_cast<char>(high * 16 + low);
      i += 3;
    }
    return out;
  }

  std::int32_t Number(std::string_view text, std::int32_t min) {
    const auto value = text::ParseWholeNumber(text);
    if (!value || *value < min || *value > INT32_MAX) {
      Fail("\"" + std::string(text) + "\" is not a valid number");
    }
    return static_cast<std::int32_t>(*value);
  }

  std::string_view NextLine() {
    ++line_;
    if (pos_ >= text_.size()) Fail("the journal ends early");
    const std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) Fail("the last line is not complete");
    const std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return line;
  }

  bool AtEnd() const { return pos_ == text_.size(); }

  [[noreturn]] void Fail(const std::string& what) const {
    throw JournalError("damaged sync journal, line " + std::to_string(line_) + ": " + what);
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 0;
};

bool IsBare(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\:") == std::string_view::npos;
}

std::vector<std::int32_t> Ids(Reader& in, std::string_view field) {
  std::vector<std::int32_t> ids;
  std::size_t start = 0;
  std::vector<std::string_view> words;
  while (start <= field.size()) {
    const std::size_t blank = std::min(field.find(' ', start), field.size());
    words.push_back(field.substr(start, blank - start));
    start = blank + 1;
  }
  const std::int32_t count = in.Number(words.front(), 1);
  if (static_cast<std::size_t>(count) != words.size() - 1) in.Fail("the identifier count is wrong");
  for (std::size_t i = 1; i < words.size(); ++i) {
    ids.push_back(in.Number(words[i], INT32_MIN));
  }
  return ids;
}

SyncStep Step(Reader& in) {
  const std::string_view word = in.Field("step");
  for (const StepWords& words : kSteps) {
    if (!words.inJournal.empty() && words.inJournal == word) return words.step;
  }
  in.Fail("\"" + std::string(word) + "\" is not a step");
}

SyncStep FirstVersionStep(Reader& in) {
  const std::string_view held = in.Field("result-held");
  if (held != "yes" && held != "no") in.Fail("result-held is neither yes nor no");
  return held == "yes" ? SyncStep::ResultHeld : SyncStep::ImportRequested;
}

std::uint64_t Fnv1a(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  return hash;
}

std::string FileStem(std::string_view datPath) {
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(Fnv1a(datPath)));
  return "sync-journal-" + std::string(hex);
}

}  // namespace

std::string FormatJournal(const SyncJournal& journal) {
  std::string out = std::string(kMagic) + " " + std::to_string(kVersion) + "\n";
  out += "file " + Escaped(journal.datPath) + "\n";
  out += "transfer " + Escaped(journal.csvName) + "\n";
  out += "result " + Escaped(journal.resultName) + "\n";
  out += "lines " + std::to_string(journal.lines) + "\n";
  out += "ids " + std::to_string(journal.exportedIds.size());
  for (const std::int32_t id : journal.exportedIds) out += " " + std::to_string(id);
  out += "\n";
  out += "user " + Escaped(journal.user) + "\n";
  out += "time " + Escaped(journal.time) + "\n";
  for (const StepWords& words : kSteps) {
    if (words.step == journal.step && !words.inJournal.empty()) {
      out += "step " + std::string(words.inJournal) + "\n";
    }
  }
  out += "end\n";
  return out;
}

SyncJournal ParseJournal(std::string_view text) {
  Reader in(text);
  SyncJournal j;
  const std::string_view versionText = in.Field(kMagic);
  const std::int32_t version = in.Number(versionText, 0);
  if (version != 1 && version != kVersion) {
    in.Fail("version " + std::string(versionText) + " is unknown");
  }
  j.datPath = in.Text("file");
  j.csvName = in.Text("transfer");
  j.resultName = in.Text("result");
  if (!IsBare(j.csvName) || j.resultName != ResultName(j.csvName)) {
    in.Fail("the transfer and result names do not belong together");
  }
  j.lines = in.Number(in.Field("lines"), 1);
  j.exportedIds = Ids(in, in.Field("ids"));
  j.user = in.Text("user");
  j.time = in.Text("time");
  j.step = version == 1 ? FirstVersionStep(in) : Step(in);
  if (in.NextLine() != "end") in.Fail("expected \"end\"");
  if (!in.AtEnd()) in.Fail("text after the end");
  if (j.datPath.empty()) throw JournalError("damaged sync journal: no address file");
  return j;
}

const char* StepName(SyncStep step) {
  for (const StepWords& words : kSteps) {
    if (words.step == step) return words.name;
  }
  return "unknown";
}

std::string JournalFileName(std::string_view datPath) { return FileStem(datPath) + ".txt"; }

bool IsJournalFileName(std::string_view name) {
  constexpr std::string_view prefix = "sync-journal-", suffix = ".txt";
  return name.size() > prefix.size() + suffix.size() && name.substr(0, prefix.size()) == prefix &&
         name.substr(name.size() - suffix.size()) == suffix;
}

std::string HeldResultFileName(std::string_view datPath) { return FileStem(datPath) + ".out"; }

std::string JournalTimeNow() {
  return text::FormatTime(text::UtcTime(std::chrono::system_clock::now()), 0,
                          text::TimeForm::kJournal);
}

}  // namespace brindle
