#include "command.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

#include "export/category_selection.h"
#include "platform/program_folder.h"
#include "platform/utf8_path.h"
#include "text/whole_number.h"

namespace brindle::cli {

namespace {
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}
}  // namespace

CommandRegistrar::CommandRegistrar(Command command) {
  auto& commands = Registry();
  commands.push_back(std::move(command));
  std::sort(commands.begin(), commands.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
}

const std::vector<Command>& Commands() { return Registry(); }

std::vector<std::int32_t> CategoryNumbers(const std::string& text) {
  std::vector<std::int32_t> numbers;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    const auto value = ParseCategoryNumber(word);
    if (!value || *value < INT32_MIN || *value > INT32_MAX) {
      throw UsageError("--categories holds \"" + word + "\", which is not a category number");
    }
    numbers.push_back(static_cast<std::int32_t>(*value));
  }
  if (numbers.empty()) throw UsageError("--categories needs at least one category number");
  return numbers;
}

std::string Args::Get(const std::string& option, const std::string& fallback) const {
  const auto it = options.find(option);
  return it == options.end() ? fallback : it->second;
}

long long Args::GetNumber(const std::string& option, long long fallback, long long min,
                          long long max) const {
  if (!Has(option)) return fallback;
  const std::string text = Get(option);
  const auto value = text::ParseWholeNumber(text);
  if (!value || *value < min || *value > max) {
    throw UsageError(option + " needs a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not \"" + text + "\"");
  }
  return *value;
}

Args ParseArgs(const Command& command, const std::vector<std::string>& words) {
  Args args;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.size() < 2 || word.compare(0, 2, "--") != 0 || word == "--") {
      args.positional.push_back(word);
      continue;
    }
    const std::size_t eq = word.find('=');
    const std::string name = word.substr(0, eq);
    if (command.flagOptions.count(name) != 0 && eq == std::string::npos) {
      args.options[name] = "";
    } else if (command.valueOptions.count(name) != 0) {
      if (eq != std::string::npos) {
        args.options[name] = word.substr(eq + 1);
      } else if (i + 1 < words.size()) {
        args.options[name] = words[++i];
      } else {
        throw UsageError(name + " needs a value");
      }
    } else {
      throw UsageError("unknown option " + name);
    }
  }
  if (args.positional.size() < command.minPositional) throw UsageError("missing arguments");
  if (args.positional.size() > command.maxPositional) throw UsageError("too many arguments");
  return args;
}

std::filesystem::path Args::PathAt(std::size_t index) const {
  return platform::PathFromUtf8(positional.at(index));
}

std::filesystem::path Args::PathOf(const std::string& option, const std::string& fallback) const {
  return platform::PathFromUtf8(Get(option, fallback));
}

std::filesystem::path ProgramFolder(const Args& args) {
  if (args.Has("--program-folder")) return args.PathOf("--program-folder");
  return platform::ProgramDataFolder(nullptr);
}

}  // namespace brindle::cli
