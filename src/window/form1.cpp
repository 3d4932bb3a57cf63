#include "window/form1.h"

#include "window/frm_brindle.h"

namespace brindle {

namespace {

Control::Init Item(const char* name, ControlKind kind, const char* text) {
  return {name, kind, "", text, true, true, 0};
}

}  // namespace

Form1::Form1(FrmBrindle& main, ControlObserver& observer)
    : Label2(observer, Item(names::Label2, ControlKind::Label,
                            "Brindle - your contacts online at www.rookery.example")),
      Label1(observer,
             Item(names::Label1, ControlKind::Label,
                  "Palm Desktop must not be running while you execute this program.Is it  "
                  "running?")),
      Command2(observer,
               Item(names::Command2, ControlKind::Button, "Yes, it is running.Close Brindle")),
      Command1(observer, Item(names::Command1, ControlKind::Button, "No, is  not running")),
      Label3(observer,
             Item(names::Label3, ControlKind::Label,
                  "To use this program you must either never synchronize with a palm handheld "
                  "or always synchronize immediately before using this program. Otherwise you "
                  "risk duplicating and/or damaging your data.")),
      main_(main),
      controls_{&Label1, &Label2, &Label3, &Command1, &Command2} {}

void Form1::Command1_Click() {
  main_.CloseForm1();
  main_.ShowMain();
}

void Form1::Command2_Click() {
  main_.CloseForm1();
  main_.CloseMain();
}

}  // namespace brindle
