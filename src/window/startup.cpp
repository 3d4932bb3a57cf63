// Start-up: the warning window, the FTP control, the tmp folder, the saved configuration
// and the choice between the short and the full layout.
#include <algorithm>

#include "config/config_file.h"
#include "platform/code_page.h"
#include "platform/program_folder.h"
#include "window/frm_brindle.h"

namespace brindle {

void FrmBrindle::Form_Load() {
  ShowForm1();
  HideMain();
  platform_.itc.SetHost(service.ftpHost);
  platform_.itc.SetPassword(service.ftpPassword);
  platform_.itc.SetUserName(service.ftpUser);
  markAll_ = false;
  // A configuration that cannot be created, a tmp folder that cannot be made and a file that
  // cannot be read are all passed over: the window starts with empty values.
  const auto conf = platform::ConfigFile(programFolder_);
  try {
    if (!files.Exists(conf)) files.WritePrivateFile(conf, "");
  } catch (const platform::FileError&) {
  }
  try {
    files.CreateDirectory(platform::TmpFolder(programFolder_));
  } catch (const platform::FileError& e) {
    // A folder that others could read or change is never written into; the user is told why,
    // since every SYNC will fail until it is put right.
    if (e.kind() == platform::FileError::Kind::Unsafe) {
      messageBox.Show(platform::Utf8ToCodePage(e.what()), "tmp Folder Problem",
                      platform::MsgButtons::OK, platform::MsgIcon::Critical);
    }
  }
  try {
    saved_ = FirstFourValues(ParseConfigLines(files.ReadFile(conf)));
  } catch (const platform::FileError&) {
  }
  txtFile.SetText(saved_[kConfigPath]);
  txtAuth_login.SetText(saved_[kConfigUser]);
  txtAuth_pass.SetText(saved_[kConfigPassword]);
  savedCategories_ = SplitSavedCategories(saved_[kConfigCategories]);

  const bool complete = std::none_of(saved_.begin(), saved_.end(),
                                     [](const std::string& value) { return value.empty(); });
  if (!complete) {
    btnExt_export.SetEnabled(false);
    FullLayoutAtStart();
    return;
  }
  btnExt_export.SetEnabled(true);
  const auto answer =
      messageBox.Show("There is a pre-configuration saved. Do you wish to execute it?",
                      "Pre-configuration...", platform::MsgButtons::YesNo, platform::MsgIcon::None);
  if (answer == platform::MsgAnswer::Yes) {
    ShortLayout();
    return;
  }
  FullLayoutAtStart();
}

void FrmBrindle::WriteCache(const std::string& LineDescr, const std::string& LineContent) {
  const auto conf = platform::ConfigFile(programFolder_);
  try {
    // A missing file starts from empty values; an unreadable one is left alone rather than
    // overwritten with three empty values.
    ConfigValues values;
    if (files.Exists(conf)) values = FirstFourValues(ParseConfigLines(files.ReadFile(conf)));
    const auto slot = ConfigSlot(LineDescr);
    if (slot && StorableConfigValue(LineContent)) values[*slot] = LineContent;
    files.WritePrivateFile(conf, FormatConfig(values));
  } catch (const platform::FileError&) {
    // The value is not stored; the window goes on as before.
  }
}

void FrmBrindle::UpdateSyncButton() {
  btnExt_export.SetEnabled(!txtAuth_login.text().empty() && !txtAuth_pass.text().empty() &&
                           lstCategory.selectedCount() > 0);
}

// The key has changed the text by the time these run, so the button follows the last key.
void FrmBrindle::txtAuth_login_KeyPress() { UpdateSyncButton(); }

void FrmBrindle::txtAuth_pass_KeyPress() { UpdateSyncButton(); }

void FrmBrindle::txtAuth_login_LostFocus() {
  if (!txtAuth_login.text().empty()) WriteCache("User", txtAuth_login.text());
}

void FrmBrindle::txtAuth_pass_LostFocus() {
  if (!txtAuth_pass.text().empty()) WriteCache("Passwd", txtAuth_pass.text());
}

}  // namespace brindle
