// brindle-cli sync FILE --categories "2 5" --user USER [...]: the whole sync as a user runs it
// in the window (start-up answered, load, selection, "SYNC"), headless, over the real
// transfers. Each status line is printed when it changes; message boxes are printed and
// answered with their default.
#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>

#include "command.h"
#include "platform/code_page.h"
#include "platform/curl/curl_event_pump.h"
#include "platform/curl/curl_pump.h"
#include "platform/curl/curl_transfer_control.h"
#include "platform/file_ops.h"
#include "platform/headless/queued_file_dialog.h"
#include "platform/headless/queued_message_box.h"
#include "platform/headless/recording_windowing.h"
#include "platform/program_folder.h"
#include "platform/utf8_path.h"
#include "window/frm_brindle.h"

namespace brindle::cli {
namespace {

using platform::CurlTransferControl;

constexpr long long kDefaultTimeout = 900;

std::string FirstLine(const std::string& path, const char* what) {
  std::ifstream in(platform::PathFromUtf8(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the " + std::string(what) + " file " + path);
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The transfers' pump, with a limit: when the run has not ended in time the window is
// closed, which ends the run cleanly.
class PatientPump : public platform::EventPump {
 public:
  PatientPump(platform::CurlPump& pump, std::chrono::seconds limit)
      : pump_(pump), deadline_(std::chrono::steady_clock::now() + limit) {}
  std::function<void()> onTimeOut;
  bool timedOut() const { return timedOut_; }

  void DoEvents() override {
    pump_.DoEvents();
    if (!timedOut_ && std::chrono::steady_clock::now() > deadline_) {
      timedOut_ = true;
      if (onTimeOut) onTimeOut();
    }
  }

 private:
  platform::CurlEventPump pump_;
  std::chrono::steady_clock::time_point deadline_;
  bool timedOut_ = false;
};

class SyncSession {
 public:
  SyncSession(const Args& args, std::ostream& out)
      : args_(args),
        out_(out),
        pump_(curl_,
              std::chrono::seconds(args.GetNumber("--timeout", kDefaultTimeout, 1, 24 * 3600))) {
    ServiceConfig service = DefaultServiceConfig();
    service.webHost = args.Get("--web-host", service.webHost);
    service.ftpHost = args.Get("--ftp-host", service.ftpHost);
    if (args.Has("--ftp-password-file")) {
      service.ftpPassword = FirstLine(args.Get("--ftp-password-file"), "FTP password");
    }
    const std::filesystem::path folder = ProgramFolder(args);
    WindowPlatform platform{.messageBox = messageBox_,
                            .fileDialog = fileDialog_,
                            .eventPump = pump_,
                            .itc = itc_,
                            .itc2 = itc2_,
                            .windowing = windowing_,
                            .files = files_};
    window_ = std::make_unique<FrmBrindle>(platform, folder, service);
    messageBox_.onShown = [this](const platform::ShownMessage& box) { PrintBox(box); };
    window_->AddChangeListener([this](const std::string& what) { PrintStatus(what); });
    // The window says only that a step failed; the user of the command line gets the cause.
    window_->AddDiagnosticListener(
        [](const std::string& cause) { std::cerr << "brindle-cli sync: " << cause << "\n"; });
    pump_.onTimeOut = [this] {
      out_ << "brindle-cli sync: no end after " << args_.Get("--timeout", "900")
           << " s; closing the window\n";
      window_->CloseMain();
    };
  }

  int Run() {
    FrmBrindle& w = *window_;
    std::string fileText;
    if (!FileText(fileText)) return 1;
    w.Form_Load();
    // FILE takes the saved path's place before the window is shown, so that the activation
    // loads FILE, and only FILE: the file named in Brindle.conf is never copied and swapped.
    w.Type(names::txtFile, fileText);
    w.Click(names::Command1);
    if (w.shown(platform::WindowId::Main)) w.Form_Activate();
    if (!Loaded() || !Choose() || !EnterCredentials()) return Finish(false);
    w.Click(names::btnExt_export);
    // The question whether to go on without an interrupted sync got its default, No;
    // --resume-skip answers Yes to it, on a second press as a user would.
    if (w.lastRun().ending == RunEnding::Declined && args_.Has("--resume-skip")) {
      out_ << "brindle-cli sync: --resume-skip: going on without the interrupted sync"
           << std::endl;
      messageBox_.QueueAnswer(platform::MsgAnswer::Yes);
      w.Click(names::btnExt_export);
    }
    out_ << "Updated " << w.lastRun().recordsUpdated << " record(s)" << std::endl;
    const bool finished = w.lastRun().ending == RunEnding::Finished;
    if (!finished)
      std::cerr << "brindle-cli sync: see the run log " << w.runLog().file().string() << "\n";
    return Finish(finished);
  }

 private:
  // FILE's absolute path as the window's path box holds it (in the code page), which is also what
  // Brindle.conf keeps, so that a later run from another folder finds the same file.
  bool FileText(std::string& text) const {
    const std::filesystem::path file = std::filesystem::absolute(args_.PathAt(0));
    const std::optional<std::string> exact = platform::ExactTextFromPath(file);
    if (!exact) {
      std::cerr << "brindle-cli sync: " << file.string() << " cannot be named in "
                << platform::CodePageName()
                << ", the code page of the window's path box and of Brindle.conf; move or rename "
                   "the file\n";
      return false;
    }
    text = *exact;
    return true;
  }

  // The activation loaded FILE; the path box keeps the focus, so that leaving it for the user
  // name saves the path, as when a user types it.
  bool Loaded() {
    FrmBrindle& w = *window_;
    w.SetFocus(names::txtFile);
    if (w.categoryList().size() == 0) {
      std::cerr << "brindle-cli sync: " << args_.positional[0] << " could not be loaded\n";
      return false;
    }
    return true;
  }

  // Makes the list's selection exactly the categories asked for.
  bool Choose() {
    FrmBrindle& w = *window_;
    const std::vector<std::int32_t> wanted = CategoryNumbers(args_.Get("--categories"));
    for (std::int32_t number : wanted) {
      bool found = false;
      for (const ListEntry& entry : w.categoryList().entries()) found |= entry.itemData == number;
      if (!found) {
        std::cerr << "brindle-cli sync: category " << number << " is not in the file\n";
        return false;
      }
    }
    const ListControl& list = w.categoryList();
    for (int i = 0; i < list.size(); ++i) {
      const ListEntry& entry = list.entries()[i];
      const bool want = std::find(wanted.begin(), wanted.end(), entry.itemData) != wanted.end();
      if (entry.selected != want) {
        w.ClickListEntry(i, want);
        w.MouseUp(names::lstCategory);
      }
    }
    return true;
  }

  // The password comes from the file, or from what Brindle.conf held at start-up: the
  // password box shows it from then on.
  bool EnterCredentials() {
    FrmBrindle& w = *window_;
    const std::string password =
        args_.Has("--password-file")
            ? platform::Utf8ToCodePage(FirstLine(args_.Get("--password-file"), "password"))
            : w.control(names::txtAuth_pass).text();
    if (password.empty()) {
      std::cerr << "brindle-cli sync: no password: give --password-file, or save one in "
                << platform::ConfigFile(ProgramFolder(args_)).string() << "\n";
      return false;
    }
    // As a user would: into each box in turn, then on to "SYNC" (leaving a box saves it).
    w.SetFocus(names::txtAuth_login);
    w.Type(names::txtAuth_login, platform::Utf8ToCodePage(args_.Get("--user")));
    w.SetFocus(names::txtAuth_pass);
    w.Type(names::txtAuth_pass, password);
    w.SetFocus(names::btnExt_export);
    if (!w.control(names::btnExt_export).enabled()) {
      std::cerr << "brindle-cli sync: \"SYNC\" is not available\n";
      return false;
    }
    return true;
  }

  // The exit clean-up runs as when the user closes the window.
  int Finish(bool finished) {
    if (!window_->ended()) window_->CloseMain();
    return finished ? 0 : 1;
  }

  void PrintStatus(const std::string& what) {
    static const std::map<std::string, std::string> kCaptionOf = {
        {names::lblCSV_Status, names::lslStatus_CSV},
        {names::lblAuth_Status, names::lblStatus_Auth},
        {names::lblUP_Status, names::lblStatus_UP},
        {names::lblSRV_Status, names::lblStatus_Srv},
        {names::lblDOWN_Status, names::lblStatus_DOWN},
        {names::lblDAT_Status, names::lblStatus_DAT}};
    const auto caption = kCaptionOf.find(what);
    if (caption == kCaptionOf.end()) return;
    const std::string& text = window_->control(what).text();
    if (text.empty() || printed_[what] == text) return;
    printed_[what] = text;
    out_ << platform::CodePageToUtf8(window_->control(caption->second).text()) << ' '
         << platform::CodePageToUtf8(text) << std::endl;
  }

  void PrintBox(const platform::ShownMessage& box) {
    out_ << "[" << platform::CodePageToUtf8(box.title) << "] " << platform::CodePageToUtf8(box.text)
         << " -> " << platform::AnswerName(box.answer) << std::endl;
  }

  const Args& args_;
  std::ostream& out_;
  platform::CurlPump curl_;
  CurlTransferControl itc_{curl_, CurlTransferControl::Protocol::Ftp};
  CurlTransferControl itc2_{curl_, CurlTransferControl::Protocol::Http};
  PatientPump pump_;
  platform::QueuedMessageBox messageBox_;
  platform::QueuedFileDialog fileDialog_;
  platform::RecordingWindowing windowing_;
  platform::RealFileOps files_;
  std::unique_ptr<FrmBrindle> window_;
  std::map<std::string, std::string> printed_;
};

int RunSync(const Args& args, std::ostream& out) {
  if (!args.Has("--categories")) throw UsageError("--categories is required");
  if (!args.Has("--user")) throw UsageError("--user is required");
  CategoryNumbers(args.Get("--categories"));
  SyncSession session(args, out);
  return session.Run();
}

const CommandRegistrar kSync({
    .name = "sync",
    .synopsis = "sync FILE --categories \"2 5 0\" --user USER [--password-file F] "
                "[--web-host H[:P]] [--ftp-host H[:P]] [--program-folder DIR] [--resume-skip]",
    .summary = "Sync the chosen categories of FILE with the Rookery service, as \"SYNC\" does.",
    .help =
        "Runs the main window headless: the start-up warning is answered \"No, is  not\n"
        "running\", FILE is loaded, the categories with the given numbers are chosen (0 is\n"
        "Unfiled), the user name and password are typed and \"SYNC\" is pressed. The export,\n"
        "authentication, upload, import, download and rewrite of FILE follow as in the window.\n"
        "Each status line is printed when it changes (\"Authentication: ...\"); message boxes\n"
        "are printed as \"[title] text -> answer\" and answered with their default.\n"
        "  --user USER              the Rookery user name\n"
        "  --password-file F        the password is the first line of F; without it, the one\n"
        "                           saved in Brindle.conf (never on the command line)\n"
        "  --web-host H[:P]         the service's web host (default: the build's, port 80);\n"
        "                           https://H[:P] reaches it over TLS (port 443)\n"
        "  --ftp-host H[:P]         the service's FTP host (default: the build's, port 21)\n"
        "  --ftp-password-file F    the FTP account's password (default: the build's)\n"
        "  --program-folder DIR     where Brindle.conf, tmp/, backups/ and Brindle.log live\n"
        "                           (default: this program's folder)\n"
        "  --timeout SECONDS        close the window when the run has not ended by then\n"
        "                           (default 900); FILE is then left as it was\n"
        "Only FILE is loaded, whatever path Brindle.conf holds. Like the window, the run\n"
        "saves the path (FILE's absolute path), categories, user name and password in\n"
        "Brindle.conf (readable by its owner only).\n"
        "A run whose export reached the service keeps a journal in the program folder,\n"
        "naming its last step, until the service's copy of the result is deleted. When a\n"
        "run was interrupted (killed, the connection lost), the next sync of FILE first\n"
        "finishes it: from the result kept with the journal, or by fetching it from the\n"
        "service (a run that never asked for its import is simply forgotten). When that\n"
        "result is gone or not ready, contacts of that run may already be in the service:\n"
        "the sync stops and keeps the journal, unless --resume-skip is given, which drops\n"
        "it and goes on.\n"
        "  --resume-skip            go on when an interrupted sync cannot be finished\n"
        "When the run has started, \"Updated N record(s)\" gives the exported records that\n"
        "received their database identifiers; the service cannot change any other record.\n"
        "When a step fails, its cause is printed on stderr, and so is the path of the run\n"
        "log, Brindle.log in the program folder, which every run appends to.\n"
        "Exit status 0 when the run finished (\"Process finished...\"), 1 otherwise (also when\n"
        "the result file named none of the exported records).\n",
    .valueOptions = {"--categories", "--user", "--password-file", "--web-host", "--ftp-host",
                     "--ftp-password-file", "--program-folder", "--timeout"},
    .flagOptions = {"--resume-skip"},
    .minPositional = 1,
    .maxPositional = 1,
    .run = RunSync,
});

}  // namespace
}  // namespace brindle::cli
