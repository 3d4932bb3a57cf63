// Loading an address file into the category list: the path checks, the copy taken before the
// read, the header and categories, the pre-selection of the saved categories, and the swap
// that leaves the copy at the user's path and a backup in the tmp folder.
#include <optional>
#include <string>

#include "address_file/dat_input.h"
#include "export/category_selection.h"
#include "platform/code_page.h"
#include "platform/file_replacement.h"
#include "platform/program_folder.h"
#include "platform/utf8_path.h"
#include "window/frm_brindle.h"
#include "window/sync_run/failure_cause.h"

namespace brindle {

namespace {

// Thrown for a saved category entry that is not a number; it fails the load like a bad file.
struct BadSavedCategory : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::int64_t SavedNumber(const std::string& entry) {
  const auto number = ParseCategoryNumber(entry);
  if (!number) throw BadSavedCategory("saved category is not a number: " + entry);
  return *number;
}

}  // namespace

void FrmBrindle::FileLoad() {
  if (txtFile.text().empty()) {
    messageBox.Show("You have to select a valid PATH!", "Select a valid Path",
                    platform::MsgButtons::OK, platform::MsgIcon::None);
    return;
  }
  datPath_ = txtFile.text();
  // Held until the copy is in place: one run per file. The copy and the swap work on the file
  // a link finally names, so that the link stays.
  std::optional<platform::FileReplacement> replacement;
  try {
    replacement.emplace(platform::PathFromText(datPath_), backups_);
    replacement->CopyInto(files, programFolder_);
    LoadCategories();
  } catch (const std::exception& e) {
    const std::string cause = CauseOf(e) + AdviceFor(e, "Load File");
    Report(cause);
    runLog_.Note("load of " + datPath_ + " failed: " + cause);
    replacement.reset();  // removes the copy this load made, if it made one
    LoadFailed(cause);
    return;
  }
  SwapAfterLoad(*replacement);
  lblStatus_File.SetVisible(false);
  SetOn();
  Clear_Status();
}

void FrmBrindle::LoadCategories() {
  btnExit2.SetVisible(false);
  lstCategory.Clear();
  Repaint(lstCategory);
  lblNum_cat.SetText("0");
  Repaint(lblNum_cat);
  lblNum_reg.SetText("0");
  lblStatus_File.SetVisible(true);
  Repaint(lblStatus_File);

  DatInput in(platform::PathFromText(datPath_));
  const DatHeader header = datReader.ReadHeader(in);
  lblNum_reg.SetText(std::to_string(header.recordCount));
  const int n = header.categoryCount;
  selectedCategories_.assign(static_cast<std::size_t>(n) + 1, "");
  bool unfiled = false;
  for (int i = 1; i <= n; ++i) {
    const DatCategory& category = header.categories.at(static_cast<std::size_t>(i));
    lstCategory.AddItem(category.longName);
    lstCategory.SetItemData(i - 1, category.number);
    PreselectSaved(i - 1, category.number, unfiled);
  }
  lblNum_cat.SetText(std::to_string(n + 1));
  lstCategory.AddItem("Unfiled");
  if (unfiled) {
    lstCategory.SetSelected(n, true);
    // Not `= "0"`: GCC 12 at -O2 takes that for an overlapping copy (-Wrestrict, an error
    // in the CI build).
    selectedCategories_[static_cast<std::size_t>(n)].assign(1, '0');
  }
}

// Selects the entry at `position` when a saved entry names its category; notes a saved 0
// for "Unfiled", which is only ever seen while some category is being matched.
void FrmBrindle::PreselectSaved(int position, std::int32_t number, bool& unfiled) {
  for (const std::string& entry : savedCategories_) {
    const std::int64_t saved = SavedNumber(entry);
    if (saved == number) {
      lstCategory.SetSelected(position, true);
      selectedCategories_[static_cast<std::size_t>(position)] = entry;
      UpdateSyncButton();
      lblExt_num_selected.SetText("1");
    } else if (saved == 0) {
      unfiled = true;
    }
  }
}

void FrmBrindle::LoadFailed(const std::string& cause) {
  SetOff();
  txtFile.SetEnabled(true);
  btnFile.SetEnabled(true);
  btnExit.SetEnabled(true);
  btnConfig.SetEnabled(true);
  btnExt_export.SetEnabled(false);
  messageBox.Show("Palm Desktop address.dat file Problem!", "File Path Error",
                  platform::MsgButtons::OK, platform::MsgIcon::None, FailureDetails(cause));
}

// The file that was read is kept as a backup copy, and the copy taken before the read is put
// in its place in one step. Neither step can leave the user's path without a complete file,
// and the backup that the exit clean-up deletes is never the only copy. Failures are passed
// over: the user's file then simply stays where it is, and the copy until the exit.
void FrmBrindle::SwapAfterLoad(platform::FileReplacement& replacement) {
  const auto backup = TmpFile("address.bkp");
  try {
    // Refuses a tmp folder others could reach.
    files.CreateDirectory(platform::TmpFolder(programFolder_));
    platform::RemoveQuietly(files, backup);
    files.Copy(replacement.target(), backup);
  } catch (const platform::FileError&) {
  }
  try {
    static_cast<void>(replacement.Commit("load"));
  } catch (const platform::FileError& e) {
    Report(e.what());
    if (!loadCopy_.empty()) platform::RemoveQuietly(files, loadCopy_);
    loadCopy_ = replacement.copyPath();
  }
}

void FrmBrindle::btnLoad_Click() { FileLoad(); }

void FrmBrindle::Form_Activate() {
  if (!txtFile.text().empty()) FileLoad();
}

void FrmBrindle::btnFile_Click() {
  const std::string chosen =
      platform_.fileDialog.ShowOpen(platform::CodePageToUtf8(txtFile.text()), "*.dat | *.dat");
  // Brindle.conf keeps the path in the code page: a character it lacks would be saved as "?"
  // and name another file, so such a path is refused and the path box keeps what it held.
  const std::optional<std::string> text =
      platform::ExactTextFromPath(platform::PathFromUtf8(chosen));
  if (!text) {
    messageBox.Show(
        platform::Utf8ToCodePage(chosen + " cannot be named in " + platform::CodePageName() +
                                 ", the code page of Brindle.conf. Move or rename the "
                                 "file, then choose it again."),
        "File Path Error", platform::MsgButtons::OK, platform::MsgIcon::Critical);
    SetFocus(txtFile);
    return;
  }
  txtFile.SetText(*text);
  SetFocus(txtFile);
  if (!chosen.empty()) {
    btnLoad.SetEnabled(true);
    SetFocus(btnLoad);
  }
}

void FrmBrindle::txtFile_Change() { btnLoad.SetEnabled(!txtFile.text().empty()); }

void FrmBrindle::txtFile_LostFocus() {
  if (!txtFile.text().empty()) WriteCache("DatPath", txtFile.text());
}

}  // namespace brindle
