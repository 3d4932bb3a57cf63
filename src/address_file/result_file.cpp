#include "address_file/result_file.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "address_file/dat_error.h"
#include "address_file/dat_format.h"

namespace brindle {

namespace {

constexpr std::string_view kRowEnd = "\n\n";

struct Piece {
  std::string_view text;
  std::int64_t offset;  // in the text without carriage returns
};

std::string WithoutCarriageReturns(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '\r') out.push_back(c);
  }
  return out;
}

// Splits at every "\n\n"; the piece after the last separator (empty in a well-formed file)
// is not a row.
std::vector<Piece> SplitRows(std::string_view text) {
  std::vector<Piece> rows;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(kRowEnd, start)) != std::string_view::npos;
       start = end + kRowEnd.size()) {
    rows.push_back({text.substr(start, end - start), static_cast<std::int64_t>(start)});
  }
  return rows;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

[[noreturn]] void RowError(std::size_t row, const Piece& piece, const std::string& what) {
  throw DatError("result row " + std::to_string(row + 1) + " (offset " +
                     std::to_string(piece.offset) + "): " + what,
                 piece.offset);
}

std::int32_t ParseRecordId(std::size_t row, const Piece& piece, std::string_view text) {
  const std::string_view digits = Trim(text);
  std::int32_t value = 0;
  const char* end = digits.data() + digits.size();
  const auto [ptr, ec] = std::from_chars(digits.data(), end, value);
  if (digits.empty() || ec != std::errc() || ptr != end) {
    RowError(row, piece, "record identifier \"" + std::string(text) + "\" is not a number");
  }
  return value;
}

}  // namespace

std::int32_t CountResultRows(std::string_view text) {
  return static_cast<std::int32_t>(SplitRows(WithoutCarriageReturns(text)).size());
}

ResultTable ParseResultText(std::string_view raw, std::int32_t expectedRows) {
  const std::string text = WithoutCarriageReturns(raw);
  const std::vector<Piece> rows = SplitRows(text);
  if (static_cast<std::int64_t>(rows.size()) != expectedRows) {
    throw DatError("the result file holds " + std::to_string(rows.size()) +
                       " row(s) but the export wrote " + std::to_string(expectedRows),
                   -1);
  }
  ResultTable table;
  table.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Piece& piece = rows[i];
    const std::size_t comma = piece.text.find(',');
    if (comma == std::string_view::npos) RowError(i, piece, "no comma in the row");
    const std::int32_t id = ParseRecordId(i, piece, piece.text.substr(0, comma));
    std::string_view dbId = piece.text.substr(comma + 1);
    dbId = dbId.substr(0, dbId.find(','));  // a third field is ignored
    if (dbId.size() > static_cast<std::size_t>(dat_format::kMaxShortTextLength)) {
      RowError(i, piece,
               "database identifier of " + std::to_string(dbId.size()) +
                   " characters is longer than 254");
    }
    table.insert_or_assign(id, std::string(dbId));
  }
  return table;
}

ResultTable ReadResultFile(const std::filesystem::path& path, std::int32_t expectedRows) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw DatError("cannot open the result file " + path.string(), -1);
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) throw DatError("cannot read the result file " + path.string(), -1);
  return ParseResultText(text.str(), expectedRows);
}

}  // namespace brindle
