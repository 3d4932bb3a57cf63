// Keeping the chosen-category table in step with the list, and "Mark All".
#include <string>

#include "config/config_file.h"
#include "export/category_selection.h"
#include "window/frm_brindle.h"

namespace brindle {

void FrmBrindle::lstCategory_KeyUp() { Recalculation(); }

void FrmBrindle::lstCategory_MouseUp() { Recalculation(); }

void FrmBrindle::Recalculation() {
  const int count = lstCategory.selectedCount();
  lblExt_num_selected.SetText(std::to_string(count));
  if (count == 0) btnExt_export.SetEnabled(false);
  // With no current entry (an empty list) only the count and the stored value are updated.
  const int c = lstCategory.current();
  if (c >= 0 && c < lstCategory.size()) {
    const ListEntry& entry = lstCategory.entries()[static_cast<std::size_t>(c)];
    const std::int32_t k = entry.itemData;
    if (entry.selected) {
      if (selectedCategories_.size() <= static_cast<std::size_t>(c))
        selectedCategories_.resize(c + 1);
      selectedCategories_[static_cast<std::size_t>(c)] = std::to_string(k);
      if (!txtAuth_login.text().empty() && !txtAuth_pass.text().empty()) {
        btnExt_export.SetEnabled(true);
      }
    } else {
      // A blank slot, or one whose text is not a number, names no category.
      for (std::string& slot : selectedCategories_) {
        if (ParseCategoryNumber(slot) == k) slot.clear();
      }
    }
  }
  WriteCache("Category", SavedSelectionText(selectedCategories_));
}

void FrmBrindle::btnExt_markall_Click() {
  // The entry count comes from the category-count label; without a loaded file it holds no
  // positive number and the button does nothing.
  const auto shown = ParseCategoryNumber(lblNum_cat.text());
  if (!shown || *shown <= 0) return;
  const int n = static_cast<int>(std::min<std::int64_t>(*shown, lstCategory.size()));
  const bool mark = !markAll_;
  markAll_ = mark;
  selectedCategories_.assign(static_cast<std::size_t>(n), "");
  for (int p = 0; p < n; ++p) {
    lstCategory.SetSelected(p, mark);
    if (mark) {
      const int current = lstCategory.current();
      selectedCategories_[static_cast<std::size_t>(p)] =
          std::to_string(lstCategory.entries()[static_cast<std::size_t>(current)].itemData);
    }
  }
  lblExt_num_selected.SetText(std::to_string(lstCategory.selectedCount()));
  WriteCache("Category", SavedSelectionText(selectedCategories_));
}

}  // namespace brindle
