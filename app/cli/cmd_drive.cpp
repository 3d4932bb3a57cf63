// brindle-cli drive [--program-folder DIR] [SCRIPT]: runs the window model from a script of
// user actions and prints what the user would see, as JSON Lines.
#include <fstream>
#include <iostream>

#include "command.h"
#include "platform/curl/curl_event_pump.h"
#include "platform/curl/curl_pump.h"
#include "platform/curl/curl_transfer_control.h"
#include "platform/program_folder.h"
#include "window/driver/scenario_driver.h"

namespace brindle::cli {
namespace {

// The options' values, already checked against the command's options by the command line.
drive::DriveOptions DriveOptionsFrom(const Args& args) {
  drive::DriveOptions options;
  options.programFolder = ProgramFolder(args);
  // Either host option asks for a real sync run; the other host stays the build's.
  if (args.Has("--web-host")) options.service.webHost = args.Get("--web-host");
  if (args.Has("--ftp-host")) options.service.ftpHost = args.Get("--ftp-host");
  options.syncForReal = args.Has("--web-host") || args.Has("--ftp-host");
  return options;
}

int RunDriveCommand(const Args& args, std::ostream& out) {
  drive::DriveOptions options = DriveOptionsFrom(args);
  // Used only when a host option asks for a real sync run.
  platform::CurlPump curl;
  platform::CurlTransferControl itc(curl, platform::CurlTransferControl::Protocol::Ftp);
  platform::CurlTransferControl itc2(curl, platform::CurlTransferControl::Protocol::Http);
  platform::CurlEventPump pump(curl);
  drive::DriveTransfers transfers{itc, itc2, pump};
  if (options.syncForReal) options.transfers = &transfers;
  drive::ScenarioDriver driver(options, out);
  const std::string path = args.positional.empty() ? "" : args.positional.front();
  if (path.empty()) return drive::RunScript(driver, std::cin, out, std::cerr);
  std::ifstream script(args.PathAt(0), std::ios::binary);
  if (!script) {
    std::cerr << "drive: cannot open " << path << '\n';
    return 2;
  }
  return drive::RunScript(driver, script, out, std::cerr);
}

const CommandRegistrar kDrive({
    .name = "drive",
    .synopsis = "drive [--program-folder DIR] [--web-host H[:P]] [--ftp-host H[:P]] [SCRIPT]",
    .summary = "Run the main window headless from a script of user actions.",
    .help = "Reads commands from SCRIPT, or from stdin, one per line; '#' at the start of a line\n"
            "starts a comment. The program folder (where Brindle.conf and tmp/ live) is DIR, or\n"
            "the folder of this program. Without a host option \"SYNC\" stops at the hand-over to\n"
            "the sync run, which is printed; with --web-host or --ftp-host (the other host is the\n"
            "build's) it runs the real sync against that service and waits for it to end.\n"
            "  start                  create both windows and run the start-up\n"
            "  answer Yes|No|OK       answer the next message box (unanswered: OK, or No)\n"
            "  dialog PATH|cancel     the next result of the file-open dialog\n"
            "  click CONTROL          Command1, Command2, btnLoad, btnFile, btnExt_markall,\n"
            "                         btnExt_export, btnConfig, btnExit, btnExit2\n"
            "  type CONTROL [TEXT]    set a text field's text as typing would (TEXT may hold\n"
            "                         blanks; without it the field is emptied)\n"
            "  focus CONTROL          move the keyboard focus\n"
            "  activate               the main window becomes the active window\n"
            "  select INDEX on|off    change entry INDEX of lstCategory and make it current\n"
            "  mouseup | keyup        mouse or key released over the category list\n"
            "  close                  close the main window (its clean-up runs)\n"
            "  dump [NAME...]         print the whole state of both windows, or only the named\n"
            "                         items: controls of the main window (txtFile), of the\n"
            "                         warning (Form1.Command1), or the dump's top-level items\n"
            "                         (controls form1 captions focus height panels shown\n"
            "                         selectedCategories)\n"
            "Output, one JSON object per line: each message box and file dialog shown, each\n"
            "hand-over to the sync run, {\"ignored\":...} for an action aimed at a disabled or\n"
            "hidden control, and the dumps. Texts are converted from Windows-1252 to UTF-8.\n"
            "Exit status 2 for an unknown command or control, with its line number on stderr.\n",
    .valueOptions = {"--program-folder", "--web-host", "--ftp-host"},
    .flagOptions = {},
    .minPositional = 0,
    .maxPositional = 1,
    .run = RunDriveCommand,
});

}  // namespace
}  // namespace brindle::cli
