#include <windows.h>

#include <commctrl.h>

#include "app/front/BasePropertiesModel.h"
#include "win32/DialogTemplate.h"
#include "win32/Dialogs.h"
#include "win32/MessageBoxes.h"

namespace tessaro {

namespace {

using Model = BasePropertiesModel;

int ListId(Model::List list) {
  return Model::kListFields[list].id;
}

class BasePropertiesDialog final : public DialogBase {
 public:
  explicit BasePropertiesDialog(Model& model) : model_(model) {}

 private:
  BOOL OnInit(HWND dialog) override {
    for (int i = 0; i < Model::kListCount; ++i) {
      const auto list = static_cast<Model::List>(i);
      FillList(dialog, ListId(list), model_.ListTexts(list), list == Model::kId ? 0 : -1);
    }
    EnableWindow(GetDlgItem(dialog, ListId(Model::kGroup)), model_.GroupAndPowerEnabled());
    EnableWindow(GetDlgItem(dialog, ListId(Model::kPower)), model_.GroupAndPowerEnabled());
    SendDlgItemMessageA(dialog, Model::kArrowsId, UDM_SETRANGE32, kTimeoutLow, kTimeoutHigh);
    ReloadFromBase(dialog);
    return TRUE;
  }

  // The controls show the base the ID list names, as it stands now.
  void ReloadFromBase(HWND dialog) {
    ShownProperties shown;
    if (!model_.Show(SelectedText(dialog, ListId(Model::kId)), &shown)) return;
    const int rows[] = {shown.choices.channel, shown.choices.group, shown.choices.power,
                        shown.choices.mode, shown.choices.baud};
    const Model::List lists[] = {Model::kChannel, Model::kGroup, Model::kPower, Model::kMode,
                                 Model::kBaud};
    for (int i = 0; i < 5; ++i) {
      SendDlgItemMessageA(dialog, ListId(lists[i]), CB_SETCURSEL, static_cast<WPARAM>(rows[i]), 0);
    }
    SendDlgItemMessageA(dialog, Model::kArrowsId, UDM_SETPOS32, 0, shown.timeout);
    EnableWindow(GetDlgItem(dialog, ListId(Model::kMode)), shown.modeEnabled);
    EnableWindow(GetDlgItem(dialog, ListId(Model::kBaud)), shown.baudEnabled);
  }

  bool OnCommand(HWND dialog, int id, int code) override {
    if (id == ListId(Model::kId) && (code == CBN_SELCHANGE || code == CBN_SETFOCUS)) {
      ReloadFromBase(dialog);
      return true;
    }
    if (id == ListId(Model::kMode) && (code == CBN_SELCHANGE || code == CBN_SETFOCUS)) {
      EnableWindow(GetDlgItem(dialog, ListId(Model::kBaud)),
                   BaudEnabledForModeRow(Selection(dialog, ListId(Model::kMode))));
      return true;
    }
    if (id != kOkId) return false;
    OnOk(dialog);
    return true;
  }

  void OnOk(HWND dialog) {
    PropertyChoices chosen;
    chosen.channel = Selection(dialog, ListId(Model::kChannel));
    chosen.group = Selection(dialog, ListId(Model::kGroup));
    chosen.power = Selection(dialog, ListId(Model::kPower));
    chosen.mode = Selection(dialog, ListId(Model::kMode));
    chosen.baud = Selection(dialog, ListId(Model::kBaud));
    const char* refusal = nullptr;
    switch (model_.Confirm(SelectedText(dialog, ListId(Model::kId)), chosen,
                           ItemText(dialog, Model::kTimeoutField.id), &refusal)) {
      case Model::Outcome::kRefused:
        ShowBox(dialog, refusal, kRfLinkCaption, MB_OK | MB_ICONWARNING);
        FocusEdit(dialog, Model::kTimeoutField.id);
        return;
      case Model::Outcome::kCancelled:
        EndDialog(dialog, kCancelId);
        return;
      case Model::Outcome::kAskBaud:
        if (ShowBox(dialog, kBaudQuestionText, kRfLinkCaption,
                    MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON1) == IDOK) {
          model_.ConfirmBaud();
        }
        break;
      case Model::Outcome::kDone:
        break;
    }
    EndDialog(dialog, kOkId);
  }

  Model& model_;
};

}  // namespace

void RunBasePropertiesDlg(HWND owner, BasePropertiesModel& model) {
  DialogTemplate tmpl(Model::kFrame);
  tmpl.AddGroup(Model::kButtons);
  // Tab order follows the form: the four upper lists, the time-out box, then
  // mode and baud.
  for (int i = 0; i < Model::kListCount; ++i) {
    if (i == Model::kMode) {
      tmpl.AddLabel(Model::kTimeoutField);
      tmpl.Add(DialogTemplate::kEdit, "", Model::kTimeoutField.id, Model::kTimeoutField.controlRect,
               WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP);
      tmpl.Add(UPDOWN_CLASSA, "", Model::kArrowsId, DuRect{0, 0, 0, 0},
               UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS);
    }
    const DialogField& field = Model::kListFields[i];
    tmpl.AddLabel(field);
    tmpl.Add(DialogTemplate::kComboBox, "", field.id, field.controlRect,
             CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
  }
  tmpl.AddOkCancel(Model::kButtons);
  BasePropertiesDialog dialog(model);
  dialog.RunModal(owner, tmpl);
}

}  // namespace tessaro
