// The whole visible state of both windows as one JSON object (the driver's "dump").
// Texts are converted from Windows-1252 to UTF-8.
#pragma once

#include <string>

#include "window/frm_brindle.h"

namespace brindle::drive {

std::string DumpState(const FrmBrindle& window);

}  // namespace brindle::drive
