#include "control_places.h"

#include <array>

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
    ControlPlace{"frFile", K::Panel, nullptr, kPanelLeft, 0, kPanelWidth, 1575, kPlain},
    ControlPlace{"frInformation", K::Panel, nullptr, kPanelLeft, 1560, kPanelWidth, 735, kPlain},
    ControlPlace{"frExport", K::Panel, nullptr, kPanelLeft, 2400, kPanelWidth, 1335, kPlain},
    ControlPlace{"frConfig", K::Panel, nullptr, kPanelLeft, 3840, kPanelWidth, 735, kPlain},
    ControlPlace{"frAuth", K::Panel, nullptr, kPanelLeft, 3840, kPanelWidth, 855, kPlain},
    ControlPlace{"frStatus", K::Panel, nullptr, kPanelLeft, 4800, kPanelWidth, 2655, kPlain},

    ControlPlace{"Label1", K::Label, "frFile", 120, 195, 6495, 465, kWrap | kSmall},
    ControlPlace{"txtFile", K::TextField, "frFile", 120, 660, 4155, 300, kPlain},
    ControlPlace{"btnFile", K::Button, "frFile", 4380, 645, 1065, 315, kPlain},
    ControlPlace{"btnLoad", K::Button, "frFile", 5550, 645, 1065, 315, kPlain},

    ControlPlace{"lblRegister", K::Label, "frInformation", 120, 240, 1035, 240, kPlain},
    ControlPlace{"lblNum_reg", K::Label, "frInformation", 1170, 240, 900, 240, kBold},
    ControlPlace{"Label2", K::Label, "frInformation", 2100, 240, 2295, 240, kSmall},
    ControlPlace{"lblCategory", K::Label, "frInformation", 4500, 240, 1275, 240, kPlain},
    ControlPlace{"lblNum_cat", K::Label, "frInformation", 5790, 240, 825, 240, kBold},
    ControlPlace{"lblStatus_File", K::Label, "frInformation", 120, 480, 6495, 240, kBold},

    ControlPlace{"lblExt_cat", K::Label, "frExport", 120, 210, 4155, 240, kPlain},
    ControlPlace{"lstCategory", K::List, "frExport", 120, 450, 4155, 825, kPlain},
    ControlPlace{"btnExt_markall", K::Button, "frExport", 4440, 450, 1575, 375, kPlain},
    ControlPlace{"lblExt_selected", K::Label, "frExport", 4440, 945, 1560, 240, kPlain},
    ControlPlace{"lblExt_num_selected", K::Label, "frExport", 6015, 945, 600, 240, kBold},

    ControlPlace{"btnConfig", K::Button, "frConfig", 120, 240, 1695, 375, kPlain},
    ControlPlace{"btnExit", K::Button, "frConfig", 5520, 240, 1095, 375, kPlain},

    ControlPlace{"lblAuth_name", K::Label, "frAuth", 120, 270, 1035, 240, kPlain},
    ControlPlace{"txtAuth_login", K::TextField, "frAuth", 1170, 240, 2115, 300, kPlain},
    ControlPlace{"lblAuth_pass", K::Label, "frAuth", 3420, 270, 1035, 240, kPlain},
    ControlPlace{"txtAuth_pass", K::PasswordField, "frAuth", 4500, 240, 2115, 300, kPlain},

    ControlPlace{"lblWarning", K::Label, "frStatus", 120, 210, 6495, 435, kBold | kWrap},
    ControlPlace{"btnExt_export", K::Button, "frStatus", 120, 705, 2535, 375, kPlain},
    ControlPlace{"btnExit2", K::Button, "frStatus", 2760, 705, 1095, 375, kPlain},
    ControlPlace{"lslStatus_CSV", K::Label, "frStatus", 120, kRowTop, 1650, 240, kPlain},
    ControlPlace{"lblCSV_Status", K::Label, "frStatus", 1800, kRowTop, 4875, 240, kPlain},
    ControlPlace{"lblStatus_Auth", K::Label, "frStatus", 120, kRowTop + kRowStep, 1650, 240,
                 kPlain},
    ControlPlace{"lblAuth_Status", K::Label, "frStatus", 1800, kRowTop + kRowStep, 4875, 240,
                 kPlain},
    ControlPlace{"lblStatus_UP", K::Label, "frStatus", 120, kRowTop + 2 * kRowStep, 1650, 240,
                 kPlain},
    ControlPlace{"lblUP_Status", K::Label, "frStatus", 1800, kRowTop + 2 * kRowStep, 4875, 240,
                 kPlain},
    ControlPlace{"lblStatus_Srv", K::Label, "frStatus", 120, kRowTop + 3 * kRowStep, 1650, 240,
                 kPlain},
    ControlPlace{"lblSRV_Status", K::Label, "frStatus", 1800, kRowTop + 3 * kRowStep, 4875, 240,
                 kPlain},
    ControlPlace{"lblStatus_DOWN", K::Label, "frStatus", 120, kRowTop + 4 * kRowStep, 1650, 240,
                 kPlain},
    ControlPlace{"lblDOWN_Status", K::Label, "frStatus", 1800, kRowTop + 4 * kRowStep, 4875, 240,
                 kPlain},
    ControlPlace{"lblStatus_DAT", K::Label, "frStatus", 120, kRowTop + 5 * kRowStep, 1650, 240,
                 kPlain},
    ControlPlace{"lblDAT_Status", K::Label, "frStatus", 1800, kRowTop + 5 * kRowStep, 4875, 240,
                 kPlain},
};

constexpr std::array kAlertControls = {
    ControlPlace{"Label2", K::Label, nullptr, 120, 120, 2055, 375, kBold | kTypewriter | kOneLine},
    ControlPlace{"Label1", K::Label, nullptr, 1320, 960, 8655, 2175, kHeavy | kWrap},
    ControlPlace{"Command2", K::Button, nullptr, 480, 3720, 3015, 495, kPlain},
    ControlPlace{"Command1", K::Button, nullptr, 7200, 3720, 3015, 495, kPlain},
    ControlPlace{"Label3", K::Label, nullptr, 480, 5040, 9735, 735,
                 kBold | kBookFace | kRed | kWrap},
};

}  // namespace

const WindowPlaces& MainWindowPlaces() {
  static const WindowPlaces places{6975, 7590, 7.5, kMainControls};
  return places;
}

const WindowPlaces& AlertWindowPlaces() {
  static const WindowPlaces places{10605, 6270, 9.0, kAlertControls};
  return places;
}

}  // namespace brindle::gui
