#include "control_places.h"

#include <array>

#include "window/control_names.h"

namespace brindle::gui {
namespace {

using K = WidgetKind;

// Panels share left edge and width. Inside frFile and frAuth the controls keep to the part
// that stays uncovered when "Configuration" moves frInformation and frStatus up over them.
constexpr int kPanelLeft = 120;
constexpr int kPanelWidth = 6735;
constexpr int kRowTop = 1200;  // first status line inside frStatus
constexpr int kRowStep = 225;

constexpr std::array kMainControls = {
    ControlPlace{names::frFile, K::Panel, nullptr, kPanelLeft, 0, kPanelWidth, 1575, kPlain},
    ControlPlace{names::frInformation, K::Panel, nullptr, kPanelLeft, 1560, kPanelWidth, 735,
                 kPlain},
    ControlPlace{names::frExport, K::Panel, nullptr, kPanelLeft, 2400, kPanelWidth, 1335, kPlain},
    ControlPlace{names::frConfig, K::Panel, nullptr, kPanelLeft, 3840, kPanelWidth, 735, kPlain},
    ControlPlace{names::frAuth, K::Panel, nullptr, kPanelLeft, 3840, kPanelWidth, 855, kPlain},
    ControlPlace{names::frStatus, K::Panel, nullptr, kPanelLeft, 4800, kPanelWidth, 2655, kPlain},

    ControlPlace{names::Label1, K::Label, names::frFile, 120, 195, 6495, 465, kWrap | kSmall},
    ControlPlace{names::txtFile, K::TextField, names::frFile, 120, 660, 4155, 300, kPlain},
    ControlPlace{names::btnFile, K::Button, names::frFile, 4380, 645, 1065, 315, kPlain},
    ControlPlace{names::btnLoad, K::Button, names::frFile, 5550, 645, 1065, 315, kPlain},

    ControlPlace{names::lblRegister, K::Label, names::frInformation, 120, 240, 1035, 240, kPlain},
    ControlPlace{names::lblNum_reg, K::Label, names::frInformation, 1170, 240, 900, 240, kBold},
    ControlPlace{names::Label2, K::Label, names::frInformation, 2100, 240, 2295, 240, kSmall},
    ControlPlace{names::lblCategory, K::Label, names::frInformation, 4500, 240, 1275, 240, kPlain},
    ControlPlace{names::lblNum_cat, K::Label, names::frInformation, 5790, 240, 825, 240, kBold},
    ControlPlace{names::lblStatus_File, K::Label, names::frInformation, 120, 480, 6495, 240, kBold},

    ControlPlace{names::lblExt_cat, K::Label, names::frExport, 120, 210, 4155, 240, kPlain},
    ControlPlace{names::lstCategory, K::List, names::frExport, 120, 450, 4155, 825, kPlain},
    ControlPlace{names::btnExt_markall, K::Button, names::frExport, 4440, 450, 1575, 375, kPlain},
    ControlPlace{names::lblExt_selected, K::Label, names::frExport, 4440, 945, 1560, 240, kPlain},
    ControlPlace{names::lblExt_num_selected, K::Label, names::frExport, 6015, 945, 600, 240, kBold},

    ControlPlace{names::btnConfig, K::Button, names::frConfig, 120, 240, 1695, 375, kPlain},
    ControlPlace{names::btnExit, K::Button, names::frConfig, 5520, 240, 1095, 375, kPlain},

    ControlPlace{names::lblAuth_name, K::Label, names::frAuth, 120, 270, 1035, 240, kPlain},
    ControlPlace{names::txtAuth_login, K::TextField, names::frAuth, 1170, 240, 2115, 300, kPlain},
    ControlPlace{names::lblAuth_pass, K::Label, names::frAuth, 3420, 270, 1035, 240, kPlain},
    ControlPlace{names::txtAuth_pass, K::PasswordField, names::frAuth, 4500, 240, 2115, 300,
                 kPlain},

    ControlPlace{names::lblWarning, K::Label, names::frStatus, 120, 210, 6495, 435, kBold | kWrap},
    ControlPlace{names::btnExt_export, K::Button, names::frStatus, 120, 705, 2535, 375, kPlain},
    ControlPlace{names::btnExit2, K::Button, names::frStatus, 2760, 705, 1095, 375, kPlain},
    ControlPlace{names::lslStatus_CSV, K::Label, names::frStatus, 120, kRowTop, 1650, 240, kPlain},
    ControlPlace{names::lblCSV_Status, K::Label, names::frStatus, 1800, kRowTop, 4875, 240, kPlain},
    ControlPlace{names::lblStatus_Auth, K::Label, names::frStatus, 120, kRowTop + kRowStep, 1650,
                 240, kPlain},
    ControlPlace{names::lblAuth_Status, K::Label, names::frStatus, 1800, kRowTop + kRowStep, 4875,
                 240, kPlain},
    ControlPlace{names::lblStatus_UP, K::Label, names::frStatus, 120, kRowTop + 2 * kRowStep, 1650,
                 240, kPlain},
    ControlPlace{names::lblUP_Status, K::Label, names::frStatus, 1800, kRowTop + 2 * kRowStep, 4875,
                 240, kPlain},
    ControlPlace{names::lblStatus_Srv, K::Label, names::frStatus, 120, kRowTop + 3 * kRowStep, 1650,
                 240, kPlain},
    ControlPlace{names::lblSRV_Status, K::Label, names::frStatus, 1800, kRowTop + 3 * kRowStep,
                 4875, 240, kPlain},
    ControlPlace{names::lblStatus_DOWN, K::Label, names::frStatus, 120, kRowTop + 4 * kRowStep,
                 1650, 240, kPlain},
    ControlPlace{names::lblDOWN_Status, K::Label, names::frStatus, 1800, kRowTop + 4 * kRowStep,
                 4875, 240, kPlain},
    ControlPlace{names::lblStatus_DAT, K::Label, names::frStatus, 120, kRowTop + 5 * kRowStep, 1650,
                 240, kPlain},
    ControlPlace{names::lblDAT_Status, K::Label, names::frStatus, 1800, kRowTop + 5 * kRowStep,
                 4875, 240, kPlain},
};

constexpr std::array kMainNames = {
    NamedAfter{names::txtFile, names::frFile},
    NamedAfter{names::lblNum_reg, names::lblRegister},
    NamedAfter{names::lblNum_cat, names::lblCategory},
    NamedAfter{names::lstCategory, names::lblExt_cat},
    NamedAfter{names::lblExt_num_selected, names::lblExt_selected},
    NamedAfter{names::txtAuth_login, names::lblAuth_name},
    NamedAfter{names::txtAuth_pass, names::lblAuth_pass},
    NamedAfter{names::lblCSV_Status, names::lslStatus_CSV},
    NamedAfter{names::lblAuth_Status, names::lblStatus_Auth},
    NamedAfter{names::lblUP_Status, names::lblStatus_UP},
    NamedAfter{names::lblSRV_Status, names::lblStatus_Srv},
    NamedAfter{names::lblDOWN_Status, names::lblStatus_DOWN},
    NamedAfter{names::lblDAT_Status, names::lblStatus_DAT},
};

constexpr std::array kAlertControls = {
    ControlPlace{names::Label2, K::Label, nullptr, 120, 120, 2055, 375,
                 kBold | kTypewriter | kOneLine},
    ControlPlace{names::Label1, K::Label, nullptr, 1320, 960, 8655, 2175, kHeavy | kWrap},
    ControlPlace{names::Command2, K::Button, nullptr, 480, 3720, 3015, 495, kPlain},
    ControlPlace{names::Command1, K::Button, nullptr, 7200, 3720, 3015, 495, kPlain},
    ControlPlace{names::Label3, K::Label, nullptr, 480, 5040, 9735, 735,
                 kBold | kBookFace | kRed | kWrap},
};

}  // namespace

const WindowPlaces& MainWindowPlaces() {
  static const WindowPlaces places{6975, 7590, 7.5, kMainControls, kMainNames};
  return places;
}

const WindowPlaces& AlertWindowPlaces() {
  static const WindowPlaces places{10605, 6270, 9.0, kAlertControls, {}};
  return places;
}

}  // namespace brindle::gui
