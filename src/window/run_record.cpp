// What a sync run writes to the run log: its start, each status line as it changes (with the
// service's reply where one was judged), the causes of failures, the records updated, the
// backup kept, and its end.
#include <string>

#include "window/frm_brindle.h"

namespace brindle {

namespace {

// The service's replies are short numbers; anything else is cut, so that a misbehaving
// server cannot fill the log.
std::string ShortReply(const std::string& reply) {
  std::string shown = reply.substr(0, 40);
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) c = '?';
  }
  return shown;
}

}  // namespace

void FrmBrindle::BeginRunLog() {
  std::string categories;
  for (const std::string& slot : varSel_cat) {
    if (!slot.empty()) categories += (categories.empty() ? "" : " ") + slot;
  }
  logged_.clear();
  backups_.ClearLastKept();
  runLog_.Begin(strDat_path, categories, txtAuth_pass.text());
}

void FrmBrindle::LogStatus(const std::string& what) {
  static const std::map<std::string, std::string> kLines = {
      {names::lblCSV_Status, "export"},    {names::lblAuth_Status, "authentication"},
      {names::lblUP_Status, "upload"},     {names::lblSRV_Status, "import"},
      {names::lblDOWN_Status, "download"}, {names::lblDAT_Status, "address file"}};
  const auto line = kLines.find(what);
  if (!runLog_.running() || line == kLines.end()) return;
  const std::string& text = Find(what)->text();
  // "Writting the output file..." comes once per record; one line says it.
  if (text.empty() || logged_[what] == text) return;
  logged_[what] = text;
  const bool judged = what == names::lblAuth_Status ? text != "Verifying the Authentication..."
                                                    : text == "Output file was processed!";
  runLog_.Step(line->second + ": " + text +
               (judged ? " (service reply \"" + ShortReply(syncRun_.lastReply()) + "\")" : ""));
}

void FrmBrindle::EndRunLog() {
  if (!runLog_.running()) return;
  runLog_.Step("records updated: " + std::to_string(syncRun_.recordsUpdated()));
  const auto& kept = backups_.lastKept();
  runLog_.Step(kept.empty() ? std::string("backup: none made") : "backup: " + kept.string());
  const bool finished = lblDAT_Status.text() == "Process finished...";
  runLog_.End(finished ? "finished" : ended_ ? "window closed during the run" : "failed");
}

}  // namespace brindle
