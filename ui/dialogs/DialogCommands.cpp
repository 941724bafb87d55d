#include "ui/dialogs/DialogCommands.h"

#include <QWidget>

#include "app/Engine.h"

namespace tessaro {

void RunComPropertiesDlg(Engine& /*engine*/, QWidget* /*owner*/) {}

void RunParameterDlg(Engine& /*engine*/, QWidget* /*owner*/) {}

void RunBaseIdDlg(Engine& /*engine*/, QWidget* /*owner*/) {}

bool RunBasePropertiesDlg(Engine& /*engine*/, QWidget* /*owner*/) {
  return false;
}

}  // namespace tessaro
