#include "app/front/CriteriaModel.h"
#include "win32/DialogTemplate.h"
#include "win32/Dialogs.h"

namespace tessaro {

namespace {

using Model = CriteriaModel;

class CriteriaDialog final : public DialogBase {
 public:
  explicit CriteriaDialog(Model& model) : model_(model) {}

 private:
  BOOL OnInit(HWND dialog) override {
    for (int i = 0; i < Model::kBoxes; ++i) {
      const std::string text = model_.InitialText(static_cast<Model::Box>(i));
      SetDlgItemTextA(dialog, Model::kFields[i].id, text.c_str());
    }
    ready_ = true;
    return TRUE;
  }

  bool OnCommand(HWND dialog, int id, int code) override {
    if (id == kOkId) {
      model_.Confirm(ItemText(dialog, Model::kFields[0].id), ItemText(dialog, Model::kFields[1].id),
                     ItemText(dialog, Model::kFields[2].id));
      EndDialog(dialog, kOkId);
      return true;
    }
    if (code != EN_CHANGE || !ready_) return false;
    for (int i = 0; i < Model::kBoxes; ++i) {
      const auto box = static_cast<Model::Box>(i);
      if (Model::kFields[i].id != id || !Model::IsChecked(box)) continue;
      std::string restore;
      if (model_.CheckChange(box, ItemText(dialog, id), &restore)) {
        SetDlgItemTextA(dialog, id, restore.c_str());
      }
      return true;
    }
    return false;
  }

  Model& model_;
  bool ready_ = false;  // filling the boxes is no change of the operator's
};

}  // namespace

void RunCriteriaDlg(HWND owner, CriteriaModel& model) {
  DialogTemplate tmpl(Model::kFrame);
  tmpl.AddGroup(Model::kButtons);
  for (const DialogField& field : Model::kFields) {
    tmpl.AddLabel(field);
    tmpl.Add(DialogTemplate::kEdit, "", field.id, field.controlRect,
             WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP);
  }
  tmpl.AddOkCancel(Model::kButtons);
  CriteriaDialog dialog(model);
  dialog.RunModal(owner, tmpl);
}

}  // namespace tessaro
