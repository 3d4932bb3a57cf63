// The subcommands of brindle-cli. Each command lives in its own cmd_<name>.cpp and registers
// itself with a static CommandRegistrar, so adding a command means adding one file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace brindle::cli {

// A mistake in the command line; main prints the command's usage and exits with 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Args {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // "--output" -> value

  bool Has(const std::string& option) const { return options.count(option) != 0; }
  std::string Get(const std::string& option, const std::string& fallback = "") const;
  // The option's value as a whole number in [min, max]; `fallback` when absent.
  long long GetNumber(const std::string& option, long long fallback, long long min,
                      long long max) const;
  // A path given on the command line (UTF-8 on Windows, see main.cpp): the positional
  // argument at `index`, or the option's value (`fallback` when absent).
  std::filesystem::path PathAt(std::size_t index) const;
  std::filesystem::path PathOf(const std::string& option, const std::string& fallback = "") const;
};

struct Command {
  std::string name;
  std::string synopsis;                // e.g. "info FILE"
  std::string summary;                 // one line for the command list
  std::string help;                    // what the command does, its arguments and its output
  std::set<std::string> valueOptions;  // options that take a value, e.g. "--output"
  std::set<std::string> flagOptions;   // options without a value
  std::size_t minPositional = 0;
  std::size_t maxPositional = 0;
  // Returns the exit status. Throws UsageError for a bad command line and any other exception
  // for a failure, which main reports on stderr with exit status 1.
  std::function<int(const Args&, std::ostream& out)> run;
};

struct CommandRegistrar {
  explicit CommandRegistrar(Command command);
};

// Registered commands, sorted by name.
const std::vector<Command>& Commands();

// The category numbers of a --categories value ("2 5 0"), in the order given, each read as
// Brindle.conf's saved categories are (ParseCategoryNumber).
std::vector<std::int32_t> CategoryNumbers(const std::string& text);

// The folder that holds Brindle.conf, tmp, backups and Brindle.log: --program-folder, or the
// program's own (see platform::ProgramDataFolder).
std::filesystem::path ProgramFolder(const Args& args);

// Parses the words after the command name against the command's options.
Args ParseArgs(const Command& command, const std::vector<std::string>& words);

}  // namespace brindle::cli
