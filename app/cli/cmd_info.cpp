// brindle-cli info FILE: the header's record count and the category table.
#include <ostream>

#include "address_file/dat_error.h"
#include "address_file/dat_reader.h"
#include "command.h"
#include "platform/cp1252.h"

namespace brindle::cli {
namespace {

int RunInfo(const Args& args, std::ostream& out) {
  const std::string& file = args.positional[0];
  DatHeader header;
  try {
    DatInput in(file);
    DatReader reader;
    header = reader.ReadHeader(in);
  } catch (const DatError& e) {
    throw DatError(file + ": " + e.what(), e.offset());
  }
  out << "records: " << header.recordCount << "\n";
  out << "categories: " << header.categoryCount << "\n";
  for (std::size_t i = 1; i < header.categories.size(); ++i) {
    const DatCategory& c = header.categories[i];
    out << c.number << '\t' << platform::Cp1252ToUtf8(c.longName) << "\n";
  }
  return 0;
}

const CommandRegistrar kInfo({
    .name = "info",
    .synopsis = "info FILE",
    .summary = "Show the record count and the categories of an address file.",
    .help = "Reads the header and the category table of FILE (Palm Desktop's address.dat)\n"
            "without changing it, and prints:\n"
            "  records: <record count of the header>\n"
            "  categories: <number of category entries>\n"
            "then one line per category entry in file order: its number, a tab, and its\n"
            "name converted from Windows-1252 to UTF-8.\n",
    .valueOptions = {},
    .flagOptions = {},
    .minPositional = 1,
    .maxPositional = 1,
    .run = RunInfo,
});

}  // namespace
}  // namespace brindle::cli
