#include "export/record_export.h"

#include <optional>

#include "address_file/dat_error.h"
#include "address_file/dat_format.h"
#include "address_file/dat_output.h"
#include "export/category_selection.h"
#include "export/export_line.h"

namespace brindle {

namespace {

constexpr int kMaxLines = 32767;  // the line counter is 16 bits wide

// The selected-category table as numbers, read as the selection reads them; a blank slot
// stays empty.
std::vector<std::optional<std::int64_t>> SlotNumbers(const SelCat& selCat) {
  std::vector<std::optional<std::int64_t>> slots;
  slots.reserve(selCat.size());
  for (const std::string& text : selCat) {
    if (text.find_first_not_of(' ') == std::string::npos) {
      slots.emplace_back();
      continue;
    }
    const auto value = ParseCategoryNumber(text);
    if (!value) throw DatError("selected category \"" + text + "\" is not a number", -1);
    slots.emplace_back(value);
  }
  return slots;
}

}  // namespace

int WriteExport(DatReader& reader, DatInput& in, const DatHeader& header, const SelCat& selCat,
                const std::filesystem::path& csvPath,
                const std::function<void(const DatRecord&)>& onLine) {
  const auto slots = SlotNumbers(selCat);
  DatOutput out(csvPath);
  int lines = 0;
  // The end marker is not a record: the loop stops there, never writing a line with id 0.
  ForEachRecord(reader, in, header.recordCount, [&](const DatRecord& rec, std::int64_t start) {
    if (rec.status == dat_format::kSkippedStatus) return;
    for (const auto& slot : slots) {
      if (!slot || *slot != rec.category) continue;
      if (++lines > kMaxLines) {
        throw DatError("more than 32767 lines to export: the record at offset " +
                           std::to_string(start) + " would give line 32768",
                       start);
      }
      if (onLine) onLine(rec);
      // Each copy of a record is escaped from the record as read, never from an earlier copy.
      out.Write(ExportLine(rec, reader.CategoryName(rec.category)));
      out.Write("\r\n", 2);
    }
  });
  out.Close();
  return lines;
}

}  // namespace brindle
