#include "platform/windowing.h"

namespace brindle::platform {

const char* WindowName(WindowId window) {
  return window == WindowId::Main ? "frmBrindle" : "Form1";
}

}  // namespace brindle::platform
