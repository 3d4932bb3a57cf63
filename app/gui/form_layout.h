// Room for texts that need more than their places: a control that grows pushes down the
// controls below it within the same frame, a frame that grows pushes down the frames below
// it, and the window grows by what its lowest content needs. Tops and heights are pixels.
#pragma once

#include <vector>

namespace brindle::gui {

struct LayoutItem {
  int top = 0;
  int height = 0;
  int growth = 0;      // extra height its own content needs
  bool pushes = true;  // false for a hidden frame: it moves nothing
};

struct LayoutShifts {
  std::vector<int> down;  // per item, how far it moves down
  int growth = 0;         // how much taller the container must be
};

// An item lies below another when it starts at or below the other's middle: neighbours in a
// row that differ by a few twips in their tops stay side by side, and frames that overlap the
// bottom of the one above on purpose still count as below it.
LayoutShifts Shifts(const std::vector<LayoutItem>& items);

}  // namespace brindle::gui
