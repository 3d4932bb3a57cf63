// A window's platform from a test's own parts, wired field by field in one place, so that no
// test can hand the FTP control in as the HTTP one.
#pragma once

#include "window/frm_brindle.h"

namespace brindle::test {

// `parts` has members messageBox, fileDialog, pump, itc (FTP), itc2 (HTTP), windowing, files.
template <typename Parts>
WindowPlatform WiredPlatform(Parts& parts) {
  return WindowPlatform{.messageBox = parts.messageBox,
                        .fileDialog = parts.fileDialog,
                        .eventPump = parts.pump,
                        .itc = parts.itc,
                        .itc2 = parts.itc2,
                        .windowing = parts.windowing,
                        .files = parts.files};
}

}  // namespace brindle::test
