// Closing the main window: stop any FTP transfer and remove what a load or a sync run left
// in the tmp folder, and a load's copy that a failed swap left. The configuration, the export
// file and the address file stay.
#include "window/frm_brindle.h"

namespace brindle {

void FrmBrindle::Form_Unload() {
  syncRun_.Unload();
  platform::RemoveQuietly(files, TmpFile("address.dat"));
  if (!csvPath_.empty()) {
    platform::RemoveQuietly(files, CsvResultPath());
  }
  platform::RemoveQuietly(files, TmpFile("address.bkp"));
  // Only the copy this window's load made: another program's load may share the folder.
  if (!loadCopy_.empty()) platform::RemoveQuietly(files, loadCopy_);
}

}  // namespace brindle
