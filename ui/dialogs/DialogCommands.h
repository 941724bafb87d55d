#pragma once

// The window's configuration dialogs, each run modally over its model.

class QWidget;

namespace tessaro {

class BaseIdModel;
class BasePropertiesModel;
class ComPortModel;
class CriteriaModel;

void RunComPropertiesDlg(ComPortModel& model, QWidget* owner);
void RunParameterDlg(CriteriaModel& model, QWidget* owner);
void RunBaseIdDlg(BaseIdModel& model, QWidget* owner);
void RunBasePropertiesDlg(BasePropertiesModel& model, QWidget* owner);

}  // namespace tessaro
