// The "drive" command line: options, the script source, and how errors end the run.
#include <fstream>
#include <functional>
#include <iostream>
#include <map>

#include "window/driver/scenario_driver.h"

namespace brindle::drive {

namespace {

constexpr const char* kUsage =
    "usage: brindle-cli drive [--program-folder DIR] [--web-host H[:P]] [--ftp-host H[:P]] "
    "[SCRIPT]";

// Options that take one value. New options are one more entry here.
using OptionSetter = std::function<void(DriveOptions&, const std::string&)>;

const std::map<std::string, OptionSetter>& ValueOptions() {
  static const std::map<std::string, OptionSetter> options = {
      {"--program-folder", [](DriveOptions& o, const std::string& v) { o.programFolder = v; }},
      {"--web-host",
       [](DriveOptions& o, const std::string& v) {
         o.service.webHost = v;
         o.syncForReal = true;
       }},
      {"--ftp-host",
       [](DriveOptions& o, const std::string& v) {
         o.service.ftpHost = v;
         o.syncForReal = true;
       }},
  };
  return options;
}

// Returns false (after reporting) on a usage error.
bool ParseArgs(const std::vector<std::string>& args, DriveOptions& options, std::ostream& err) {
  bool haveScript = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto option = ValueOptions().find(arg);
    if (option != ValueOptions().end()) {
      if (i + 1 >= args.size()) {
        err << "drive: " << arg << " needs a value\n" << kUsage << '\n';
        return false;
      }
      option->second(options, args[++i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      err << "drive: unknown option " << arg << '\n' << kUsage << '\n';
      return false;
    } else if (!haveScript) {
      options.script = arg;
      haveScript = true;
    } else {
      err << "drive: more than one script given\n" << kUsage << '\n';
      return false;
    }
  }
  return true;
}

int RunScript(ScenarioDriver& driver, std::istream& script, std::ostream& out, std::ostream& err) {
  std::string line;
  for (long number = 1; std::getline(script, line); ++number) {
    try {
      driver.RunLine(line);
    } catch (const ScriptError& e) {
      out.flush();
      err << "line " << number << ": " << e.what() << '\n';
      return 2;
    } catch (const std::exception& e) {
      out.flush();
      err << "line " << number << ": " << e.what() << '\n';
      return 2;
    }
    if (driver.ended()) break;
  }
  out.flush();
  return 0;
}

}  // namespace

std::set<std::string> DriveValueOptions() {
  std::set<std::string> names;
  for (const auto& option : ValueOptions()) names.insert(option.first);
  return names;
}

int RunDrive(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err, const std::filesystem::path& defaultProgramFolder,
             DriveTransfers* realTransfers) {
  DriveOptions options;
  options.programFolder = defaultProgramFolder;
  if (!ParseArgs(args, options, err)) return 2;
  if (options.syncForReal) options.transfers = realTransfers;
  ScenarioDriver driver(options, out);
  if (options.script.empty()) return RunScript(driver, in, out, err);
  std::ifstream script(options.script, std::ios::binary);
  if (!script) {
    err << "drive: cannot open " << options.script << '\n';
    return 2;
  }
  return RunScript(driver, script, out, err);
}

}  // namespace brindle::drive
