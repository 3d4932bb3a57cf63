// The common ways to lock the window during work, unlock it afterwards and empty the status
// values.
#include "window/frm_brindle.h"

namespace brindle {

void FrmBrindle::SetOn() {
  btnExit.SetEnabled(true);
  btnConfig.SetEnabled(true);
  txtFile.SetEnabled(true);
  btnFile.SetEnabled(true);
  btnLoad.SetEnabled(true);
  lstCategory.SetEnabled(true);
  btnExt_markall.SetEnabled(true);
  btnExt_export.SetText("SYNC");
  txtAuth_login.SetEnabled(true);
  txtAuth_pass.SetEnabled(true);
}

void FrmBrindle::SetOff() {
  btnExit.SetEnabled(false);
  btnConfig.SetEnabled(false);
  txtFile.SetEnabled(false);
  btnFile.SetEnabled(false);
  btnLoad.SetEnabled(false);
  lstCategory.SetEnabled(false);
  btnExt_markall.SetEnabled(false);
  txtAuth_login.SetEnabled(false);
  txtAuth_pass.SetEnabled(false);
}

void FrmBrindle::Clear_Status() {
  lblCSV_Status.SetText("");
  lblAuth_Status.SetText("");
  lblUP_Status.SetText("");
  lblSRV_Status.SetText("");
  lblDOWN_Status.SetText("");
  lblDAT_Status.SetText("");
}

}  // namespace brindle
