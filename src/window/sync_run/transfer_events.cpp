// The transfer controls' state changes: HTTP replies are captured, FTP progress becomes the
// upload or download status line, FTP errors are shown in a box.
#include <string>

#include "window/sync_run/sync_run.h"

namespace brindle {

using platform::TransferState;

namespace {

// An error the control reports that the user need not see.
constexpr int kSilentError = 87;

std::string ErrorText(const platform::TransferControl& control) {
  return std::to_string(control.ResponseCode()) + " " + control.ResponseInfo();
}

// Why the last request of `control` to `host` failed, from what the control reports: a
// server's own refusal, no connection, no answer in time, or any other failure.
std::string FailureAt(const platform::TransferControl& control, const std::string& host) {
  const int code = control.ResponseCode();
  const std::string cause =
      control.ErrorCause().empty() ? control.ResponseInfo() : control.ErrorCause();
  if (code == platform::kErrorCannotConnect) return "nothing answered at " + host + ": " + cause;
  if (code == platform::kErrorTimeout) return host + " gave no answer in time";
  if (code > 0 && code < 1000) return "the server at " + host + " replied " + ErrorText(control);
  return "the exchange with " + host + " failed: " + cause;
}

}  // namespace

void SyncRun::ITC2_StateChanged(TransferState state) {
  if (state == TransferState::ResponseCompleted) {
    reply_ = parts_.itc2.GetChunk(512);
    replied_ = true;
  }
  if (state == TransferState::Error) {
    httpError_ = parts_.itc2.ResponseInfo();
    httpCause_ = FailureAt(parts_.itc2, parts_.service.webHost);
  }
}

void SyncRun::ITC_StateChanged(TransferState state) {
  // Every request learns of its own failure, whether or not it is shown.
  if (state == TransferState::Error) ftpError_ = FailureAt(parts_.itc, parts_.service.ftpHost);
  if (ftpMode_ == FtpMode::Quiet) return;
  const bool up = ftpMode_ == FtpMode::Up;
  const StatusLine line = up ? StatusLine::Upload : StatusLine::Download;
  switch (state) {
    case TransferState::Resolving:
    case TransferState::Resolved:
    case TransferState::Connecting:
      Status(line, "Connecting To Host!");
      break;
    case TransferState::Connected:
    case TransferState::Requesting:
    case TransferState::RequestSent:
    case TransferState::Receiving:
    case TransferState::ResponseReceived:
      Status(line, up ? "Uploading Data... Wait a moment!" : "Downloading Data... Wait a moment!");
      break;
    case TransferState::Disconnecting:
      Status(line, "Disconnecting");
      break;
    case TransferState::Disconnected:
      Status(line, up ? "Data sent!" : "Data received!");
      break;
    case TransferState::Error:
      FtpError(line);
      break;
    case TransferState::None:
    case TransferState::ResponseCompleted:
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
    parts_.messageBox.Show(ErrorText(ftp), "Error", platform::MsgButtons::OK,
                           platform::MsgIcon::Critical, host_.FailureDetails(FtpCause()));
    host_.ControlsOn();
    host_.EnableSync(true);
  }
}

bool SyncRun::ITC_Free() const { return !parts_.itc.StillExecuting(); }

bool SyncRun::ITC2_Free() const { return !parts_.itc2.StillExecuting(); }

}  // namespace brindle
