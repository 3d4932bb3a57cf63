// The visible state of both windows as one JSON object (the driver's "dump"). Texts are
// converted from Windows-1252 to UTF-8.
#pragma once

#include <string>
#include <vector>

#include "window/frm_brindle.h"

namespace brindle::drive {

// With no names, the whole state. Otherwise only the named items, in the order named, each
// printed as in the whole state: a control of the main window ("txtFile"), a control of the
// warning window ("Form1.Command1"), or a top-level item ("focus", "selectedCategories", "panels",
// ...). Throws std::invalid_argument for a name that is none of these.
std::string DumpState(const FrmBrindle& window, const std::vector<std::string>& names = {});

}  // namespace brindle::drive
