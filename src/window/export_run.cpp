// The export run behind "SYNC": checks its inputs, writes the export file through the record
// loop that brindle-cli shares, reports the count, and hands over to the sync run.
#include <optional>
#include <string>

#include "address_file/dat_input.h"
#include "export/category_selection.h"
#include "export/export_line.h"
#include "platform/code_page.h"
#include "platform/file_replacement.h"
#include "platform/program_folder.h"
#include "window/frm_brindle.h"
#include "window/sync_run/failure_cause.h"

namespace brindle {

namespace {

constexpr const char* kDatProblem = "Error... There is some problem with the DAT file!";
// Also what the sync run shows when the service's reply cannot be read.
constexpr const char* kOutputProblem = SyncRun::kOutputProblem;

}  // namespace

void FrmBrindle::btnExt_export_Click() {
  // An FTP error re-enables the button while the run goes on; a second run would rewrite the
  // export file under the first one.
  if (syncRun_.running()) return;
  Clear_Status();
  lblCSV_Status.SetText("");
  lblAuth_Status.SetText("");
  lblUP_Status.SetText("");
  lblDOWN_Status.SetText("");
  datPath_ = txtFile.text();
  if (datPath_.empty()) {
    messageBox.Show("You have to select a valid Import PATH!", "Select a valid Import Path",
                    platform::MsgButtons::OK, platform::MsgIcon::None);
    SetFocus(txtFile);
    return;
  }
  if (lstCategory.selectedCount() == 0) CopySavedSelection();
  if (!AnyCategoryChosen(selectedCategories_)) {
    messageBox.Show("You have to select at list one Category!",
                    "Select some categories from the list", platform::MsgButtons::OK,
                    platform::MsgIcon::None);
    SetFocus(lstCategory);
    return;
  }
  lastRun_ = SyncOutcome{};
  lastStatus_ = nullptr;
  btnExt_export.SetText("Processing, wait the end!");
  btnExt_export.SetEnabled(false);
  SetOff();
  BeginRunLog();
  RunExport();
  EndRunLog();
}

// Saved entries go into the table by position; entries beyond the table's end are ignored.
void FrmBrindle::CopySavedSelection() {
  for (std::size_t p = 0; p < savedCategories_.size() && p < selectedCategories_.size(); ++p) {
    selectedCategories_[p] = savedCategories_[p];
  }
}

void FrmBrindle::RunExport() {
  // The whole run, from the export to the write-back, holds the file's lock: a second run on
  // the same file fails here. A file the write-back would have to refuse is refused before
  // anything is sent.
  std::optional<platform::FileReplacement> run;  // its lock and checks; the write-back's own
  std::optional<DatInput> in;
  DatHeader header;
  try {
    run.emplace(platform::PathFromText(datPath_), backups_);
    // An interrupted run on this file is finished first, so that its records go out again
    // with their identifiers instead of being added a second time.
    if (!syncRun_.ResumeInterrupted(datPath_, run->lock())) {
      lastRun_ = syncRun_.outcome();
      return;
    }
    in.emplace(platform::PathFromText(datPath_));
    header = datReader.ReadHeader(*in);
    csvName_ = CsvName(header.recordCount);
    csvPath_ = TmpFile(csvName_);
  } catch (const std::exception& e) {
    ExportFailed(kDatProblem, e);
    return;
  }
  int lines = 0;
  exportedIds_.clear();
  try {
    // Refuses a tmp folder others could reach.
    files.CreateDirectory(platform::TmpFolder(programFolder_));
    lines = WriteExport(datReader, *in, header, selectedCategories_, csvPath_,
                        [this](const DatRecord& rec) {
                          lblCSV_Status.SetText("Writting the output file...");
                          exportedIds_.insert(rec.recordId);
                        });
    in.reset();
    if (lines != 0) {
      recordsExported_ = static_cast<std::int16_t>(lines);
      lblCSV_Status.SetText("Wrote " + std::to_string(lines) + " register(s)!");
      HandOver(run->lock());
      return;
    }
  } catch (const std::exception& e) {
    ExportFailed(kOutputProblem, e);
    return;
  }
  lastRun_.cause = "no record of the chosen categories was exported";
  SetOn();
  btnExt_export.SetEnabled(true);
  lblCSV_Status.SetText("0 register(s) were written and could not be sent!");
  SetFocus(lstCategory);
}

// The export's own errors and programming errors end it alike; only the cause tells them apart.
void FrmBrindle::ExportFailed(const char* text, const std::exception& error) {
  lastRun_.cause = CauseOf(error) + AdviceFor(error, "SYNC");
  Report(lastRun_.cause);
  lblCSV_Status.SetText(text);
  lblCSV_Status.SetCause(lastRun_.cause);
  SetOn();
}

void FrmBrindle::HandOver(const platform::FileLock& lock) {
  const ExportedFile exported{datPath_, csvName_, csvPath_, recordsExported_, exportedIds_};
  if (platform_.handOver) {
    platform_.handOver(exported);
    return;
  }
  syncRun_.SendFile(exported, lock);
  lastRun_ = syncRun_.outcome();
}

}  // namespace brindle
