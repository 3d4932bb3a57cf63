// The names of the windows and their controls, as the window's description gives them: the
// names a view, the scenario driver, brindle-cli and the state dump address them by, and the
// names a change listener is told. One home, so that a name is spelled once.
#pragma once

namespace brindle::names {

// What a change listener is told besides a control's name.
inline constexpr char frmBrindle[] = "frmBrindle";  // the main window: its height or shown
inline constexpr char Form1[] = "Form1";            // the start-up warning: shown
inline constexpr char focus[] = "focus";            // the keyboard focus moved

// The main window's controls, in creation order.
inline constexpr char frFile[] = "frFile";
inline constexpr char Label1[] = "Label1";
inline constexpr char txtFile[] = "txtFile";
inline constexpr char btnFile[] = "btnFile";
inline constexpr char btnLoad[] = "btnLoad";
inline constexpr char frInformation[] = "frInformation";
inline constexpr char lblRegister[] = "lblRegister";
inline constexpr char lblNum_reg[] = "lblNum_reg";
inline constexpr char Label2[] = "Label2";
inline constexpr char lblCategory[] = "lblCategory";
inline constexpr char lblNum_cat[] = "lblNum_cat";
inline constexpr char lblStatus_File[] = "lblStatus_File";
inline constexpr char frExport[] = "frExport";
inline constexpr char lblExt_cat[] = "lblExt_cat";
inline constexpr char lstCategory[] = "lstCategory";
inline constexpr char btnExt_markall[] = "btnExt_markall";
inline constexpr char lblExt_selected[] = "lblExt_selected";
inline constexpr char lblExt_num_selected[] = "lblExt_num_selected";
inline constexpr char frConfig[] = "frConfig";
inline constexpr char btnConfig[] = "btnConfig";
inline constexpr char btnExit[] = "btnExit";
inline constexpr char frAuth[] = "frAuth";
inline constexpr char lblAuth_name[] = "lblAuth_name";
inline constexpr char txtAuth_login[] = "txtAuth_login";
inline constexpr char lblAuth_pass[] = "lblAuth_pass";
inline constexpr char txtAuth_pass[] = "txtAuth_pass";
inline constexpr char frStatus[] = "frStatus";
inline constexpr char lblWarning[] = "lblWarning";
inline constexpr char btnExt_export[] = "btnExt_export";
inline constexpr char btnExit2[] = "btnExit2";
inline constexpr char lslStatus_CSV[] = "lslStatus_CSV";
inline constexpr char lblCSV_Status[] = "lblCSV_Status";
inline constexpr char lblStatus_Auth[] = "lblStatus_Auth";
inline constexpr char lblAuth_Status[] = "lblAuth_Status";
inline constexpr char lblStatus_UP[] = "lblStatus_UP";
inline constexpr char lblUP_Status[] = "lblUP_Status";
inline constexpr char lblStatus_Srv[] = "lblStatus_Srv";
inline constexpr char lblSRV_Status[] = "lblSRV_Status";
inline constexpr char lblStatus_DOWN[] = "lblStatus_DOWN";
inline constexpr char lblDOWN_Status[] = "lblDOWN_Status";
inline constexpr char lblStatus_DAT[] = "lblStatus_DAT";
inline constexpr char lblDAT_Status[] = "lblDAT_Status";

// The warning window's own controls (its Label1 and Label2 share the main window's names).
inline constexpr char Command1[] = "Command1";
inline constexpr char Command2[] = "Command2";
inline constexpr char Label3[] = "Label3";

}  // namespace brindle::names
