// The transfer controls' state changes: HTTP replies are captured, FTP progress becomes the
// upload or download status line, FTP errors are shown in a box.
#include <string>

#include "window/frm_brindle.h"

namespace brindle {

namespace {

// An error the control reports that the user need not see.
constexpr int kSilentError = 87;

}  // namespace

void FrmBrindle::ITC2_StateChanged(std::int16_t State) {
  if (State == platform::TransferState::ResponseCompleted) varSrv_reply = ITC2.GetChunk(512);
}

void FrmBrindle::ITC_StateChanged(std::int16_t State) {
  const bool up = varFtp_mode == "UP";
  if (!up && varFtp_mode != "DOWN") return;
  Control& line = up ? lblUP_Status : lblDOWN_Status;
  switch (State) {
    case 1:
    case 2:
    case 3:
      line.SetText("Connecting To Host!");
      break;
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
      line.SetText(up ? "Uploading Data... Wait a moment!" : "Downloading Data... Wait a moment!");
      break;
    case 9:
      line.SetText("Disconnecting");
      break;
    case 10:
      line.SetText(up ? "Data sent!" : "Data received!");
      break;
    case 11:
      FtpError(line);
      break;
    default:
      break;
  }
}

void FrmBrindle::FtpError(Control& line) {
  runLog_.Step("FTP error: " + std::to_string(ITC.ResponseCode()) + " " + ITC.ResponseInfo());
  ftpFailed_ = true;
  if (ITC.ResponseCode() == platform::kErrorCannotConnect) {
    line.SetText("Not Connected");
    ITC.Cancel();
  }
  if (ITC.ResponseCode() != kSilentError) {
    messageBox.Show(std::to_string(ITC.ResponseCode()) + " " + ITC.ResponseInfo(), "Error",
                    platform::MsgButtons::OK, platform::MsgIcon::Critical);
    SetOn();
    btnExt_export.SetEnabled(true);
  }
}

bool FrmBrindle::ITC_Free() { return !ITC.StillExecuting(); }

bool FrmBrindle::ITC2_Free() { return !ITC2.StillExecuting(); }

}  // namespace brindle
