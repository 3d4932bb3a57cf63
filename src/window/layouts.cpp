// The short and full panel layouts, the switch between them, and the exit buttons.
#include "window/frm_brindle.h"

namespace brindle {

void FrmBrindle::ShortLayout() {
  SetHeight(5000);
  frInformation.SetTop(0);
  frStatus.SetTop(1000);
  frConfig.SetVisible(true);
}

void FrmBrindle::FullLayoutAtStart() {
  frFile.SetVisible(true);
  frExport.SetVisible(true);
  frAuth.SetVisible(true);
}

void FrmBrindle::btnConfig_Click() {
  frConfig.SetVisible(false);
  frStatus.SetTop(4440);
  frInformation.SetTop(960);
  frFile.SetVisible(true);
  frInformation.SetVisible(true);
  frExport.SetVisible(true);
  frAuth.SetVisible(true);
  SetHeight(7695);
  SetOn();
}

void FrmBrindle::btnExit_Click() { CloseMain(); }

void FrmBrindle::btnExit2_Click() { CloseMain(); }

}  // namespace brindle
