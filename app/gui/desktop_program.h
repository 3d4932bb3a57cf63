// The desktop program put together: Qt's message boxes, file dialog and event pump, libcurl's
// transfer controls, the real file system, the two windows and the model they show.
#pragma once

#include <filesystem>

#include "brindle_view.h"
#include "platform/curl/curl_pump.h"
#include "platform/curl/curl_transfer_control.h"
#include "platform/file_ops.h"
#include "qt_event_pump.h"
#include "qt_file_dialog.h"
#include "qt_message_box.h"
#include "sync/service_config.h"
#include "window/frm_brindle.h"

namespace brindle::gui {

class DesktopProgram {
 public:
  DesktopProgram(const std::filesystem::path& programFolder, const ServiceConfig& service);

  // Runs the start-up sequence once the application's event loop runs, so that a start-up
  // that ends the program (the warning answered "Yes") can stop the loop.
  void StartSoon();

  FrmBrindle& Model() { return model_; }
  BrindleView& View() { return view_; }
  QtFileDialog& FileDialog() { return dialog_; }

 private:
  platform::CurlPump curl_;
  platform::CurlTransferControl itc_;
  platform::CurlTransferControl itc2_;
  QtEventPump pump_;
  QtMessageBox boxes_;
  QtFileDialog dialog_;
  platform::RealFileOps files_;
  BrindleView view_;
  FrmBrindle model_;
};

}  // namespace brindle::gui
