// brindle-cli sample OUT [--records N]: a realistic address.dat to try Brindle on.
#include <filesystem>
#include <ostream>

#include "command.h"
#include "platform/file_safety.h"
#include "sample_file.h"

namespace brindle::cli {
namespace {

int RunSample(const Args& args, std::ostream& out) {
  const std::filesystem::path path = args.PathAt(0);
  std::error_code ec;
  // Never write over a file that may be someone's real contacts.
  if (std::filesystem::exists(path, ec) && !args.Has("--force")) {
    throw std::runtime_error(path.string() + " already exists; add --force to replace it");
  }
  SampleOptions options;
  options.records = static_cast<std::int32_t>(args.GetNumber("--records", 40, 0, 2000000));
  options.seed = static_cast<std::uint64_t>(args.GetNumber("--seed", 1, 0, 1LL << 62));
  // A first try names a folder of its own (~/brindle-demo/address.dat); contacts stay private.
  platform::EnsureFolderPath(path.parent_path());
  WriteSampleFile(path, options);
  out << "Wrote " << options.records << " sample record(s) to " << path.string() << "\n";
  return 0;
}

const CommandRegistrar kSample({
    .name = "sample",
    .synopsis = "sample OUT [--records N] [--seed S] [--force]",
    .summary = "Make a realistic sample address file.",
    .help = "Writes a made-up address.dat to OUT, laid out as Palm Desktop 4.1.4 writes it:\n"
            "five categories plus unfiled records, accented names in Windows-1252, phone\n"
            "numbers, e-mail addresses, street addresses with commas, quotes and line\n"
            "breaks, birthdays before 1970, a few records in state 129 and one long note.\n\n"
            "  --records N  number of records (default 40)\n"
            "  --seed S     a different seed gives different people (default 1)\n"
            "  --force      replace OUT if it exists (refused otherwise)\n\n"
            "Missing folders of OUT are made, readable by their owner only.\n",
    .valueOptions = {"--records", "--seed"},
    .flagOptions = {"--force"},
    .minPositional = 1,
    .maxPositional = 1,
    .run = RunSample,
});

}  // namespace
}  // namespace brindle::cli
