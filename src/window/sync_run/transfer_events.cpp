// The transfer controls' state changes: HTTP replies are captured, FTP progress becomes the
// upload or download status line, FTP errors are shown in a box.
#include <string>

#include "window/sync_run/sync_run.h"

namespace brindle {

namespace {

// An error the control reports that the user need not see.
constexpr int kSilentError = 87;

std::string ErrorText(const platform::TransferControl& control) {
  return std::to_string(control.ResponseCode()) + " " + control.ResponseInfo();
}

}  // namespace

void SyncRun::ITC2_StateChanged(TransferStatus state) {
  if (state == TransferStatus::ResponseCompleted) {
    reply_ = parts_.itc2.GetChunk(512);
    replied_ = true;
  }
  if (state == TransferStatus::Error) httpError_ = parts_.itc2.ResponseInfo();
}

void SyncRun::ITC_StateChanged(TransferStatus state) {
  // Every request learns of its own failure, whether or not it is shown.
  if (state == TransferStatus::Error) ftpError_ = ErrorText(parts_.itc);
  if (ftpMode_ == FtpMode::Quiet) return;
  const bool up = ftpMode_ == FtpMode::Up;
  const StatusLine line = up ? StatusLine::Upload : StatusLine::Download;
  switch (state) {
    case TransferStatus::Resolving:
    case TransferStatus::Resolved:
    case TransferStatus::Connecting:
      Status(line, "Connecting To Host!");
      break;
    case TransferStatus::Connected:
    case TransferStatus::Requesting:
    case TransferStatus::RequestSent:
    case TransferStatus::Receiving:
    case TransferStatus::ResponseReceived:
      Status(line, up ? "Uploading Data... Wait a moment!" : "Downloading Data... Wait a moment!");
      break;
    case TransferStatus::Disconnecting:
      Status(line, "Disconnecting");
      break;
    case TransferStatus::Disconnected:
      Status(line, up ? "Data sent!" : "Data received!");
      break;
    case TransferStatus::Error:
      FtpError(line);
      break;
    case TransferStatus::None:
    case TransferStatus::ResponseCompleted:
      break;
  }
}

void SyncRun::FtpError(StatusLine line) {
  auto& ftp = parts_.itc;
  host_.LogStep("FTP error: " + ErrorText(ftp));
  if (ftp.ResponseCode() == platform::kErrorCannotConnect) {
    Status(line, "Not Connected");
    ftp.Cancel();
  }
  if (ftp.ResponseCode() != kSilentError) {
    parts_.messageBox.Show(std::to_string(ftp.ResponseCode()) + " " + ftp.ResponseInfo(), "Error",
                           platform::MsgButtons::OK, platform::MsgIcon::Critical);
    host_.ControlsOn();
    host_.EnableSync(true);
  }
}

bool SyncRun::ITC_Free() const { return !parts_.itc.StillExecuting(); }

bool SyncRun::ITC2_Free() const { return !parts_.itc2.StillExecuting(); }

}  // namespace brindle
