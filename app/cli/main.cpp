// brindle-cli: the command-line companion of Brindle. Scripts depend on its output and exit
// statuses: 0 success, 1 failure (message on stderr), 2 bad command line.
#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "address_file/dat_error.h"
#include "command.h"
#include "platform/utf8_path.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#endif

namespace {

using brindle::cli::Command;
using brindle::cli::Commands;

constexpr int kFailure = 1;
constexpr int kUsage = 2;

void PrintOverview(std::ostream& os) {
  os << "brindle-cli: work with a Palm Desktop 4.1.4 address.dat from the command line.\n\n"
        "Usage: brindle-cli COMMAND [ARGUMENTS]\n\nCommands:\n";
  for (const Command& c : Commands()) os << "  " << c.synopsis << "\n      " << c.summary << "\n";
  os << "\nRun 'brindle-cli COMMAND --help' for the details of a command.\n"
        "Exit status: 0 success, 1 failure (the message on stderr says what and where), "
        "2 bad command line.\n";
}

void PrintCommandHelp(std::ostream& os, const Command& c) {
  os << "Usage: brindle-cli " << c.synopsis << "\n\n" << c.help;
}

const Command* Find(const std::string& name) {
  for (const Command& c : Commands()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

int UsageFailure(const std::string& message, const Command* c) {
  std::cerr << "brindle-cli: " << message << "\n";
  if (c) {
    std::cerr << "Usage: brindle-cli " << c->synopsis << "\nRun 'brindle-cli " << c->name
              << " --help' for details.\n";
  } else {
    std::cerr << "Run 'brindle-cli --help' for the list of commands.\n";
  }
  return kUsage;
}

bool AsksForHelp(const std::vector<std::string>& words) {
  for (const std::string& w : words) {
    if (w == "--help" || w == "-h") return true;
  }
  return false;
}

int Run(const Command& c, const std::vector<std::string>& words) {
  if (AsksForHelp(words)) {
    PrintCommandHelp(std::cout, c);
    return 0;
  }
  try {
    const int status = c.run(brindle::cli::ParseArgs(c, words), std::cout);
    // A script reading a cut-off listing must not see success.
    if (!std::cout.flush()) throw std::runtime_error("cannot write the output");
    return status;
  } catch (const brindle::cli::UsageError& e) {
    return UsageFailure(e.what(), &c);
  } catch (const std::filesystem::filesystem_error& e) {
    // The library's own text ("filesystem error: ...") is not for the user.
    std::cout.flush();
    std::cerr << "brindle-cli " << c.name << ": error: a file operation failed on "
              << e.path1().string() << ": " << e.code().message() << "\n";
    return kFailure;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "brindle-cli " << c.name << ": error: " << e.what() << "\n";
    return kFailure;
  }
}

// The arguments after the program's name, paths among them, as UTF-8 (see Args::PathAt).
std::vector<std::string> Words(int argc, char** argv) {
#ifdef _WIN32
  // Windows hands `argv` over in the code page, where a Greek or Japanese folder name has
  // become "?"; the wide command line holds every character.
  (void)argc;
  (void)argv;
  int n = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &n);
  std::vector<std::string> words;
  for (int i = 1; wide && i < n; ++i) {
    words.push_back(brindle::platform::Utf8FromPath(std::filesystem::path(wide[i])));
  }
  ::LocalFree(wide);
  // The output is UTF-8 with plain line ends, the same bytes as on other systems.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  ::SetConsoleOutputCP(CP_UTF8);
  return words;
#else
  return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> words = Words(argc, argv);
  if (words.empty()) return UsageFailure("no command given", nullptr);
  const std::string name = words.front();
  words.erase(words.begin());
  if (name == "--help" || name == "-h" || name == "help") {
    const Command* c = words.empty() ? nullptr : Find(words.front());
    if (c) {
      PrintCommandHelp(std::cout, *c);
    } else {
      PrintOverview(std::cout);
    }
    return 0;
  }
  const Command* c = Find(name);
  if (!c) return UsageFailure("unknown command '" + name + "'", nullptr);
  return Run(*c, words);
}
