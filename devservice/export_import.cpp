#include "export_import.h"

#include <algorithm>
#include <array>

namespace rookery {
namespace {

// 1-based columns whose commas and quotes the tool escapes; column 6 also has its line breaks
// written as backslash-n.
constexpr std::array<int, 13> kEscapedColumns = {2, 3, 4, 5, 6, 15, 16, 17, 19, 20, 21, 22, 24};
constexpr int kNoteColumn = 6;

bool IsEscaped(int column) {
  return std::find(kEscapedColumns.begin(), kEscapedColumns.end(), column) != kEscapedColumns.end();
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (auto pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos)) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
}

bool AtLineEnd(std::string_view bytes, std::size_t pos) {
  return pos >= bytes.size() || bytes[pos] == '\n' ||
         (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n');
}

class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : bytes_(bytes) {}

  bool Done() const { return pos_ >= bytes_.size(); }
  int lineNumber() const { return line_; }

  // Reads one line's fields. Returns false (with `problem` set) for a malformed line, after
  // skipping to the next line end.
  bool ReadLine(std::vector<std::string>& fields, std::string& problem) {
    ++line_;
    fields.clear();
    while (true) {
      if (pos_ >= bytes_.size() || bytes_[pos_] != '"')
        return Fail("a field does not begin with a quote", problem);
      ++pos_;
      std::string field;
      if (!ReadQuoted(field, static_cast<int>(fields.size()) + 1))
        return Fail("a quote is never closed", problem);
      fields.push_back(std::move(field));
      if (pos_ < bytes_.size() && bytes_[pos_] == ',') {
        ++pos_;
        continue;
      }
      SkipLineEnd();
      return true;
    }
  }

 private:
  // Escaped columns follow common CSV: a doubled quote is one quote, and a quote followed by
  // a comma or a line end closes the field. A column the tool does not escape holds its quotes
  // single, so there only a quote that is followed by the next field's opening (or, in the
  // last column, by the line end) closes it.
  bool ReadQuoted(std::string& field, int column) {
    const bool escaped = IsEscaped(column);
    while (pos_ < bytes_.size()) {
      const char c = bytes_[pos_++];
      if (c != '"') {
        field += c;
      } else if (escaped && pos_ < bytes_.size() && bytes_[pos_] == '"') {
        field += '"';
        ++pos_;
      } else if (ClosesField(escaped, column)) {
        return true;
      } else {
        field += '"';
      }
    }
    return false;
  }

  // REQUIRES: a quote was just read.
  bool ClosesField(bool escaped, int column) const {
    if (AtLineEnd(bytes_, pos_)) return true;
    if (bytes_[pos_] != ',') return false;
    if (escaped) return true;
    return column < kExportColumns && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '"';
  }

  void SkipLineEnd() {
    if (pos_ < bytes_.size() && bytes_[pos_] == '\r') ++pos_;
    if (pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
  }

  bool Fail(const std::string& why, std::string& problem) {
    problem = "line " + std::to_string(line_) + ": " + why;
    while (!AtLineEnd(bytes_, pos_)) ++pos_;
    SkipLineEnd();
    return false;
  }

  std::string_view bytes_;
  std::size_t pos_ = 0;
  int line_ = 0;
};

void Unescape(std::vector<std::string>& fields) {
  for (int column : kEscapedColumns) {
    std::string& field = fields[column - 1];
    if (column == kNoteColumn) ReplaceAll(field, "\\n", "\r\n");
    ReplaceAll(field, kCommaPlaceholder, ",");
  }
}

}  // namespace

ImportedFile ParseExportFile(std::string_view bytes) {
  ImportedFile file;
  LineReader reader(bytes);
  std::vector<std::string> fields;
  std::string problem;
  while (!reader.Done()) {
    if (!reader.ReadLine(fields, problem)) {
      file.problems.push_back(problem);
    } else if (fields.size() != kExportColumns) {
      file.problems.push_back("line " + std::to_string(reader.lineNumber()) + ": " +
                              std::to_string(fields.size()) + " fields instead of 30");
    } else {
      Unescape(fields);
      file.records.push_back(fields);
    }
  }
  return file;
}

}  // namespace rookery
