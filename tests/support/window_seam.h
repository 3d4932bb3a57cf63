// The tests' one way past the window model's private state, for the one setup no user action
// can give: a chosen-category table holding duplicates and a text that is no number. The
// table is only ever filled from the list (one number per selected entry) or, at "SYNC", from
// the saved categories, and a load refuses any saved entry that is no number; yet unselecting
// must blank every slot naming the category and pass over the others whatever they hold.
// Everything else goes through the window's public surface, as a view would.
#pragma once

#include "window/frm_brindle.h"

namespace brindle::test {

struct WindowSeam {
  static SelCat& Chosen(FrmBrindle& w) { return w.varSel_cat; }
};

}  // namespace brindle::test
