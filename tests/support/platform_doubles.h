// The platform a test window runs on: every interface answered by its double, with both
// transfer controls attached to the scripted pump.
#pragma once

#include "platform/doubles/event_pump_double.h"
#include "platform/doubles/file_dialog_double.h"
#include "platform/doubles/file_ops_double.h"
#include "platform/doubles/message_box_double.h"
#include "platform/doubles/transfer_control_double.h"
#include "platform/doubles/windowing_double.h"
#include "window/frm_brindle.h"

namespace brindle::test {

struct PlatformDoubles {
  PlatformDoubles() {
    pump.Attach(itc);
    pump.Attach(itc2);
  }
  PlatformDoubles(const PlatformDoubles&) = delete;
  PlatformDoubles& operator=(const PlatformDoubles&) = delete;

  WindowPlatform Platform() { return {messageBox, fileDialog, pump, itc, itc2, windowing, files}; }

  platform::QueuedMessageBox messageBox;
  platform::QueuedFileDialog fileDialog;
  platform::FakeTransferControl itc, itc2;
  platform::ScriptedEventPump pump;
  platform::RecordingWindowing windowing;
  platform::FaultyFileOps files;
};

}  // namespace brindle::test
