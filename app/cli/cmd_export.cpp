// brindle-cli export FILE --categories "2 5 0" [--output PATH]: the export file of the
// chosen categories, written by the same record loop as the window's export run.
#include <filesystem>
#include <ostream>

#include "address_file/dat_error.h"
#include "address_file/dat_reader.h"
#include "command.h"
#include "export/export_line.h"
#include "export/record_export.h"

namespace brindle::cli {
namespace {

namespace fs = std::filesystem;

// One slot per number, in the order given; a number given twice fills two slots.
SelCat ParseCategories(const std::string& text) {
  SelCat slots;
  for (std::int32_t number : CategoryNumbers(text)) slots.push_back(std::to_string(number));
  return slots;
}

// The export must never be written over the file it reads.
void RefuseSameFile(const fs::path& file, const fs::path& output) {
  std::error_code ec;
  if (fs::exists(output, ec) && fs::equivalent(file, output, ec)) {
    throw UsageError("--output names the address file itself");
  }
}

int RunExport(const Args& args, std::ostream& out) {
  if (!args.Has("--categories")) throw UsageError("--categories is required");
  const SelCat slots = ParseCategories(args.Get("--categories"));
  const std::string& file = args.positional[0];
  int lines = 0;
  try {
    DatInput in(args.PathAt(0));
    DatReader reader;
    const DatHeader header = reader.ReadHeader(in);
    const fs::path output = args.PathOf("--output", CsvName(header.recordCount));
    RefuseSameFile(args.PathAt(0), output);
    lines = WriteExport(reader, in, header, slots, output);
  } catch (const DatError& e) {
    throw DatError(file + ": " + e.what(), e.offset());
  }
  if (lines == 0) {
    out << "0 register(s) were written and could not be sent!\n";
  } else {
    out << "Wrote " << lines << " register(s)!\n";
  }
  return 0;
}

const CommandRegistrar kExport({
    .name = "export",
    .synopsis = "export FILE --categories \"N [N...]\" [--output PATH]",
    .summary = "Write the export file of the chosen categories.",
    .help = "Reads FILE without changing it and writes one export line (30 quoted columns,\n"
            "CRLF endings, Windows-1252 bytes as in FILE) for each record whose category is\n"
            "one of the numbers given, in file order. Records in state 129 are left out, and\n"
            "the records end at the end-of-records marker. A number given twice writes its\n"
            "records twice. Category 0 is \"Unfiled\".\n\n"
            "  --categories \"2 5 0\"  category numbers, separated by blanks (required)\n"
            "  --output PATH         where to write; default <record count>_csv.tmp in the\n"
            "                        current folder\n\n"
            "Prints \"Wrote N register(s)!\", or \"0 register(s) were written and could not be\n"
            "sent!\" when no record matched (the export file is then empty).\n",
    .valueOptions = {"--categories", "--output"},
    .flagOptions = {},
    .minPositional = 1,
    .maxPositional = 1,
    .run = RunExport,
});

}  // namespace
}  // namespace brindle::cli
