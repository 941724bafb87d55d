#include "ui/dialogs/DialogCommands.h"

#include "ui/dialogs/BaseIdDialog.h"
#include "ui/dialogs/BasePropertiesDialog.h"
#include "ui/dialogs/ComPropertiesDialog.h"
#include "ui/dialogs/ParameterDialog.h"

namespace tessaro {

namespace {

template <typename D, typename M>
void RunModal(M& model, QWidget* owner) {
  D dialog(model, owner);
  dialog.exec();
}

}  // namespace

void RunComPropertiesDlg(ComPortModel& model, QWidget* owner) {
  RunModal<ComPropertiesDialog>(model, owner);
}

void RunParameterDlg(CriteriaModel& model, QWidget* owner) {
  RunModal<ParameterDialog>(model, owner);
}

void RunBaseIdDlg(BaseIdModel& model, QWidget* owner) {
  RunModal<BaseIdDialog>(model, owner);
}

void RunBasePropertiesDlg(BasePropertiesModel& model, QWidget* owner) {
  RunModal<BasePropertiesDialog>(model, owner);
}

}  // namespace tessaro
