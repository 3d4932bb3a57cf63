// The tests' one way past the window model's private state, for the setups no user action can
// give (a chosen-category table holding a text that is no number, a status line with a stale
// text before a run) and for the procedures the window's description names that are no user
// event (SetOn, SetOff, WriteCache, ...), which tests check one by one. Everything else goes
// through the window's public surface, as a view would.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "window/frm_brindle.h"

namespace brindle::test {

struct WindowSeam {
  // A control of the main window or of the warning window, to change its state directly.
  static Control& Edit(FrmBrindle& w, const std::string& name) {
    for (const Control* control : w.controls_) {
      if (control->name() == name) return const_cast<Control&>(*control);
    }
    throw std::invalid_argument("no control named " + name);
  }
  static ListControl& List(FrmBrindle& w) { return w.lstCategory; }
  static SelCat& Chosen(FrmBrindle& w) { return w.varSel_cat; }
  static std::vector<std::string>& Saved(FrmBrindle& w) { return w.varSaved_cat; }
  static int MarkAll(const FrmBrindle& w) { return w.varMark_all; }
  static std::int16_t& RegCount(FrmBrindle& w) { return w.intReg_count; }

  static void SetOn(FrmBrindle& w) { w.SetOn(); }
  static void SetOff(FrmBrindle& w) { w.SetOff(); }
  static void Clear_Status(FrmBrindle& w) { w.Clear_Status(); }
  static void ShortLayout(FrmBrindle& w) { w.ShortLayout(); }
  static void FullLayoutAtStart(FrmBrindle& w) { w.FullLayoutAtStart(); }
  static void ShowMain(FrmBrindle& w) { w.ShowMain(); }
  static void SetHeight(FrmBrindle& w, int twips) { w.SetHeight(twips); }
  static void Recalculation(FrmBrindle& w) { w.Recalculation(); }
  static void WriteCache(FrmBrindle& w, const std::string& key, const std::string& value) {
    w.WriteCache(key, value);
  }
};

}  // namespace brindle::test
