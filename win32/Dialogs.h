#pragma once

#include <windows.h>

namespace tessaro {

class BaseIdModel;
class BasePropertiesModel;
class ComPortModel;
class CriteriaModel;

// The modal dialogs of the menu, each over its model: the controls are
// filled from the model, OK calls the model's Confirm and shows the refusal
// text it returns.
void RunComPortDlg(HWND owner, ComPortModel& model);
void RunCriteriaDlg(HWND owner, CriteriaModel& model);
void RunBaseIdDlg(HWND owner, BaseIdModel& model);
void RunBasePropertiesDlg(HWND owner, BasePropertiesModel& model);
// The About box: the icon, two lines and OK; it closes only by OK.
void RunAboutDlg(HWND owner);

}  // namespace tessaro
