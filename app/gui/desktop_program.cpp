#include "desktop_program.h"

#include <QTimer>

namespace brindle::gui {

using platform::CurlTransferControl;

DesktopProgram::DesktopProgram(const std::filesystem::path& programFolder,
                               const ServiceConfig& service)
    : itc_(curl_, CurlTransferControl::Protocol::Ftp),
      itc2_(curl_, CurlTransferControl::Protocol::Http),
      pump_([this](std::chrono::milliseconds wait) { curl_.Pump(wait); }),
      model_(WindowPlatform{.messageBox = boxes_,
                            .fileDialog = dialog_,
                            .eventPump = pump_,
                            .itc = itc_,
                            .itc2 = itc2_,
                            .windowing = view_,
                            .files = files_},
             programFolder, service) {
  view_.Attach(model_);
}

void DesktopProgram::StartSoon() {
  QTimer::singleShot(0, &view_, [this] { model_.Form_Load(); });
}

}  // namespace brindle::gui
