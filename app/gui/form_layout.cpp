#include "form_layout.h"

#include <algorithm>
#include <numeric>

namespace brindle::gui {

LayoutShifts Shifts(const std::vector<LayoutItem>& items) {
  std::vector<std::size_t> byTop(items.size());
  std::iota(byTop.begin(), byTop.end(), std::size_t{0});
  std::stable_sort(byTop.begin(), byTop.end(),
                   [&](std::size_t a, std::size_t b) { return items[a].top < items[b].top; });
  LayoutShifts shifts{std::vector<int>(items.size(), 0), 0};
  for (const std::size_t i : byTop) {
    for (const std::size_t above : byTop) {
      const LayoutItem& other = items[above];
      if (!other.pushes || other.top + other.height / 2 > items[i].top || above == i) continue;
      shifts.down[i] = std::max(shifts.down[i], shifts.down[above] + other.growth);
    }
    if (items[i].pushes) {
      shifts.growth = std::max(shifts.growth, shifts.down[i] + items[i].growth);
    }
  }
  return shifts;
}

}  // namespace brindle::gui
