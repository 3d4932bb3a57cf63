#include "address_file/result_file.h"

#include <cstdint>
#include <optional>
#include <string>

#include "address_file/dat_error.h"
#include "address_file/dat_format.h"
#include "address_file/dat_input.h"
#include "text/whole_number.h"

namespace brindle {

namespace {

constexpr std::string_view kRowEnd = "\n\n";

struct Piece {
  std::string_view text;
  std::int64_t offset;  // in the text without carriage returns
};

// Carriage returns are not part of the format; a file with CRLF line ends reads as with LF.
// Copies only when there is one to drop.
std::string_view WithoutCarriageReturns(std::string_view text, std::string& storage) {
  if (text.find('\r') == std::string_view::npos) return text;
  storage.reserve(text.size());
  for (char c : text) {
    if (c != '\r') storage.push_back(c);
  }
  return storage;
}

// Calls `row(piece)` for every piece ended by "\n\n", in order; what follows the last one
// (empty in a well-formed file) is not a row. Returns the number of rows.
template <typename Fn>
std::size_t ForEachRow(std::string_view text, Fn&& row) {
  std::size_t rows = 0;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(kRowEnd, start)) != std::string_view::npos;
       start = end + kRowEnd.size()) {
    row(Piece{text.substr(start, end - start), static_cast<std::int64_t>(start)});
    ++rows;
  }
  return rows;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// Offset in `raw` of the byte at `offset` in its copy without carriage returns, so that an
// error points at the file's own bytes.
std::int64_t RawOffset(std::string_view raw, std::int64_t offset) {
  std::int64_t kept = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r') continue;
    if (kept++ == offset) return static_cast<std::int64_t>(i);
  }
  return static_cast<std::int64_t>(raw.size());
}

// A database identifier goes into the address file and, on the next export, raw into a quoted
// CSV column: only visible ASCII other than the double quote is safe there. Returns the
// position of the first other byte.
std::optional<std::size_t> UnsafeIdentifierByte(std::string_view id) {
  for (std::size_t i = 0; i < id.size(); ++i) {
    const auto c = static_cast<unsigned char>(id[i]);
    if (c < 0x21 || c > 0x7E || c == '"') return i;
  }
  return std::nullopt;
}

std::string ByteName(unsigned char c) {
  constexpr const char* kHex = "0123456789ABCDEF";
  return std::string("0x") + kHex[c >> 4] + kHex[c & 0xF];
}

std::optional<std::int32_t> ParseRecordId(std::string_view text) {
  const auto value = text::ParseWholeNumber(Trim(text));
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

}  // namespace

std::int32_t CountResultRows(std::string_view raw) {
  std::string storage;
  return static_cast<std::int32_t>(
      ForEachRow(WithoutCarriageReturns(raw, storage), [](const Piece&) {}));
}

ResultTable ParseResultText(std::string_view raw, std::int32_t expectedRows) {
  std::string storage;
  const std::string_view text = WithoutCarriageReturns(raw, storage);
  const std::size_t rows = ForEachRow(text, [](const Piece&) {});
  if (static_cast<std::int64_t>(rows) != expectedRows) {
    throw DatError("the result file holds " + std::to_string(rows) +
                       " row(s) but the export wrote " + std::to_string(expectedRows),
                   -1);
  }
  ResultTable table;
  table.reserve(rows);
  std::size_t i = 0;
  const auto fail = [&](const Piece& piece, const std::string& what) {
    const std::int64_t at = text.data() == raw.data() ? piece.offset : RawOffset(raw, piece.offset);
    throw DatError(
        "result row " + std::to_string(i + 1) + " (offset " + std::to_string(at) + "): " + what,
        at);
  };
  ForEachRow(text, [&](const Piece& piece) {
    const std::size_t comma = piece.text.find(',');
    if (comma == std::string_view::npos) fail(piece, "no comma in the row");
    const std::string_view idText = piece.text.substr(0, comma);
    const std::optional<std::int32_t> id = ParseRecordId(idText);
    if (!id) fail(piece, "record identifier \"" + std::string(idText) + "\" is not a number");
    std::string_view dbId = piece.text.substr(comma + 1);
    dbId = dbId.substr(0, dbId.find(','));  // a third field is ignored
    if (dbId.size() > static_cast<std::size_t>(dat_format::kMaxShortTextLength)) {
      fail(piece, "database identifier of " + std::to_string(dbId.size()) +
                      " characters is longer than 254");
    }
    if (const auto bad = UnsafeIdentifierByte(dbId)) {
      fail(piece, "database identifier holds byte " +
                      ByteName(static_cast<unsigned char>(dbId[*bad])) + " at character " +
                      std::to_string(*bad + 1) + ", for record " + std::to_string(*id) +
                      "; only visible ASCII characters other than '\"' are accepted");
    }
    table.insert_or_assign(*id, std::string(dbId));
    ++i;
  });
  return table;
}

std::string ReadResultText(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw DatError("the result file " + path.string() + " is a folder", -1);
  }
  DatInput in(path);
  std::string text;
  ForEachChunk(in, [&text](const char* data, std::size_t n) { text.append(data, n); });
  return text;
}

ResultTable ReadResultFile(const std::filesystem::path& path, std::int32_t expectedRows) {
  const std::string text = ReadResultText(path);
  try {
    return ParseResultText(text, expectedRows);
  } catch (const DatError& e) {
    // The offsets are the result file's, not the address file's: say which file they are in.
    throw DatError("result file " + path.string() + ": " + e.what(), e.offset());
  }
}

}  // namespace brindle
