#include "platform/curl/curl_transfer_control.h"

#include <algorithm>

#include "platform/curl/curl_transfer.h"
#include "platform/curl/ftp_command.h"

namespace brindle::platform {
namespace {

constexpr std::chrono::seconds kHttpTimeout{60};
constexpr std::chrono::seconds kFtpTimeout{600};

}  // namespace

CurlTransferControl::CurlTransferControl(CurlPump& pump, Protocol protocol)
    : pump_(pump),
      protocol_(protocol),
      timeout_(protocol == Protocol::Http ? kHttpTimeout : kFtpTimeout) {
  pump_.Attach(this);
}

CurlTransferControl::~CurlTransferControl() {
  Cancel();
  pump_.Detach(this);
}

void CurlTransferControl::Execute(const std::string& url, const std::string& operation) {
  if (StillExecuting()) throw TransferControlError("Still executing last request");
  if (protocol_ != Protocol::Http || !(operation.empty() || operation == "GET")) {
    throw TransferControlError("Unsupported request: " + operation + " " + url);
  }
  Start(CurlTransfer::Http(url, timeout_));
}

void CurlTransferControl::ExecuteCommand(const std::string& text) {
  if (StillExecuting()) throw TransferControlError("Still executing last request");
  if (protocol_ != Protocol::Ftp) throw TransferControlError("Not an FTP control: " + text);
  Start(CurlTransfer::Ftp(ParseFtpCommand(text), {host_, user_, password_}, timeout_));
}

void CurlTransferControl::Start(std::unique_ptr<CurlTransfer> transfer) {
  body_.clear();
  chunkPos_ = 0;
  errorCode_ = 0;
  errorText_.clear();
  errorCause_.clear();
  executing_ = true;
  transfer->owner = this;
  transfer->generation = pump_.Renew(this);
  pump_.PostUpTo(*transfer, TransferState::Resolving);
  // A request that cannot even start (its local file is missing) fails through the pump
  // like every other.
  if (transfer->startFailed()) {
    pump_.PostEnd(*transfer, transfer->Finish(CURLE_READ_ERROR));
    return;
  }
  link_ = transfer->link();
  pump_.Submit(std::move(transfer));
}

void CurlTransferControl::Cancel() {
  if (!executing_) return;
  executing_ = false;
  pump_.Renew(this);
  if (link_) {
    link_->Cancel();
    link_.reset();
    pump_.Wake();
  }
}

void CurlTransferControl::Deliver(TransferState state,
                                  const std::shared_ptr<const TransferResult>& result) {
  if (result) {
    executing_ = false;
    link_.reset();
    body_ = result->body;
    errorCode_ = result->errorCode;
    errorText_ = result->errorText;
    errorCause_ = result->errorCause;
  }
  RaiseStateChanged(state);
}

std::string CurlTransferControl::GetChunk(std::size_t size) {
  std::string chunk = body_.substr(std::min(chunkPos_, body_.size()), size);
  chunkPos_ += chunk.size();
  return chunk;
}

}  // namespace brindle::platform
