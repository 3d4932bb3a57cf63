// Closing the main window: stop any FTP transfer and remove what a load or a sync run left
// in the tmp folder. The configuration, the export file and the address file stay.
#include "window/frm_brindle.h"

namespace brindle {

void FrmBrindle::Form_Unload() {
  syncRun_.Unload();
  platform::RemoveQuietly(files, TmpFile("address.dat"));
  if (!varCsv_path.empty()) {
    platform::RemoveQuietly(files, CsvResultPath());
  }
  platform::RemoveQuietly(files, TmpFile("address.bkp"));
}

}  // namespace brindle
