// The sync run takes over from the export run here. Until it exists the window stays as the
// export run left it: locked, with "Processing, wait the end!" on the "SYNC" button.
#include "window/frm_brindle.h"

namespace brindle {

void FrmBrindle::SendFile() {}

}  // namespace brindle
