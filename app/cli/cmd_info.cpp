// brindle-cli info FILE: the header's record count and the category table.
#include <iostream>
#include <ostream>

#include "address_file/dat_error.h"
#include "address_file/dat_format.h"
#include "address_file/dat_reader.h"
#include "command.h"
#include "platform/code_page.h"
#include "text/byte_escape.h"

namespace brindle::cli {
namespace {

// A name from the file for the terminal: UTF-8, with every control character written as \xNN
// of its byte in the file, so that a file cannot send control sequences to the terminal.
std::string TerminalText(std::string_view text) {
  return text::EscapeBytes(text, platform::IsControlByte, [](char c) {
    return platform::CodePageToUtf8(std::string_view(&c, 1));
  });
}

int RunInfo(const Args& args, std::ostream& out) {
  const std::string& file = args.positional[0];
  DatHeader header;
  try {
    DatInput in(args.PathAt(0));
    DatReader reader;
    header = reader.ReadHeader(in);
  } catch (const DatError& e) {
    throw DatError(file + ": " + e.what(), e.offset());
  }
  if (header.leadBytes != dat_format::kFileTag) {
    std::cerr << "brindle-cli info: warning: " << file
              << " does not start with the tag of a Palm Desktop 4.1.4 address.dat (BE BA FE CA)"
              << "\n";
  }
  out << "records: " << header.recordCount << "\n";
  out << "categories: " << header.categoryCount << "\n";
  for (std::size_t i = 1; i < header.categories.size(); ++i) {
    const DatCategory& c = header.categories[i];
    out << c.number << '\t' << TerminalText(c.longName) << "\n";
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
            "name converted from Windows-1252 to UTF-8; a control character in a name is\n"
            "shown as \\xNN, the hexadecimal value of its byte in the file. A file that does\n"
            "not start with the tag of Palm Desktop 4.1.4 (BE BA FE CA) gets a warning on\n"
            "stderr.\n",
    .valueOptions = {},
    .flagOptions = {},
    .minPositional = 1,
    .maxPositional = 1,
    .run = RunInfo,
});

}  // namespace
}  // namespace brindle::cli
