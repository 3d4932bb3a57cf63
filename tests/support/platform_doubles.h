// The platform a test window runs on: every interface answered by its double, with both
// transfer controls attached to the scripted pump. What no user can arrange goes in here too:
// the clock the sync run paces its waits by, and a hand-over hook that takes the export run's
// file instead of the sync run (set before the window is made; it may be changed later).
#pragma once

#include <functional>

#include "platform/headless/queued_file_dialog.h"
#include "platform/headless/queued_message_box.h"
#include "platform/headless/recording_windowing.h"
#include "support/fake_transfer_control.h"
#include "support/faulty_file_ops.h"
#include "support/scripted_event_pump.h"
#include "support/wired_platform.h"
#include "window/frm_brindle.h"

namespace brindle::test {

struct PlatformDoubles {
  PlatformDoubles() {
    pump.Attach(itc);
    pump.Attach(itc2);
  }
  PlatformDoubles(const PlatformDoubles&) = delete;
  PlatformDoubles& operator=(const PlatformDoubles&) = delete;

  WindowPlatform Platform() {
    WindowPlatform platform = WiredPlatform(*this);
    if (clock) platform.clock = [this] { return clock(); };
    if (handOver) platform.handOver = [this](const ExportedFile& file) { handOver(file); };
    return platform;
  }

  platform::QueuedMessageBox messageBox;
  platform::QueuedFileDialog fileDialog;
  test::FakeTransferControl itc, itc2;
  test::ScriptedEventPump pump;
  platform::RecordingWindowing windowing;
  test::FaultyFileOps files;
  SyncClock clock;
  std::function<void(const ExportedFile&)> handOver;
};

}  // namespace brindle::test
