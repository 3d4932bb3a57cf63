// What a sync run writes to the run log: its start, each status line as it changes, the
// service's replies and the causes of failures (from the sync run), and at the end, from the
// run's outcome, the records updated, the backup kept and how it ended.
#include <string>

#include "window/frm_brindle.h"

namespace brindle {

void FrmBrindle::BeginRunLog() {
  std::string categories;
  for (const std::string& slot : selectedCategories_) {
    if (!slot.empty()) categories += (categories.empty() ? "" : " ") + slot;
  }
  logged_.clear();
  backups_.ClearLastKept();
  runLog_.Begin(datPath_, categories);
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
  runLog_.Step(line->second + ": " + text);
}

void FrmBrindle::EndRunLog() {
  if (!runLog_.running()) return;
  runLog_.Step("records updated: " + std::to_string(lastRun_.recordsUpdated));
  const auto& kept = backups_.lastKept();
  runLog_.Step(kept.empty() ? std::string("backup: none made") : "backup: " + kept.string());
  runLog_.End(Describe(lastRun_));
}

}  // namespace brindle
