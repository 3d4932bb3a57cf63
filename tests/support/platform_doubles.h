// The platform a test window runs on: every interface answered by its double, with both
// transfer controls attached to the scripted pump.
#pragma once

#include "platform/headless/queued_file_dialog.h"
#include "platform/headless/queued_message_box.h"
#include "platform/headless/recording_windowing.h"
#include "support/fake_transfer_control.h"
#include "support/faulty_file_ops.h"
#include "support/scripted_event_pump.h"
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
  test::FakeTransferControl itc, itc2;
  test::ScriptedEventPump pump;
  platform::RecordingWindowing windowing;
  test::FaultyFileOps files;
};

}  // namespace brindle::test
