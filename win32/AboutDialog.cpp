#include "app/front/AboutTexts.h"
#include "win32/DialogTemplate.h"
#include "win32/Dialogs.h"
#include "win32/ResourceIds.h"

namespace tessaro {

namespace {

using Layout = AboutBoxLayout;

// Closes only by OK: the close box and Escape (IDCANCEL) do nothing.
class AboutDialog final : public DialogBase {
  BOOL OnInit(HWND /*dialog*/) override { return TRUE; }
  bool OnCommand(HWND dialog, int id, int /*code*/) override {
    if (id == kOkId) EndDialog(dialog, kOkId);
    return id == kOkId;
  }
  void OnCancel(HWND /*dialog*/) override {}
};

}  // namespace

void RunAboutDlg(HWND owner) {
  DialogTemplate tmpl(Layout::kFrame);
  tmpl.AddIcon(IDI_RF, Layout::kIcon);
  // Each line as wide as the box leaves it.
  const int width = Layout::kFrame.width - Layout::kProgramLineX - 4;
  tmpl.Add(DialogTemplate::kStatic, kAboutProgramLine, -1,
           DuRect{Layout::kProgramLineX, Layout::kProgramLineY, width, 8}, SS_LEFT | SS_NOPREFIX);
  tmpl.Add(DialogTemplate::kStatic, kAboutCopyrightLine, -1,
           DuRect{Layout::kCopyrightLineX, Layout::kCopyrightLineY, width, 8},
           SS_LEFT | SS_NOPREFIX);
  tmpl.Add(DialogTemplate::kButton, "OK", kOkId, Layout::kOk, BS_DEFPUSHBUTTON | WS_TABSTOP);
  AboutDialog dialog;
  dialog.RunModal(owner, tmpl);
}

}  // namespace tessaro
