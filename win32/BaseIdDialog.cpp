#include <windows.h>

#include <commctrl.h>

#include "app/front/BaseIdModel.h"
#include "win32/DialogTemplate.h"
#include "win32/Dialogs.h"
#include "win32/MessageBoxes.h"

namespace tessaro {

namespace {

using Model = BaseIdModel;

class BaseIdDialog final : public DialogBase {
 public:
  explicit BaseIdDialog(Model& model) : model_(model) {}

 private:
  BOOL OnInit(HWND dialog) override {
    FillList(dialog, Model::kCurrent.id, model_.CurrentIds(), 0);
    SendDlgItemMessageA(dialog, Model::kArrowsId, UDM_SETRANGE32, kNewIdLow, kNewIdHigh);
    SendDlgItemMessageA(dialog, Model::kArrowsId, UDM_SETPOS32, 0, Model::kInitialNewId);
    return TRUE;
  }

  bool OnCommand(HWND dialog, int id, int /*code*/) override {
    if (id != kOkId) return false;
    const char* refusal = nullptr;
    if (!model_.Confirm(SelectedText(dialog, Model::kCurrent.id),
                        ItemText(dialog, Model::kNewId.id), &refusal)) {
      ShowBox(dialog, refusal, kRfLinkCaption, MB_OK | MB_ICONWARNING);
      FocusEdit(dialog, Model::kNewId.id);
      return true;
    }
    EndDialog(dialog, kOkId);
    return true;
  }

  Model& model_;
};

}  // namespace

void RunBaseIdDlg(HWND owner, BaseIdModel& model) {
  DialogTemplate tmpl(Model::kFrame);
  tmpl.AddGroup(Model::kButtons);
  tmpl.AddLabel(Model::kCurrent);
  tmpl.Add(DialogTemplate::kComboBox, "", Model::kCurrent.id, Model::kCurrent.controlRect,
           CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
  tmpl.AddLabel(Model::kNewId);
  tmpl.Add(DialogTemplate::kEdit, "", Model::kNewId.id, Model::kNewId.controlRect,
           WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP);
  // Right after its box: the arrows take the control before them as buddy.
  tmpl.Add(UPDOWN_CLASSA, "", Model::kArrowsId, DuRect{0, 0, 0, 0},
           UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS);
  tmpl.AddOkCancel(Model::kButtons);
  BaseIdDialog dialog(model);
  dialog.RunModal(owner, tmpl);
}

}  // namespace tessaro
