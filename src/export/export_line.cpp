#include "export/export_line.h"

#include <array>
#include <string_view>

namespace brindle {

namespace {

constexpr std::string_view kCommaMark = "UUUVIRGULAWWW";

// One escaped field: quotes doubled, (address only) CR LF written as \n, commas as the mark.
// The three replacements touch disjoint characters, so one left-to-right pass gives the same
// text as applying them one after the other.
void AppendEscaped(std::string& line, std::string_view text, bool lineBreaks) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      line += "\"\"";
    } else if (c == ',') {
      line += kCommaMark;
    } else if (lineBreaks && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      line += "\\n";
      ++i;
    } else {
      line += c;
    }
  }
}

enum class Esc { None, Escaped, EscapedWithBreaks };

struct Column {
  std::string_view text;
  Esc esc;
};

void AppendColumn(std::string& line, const Column& col, bool first) {
  if (!first) line += ',';
  line += '"';
  if (col.esc == Esc::None) {
    line += col.text;
  } else {
    AppendEscaped(line, col.text, col.esc == Esc::EscapedWithBreaks);
  }
  line += '"';
}

}  // namespace

std::string CsvName(std::int32_t recordCount) { return std::to_string(recordCount) + "_csv.tmp"; }

std::string ExportLine(const DatRecord& r, const std::string& categoryName) {
  const std::string id = std::to_string(r.recordId);
  const Esc y = Esc::Escaped;
  const Esc n = Esc::None;
  const std::array<Column, 30> columns{{
      {id, n},
      {r.lastName, y},
      {r.firstName, y},
      {r.title, y},
      {r.company, y},
      {r.address, Esc::EscapedWithBreaks},
      {r.phone1, n},
      {r.phone2, n},
      {r.phone3, n},
      {r.phone4, n},
      {r.phone5, n},
      {r.phone6, n},
      {r.phone7, n},
      {r.custom1, n},
      {r.item49, y},
      {r.item50, y},
      {r.item51, y},
      {r.item52, n},
      {r.item53, y},
      {r.item55, y},
      {r.item56, y},
      {r.item57, y},
      {r.item58, n},
      {r.item59, y},
      {r.note, n},
      {r.item70, n},
      {" ", n},
      {r.custom9, n},
      {r.spareFlag ? "1" : "0", n},
      {categoryName, n},
  }};
  std::string line;
  line.reserve(256);
  for (std::size_t i = 0; i < columns.size(); ++i) AppendColumn(line, columns[i], i == 0);
  return line;
}

}  // namespace brindle
