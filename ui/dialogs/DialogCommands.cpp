#include "ui/dialogs/DialogCommands.h"

#include "app/Engine.h"
#include "ui/dialogs/BaseIdDialog.h"
#include "ui/dialogs/BasePropertiesDialog.h"
#include "ui/dialogs/ComPropertiesDialog.h"
#include "ui/dialogs/ParameterDialog.h"

namespace tessaro {

void RunComPropertiesDlg(Engine& engine, QWidget* owner) {
  ComPropertiesDialog dialog(engine, owner);
  dialog.exec();
}

void RunParameterDlg(Engine& engine, QWidget* owner) {
  ParameterDialog dialog(engine, owner);
  dialog.exec();
}

void RunBaseIdDlg(Engine& engine, QWidget* owner) {
  BaseIdDialog dialog(engine, owner);
  dialog.exec();
}

bool RunBasePropertiesDlg(Engine& engine, QWidget* owner) {
  BasePropertiesDialog dialog(engine, owner);
  dialog.exec();
  return dialog.ReopenRequest();
}

}  // namespace tessaro
