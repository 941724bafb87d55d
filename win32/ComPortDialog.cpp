#include <algorithm>
#include <string>
#include <vector>

#include "app/front/ComPortModel.h"
#include "win32/DialogTemplate.h"
#include "win32/Dialogs.h"
#include "win32/MessageBoxes.h"

namespace tessaro {

namespace {

using Model = ComPortModel;

// The machine's devices after COM1..COM6, the list dropping down wide enough
// for the longest text.  Their descriptions are UTF-8 (a friendly name in
// the system's language), so they go in as UTF-16, whatever the ANSI code
// page.
void FillPortList(HWND list, const std::vector<std::string>& texts) {
  HDC dc = GetDC(list);
  const HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const std::string& text : texts) {
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
    if (n <= 0) wide.assign(text.begin(), text.end());
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    SIZE size{};
    if (GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size) != FALSE) {
      widest = std::max(widest, size.cx);
    }
  }
  SelectObject(dc, oldFont);
  ReleaseDC(list, dc);
  const LONG dropped = widest + GetSystemMetrics(SM_CXVSCROLL) + 8;
  SendMessageW(list, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(dropped), 0);
}

class ComPortDialog final : public DialogBase {
 public:
  explicit ComPortDialog(Model& model) : model_(model) {}

 private:
  BOOL OnInit(HWND dialog) override {
    const ComChoices& initial = model_.Initial();
    const int selected[Model::kLists] = {initial.port, initial.baud, initial.dataBits,
                                         initial.parity, initial.flow};
    for (int i = 0; i < Model::kLists; ++i) {
      HWND list = GetDlgItem(dialog, Model::kFields[i].id);
      if (i == 0) {
        FillPortList(list, model_.PortTexts());
      } else {
        const char* const* texts = nullptr;
        const int count = Model::ListTexts(i, &texts);
        for (int k = 0; k < count; ++k) {
          SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[k]));
        }
      }
      SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(selected[i]), 0);
    }
    CheckDlgButton(dialog, Model::kReconnect.id, initial.reconnect ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(dialog, Model::kNetworkPort.id, initial.networkPort.c_str());
    ShowNote(dialog);
    return TRUE;
  }

  static void ShowNote(HWND dialog) {
    SetDlgItemTextA(dialog, Model::kNetworkNote.id,
                    Model::NetworkNote(ItemText(dialog, Model::kNetworkPort.id)));
  }

  bool OnCommand(HWND dialog, int id, int code) override {
    if (id == Model::kNetworkPort.id && code == EN_CHANGE) {
      ShowNote(dialog);
      return true;
    }
    if (id == kOkId) {
      ComChoices choices;
      choices.port = Selection(dialog, Model::kFields[0].id);
      choices.baud = Selection(dialog, Model::kFields[1].id);
      choices.dataBits = Selection(dialog, Model::kFields[2].id);
      choices.parity = Selection(dialog, Model::kFields[3].id);
      choices.flow = Selection(dialog, Model::kFields[4].id);
      choices.reconnect = IsDlgButtonChecked(dialog, Model::kReconnect.id) == BST_CHECKED;
      choices.networkPort = ItemText(dialog, Model::kNetworkPort.id);
      const char* refusal = nullptr;
      if (!model_.Confirm(choices, &refusal)) {
        ShowBox(dialog, refusal, kRfLinkCaption, MB_OK | MB_ICONWARNING);
        FocusEdit(dialog, Model::kNetworkPort.id);
        return true;
      }
      EndDialog(dialog, kOkId);
      return true;
    }
    return false;
  }

  Model& model_;
};

}  // namespace

void RunComPortDlg(HWND owner, ComPortModel& model) {
  DialogTemplate tmpl(Model::kFrame);
  tmpl.AddGroup(Model::kButtons);
  for (const DialogField& field : Model::kFields) {
    tmpl.AddLabel(field);
    tmpl.Add(DialogTemplate::kComboBox, "", field.id, field.controlRect,
             CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
  }
  tmpl.AddLabel(Model::kNetworkPort, SS_LEFT);
  tmpl.Add(DialogTemplate::kEdit, "", Model::kNetworkPort.id, Model::kNetworkPort.controlRect,
           WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP);
  tmpl.Add(DialogTemplate::kStatic, "", Model::kNetworkNote.id, Model::kNetworkNote.labelRect,
           SS_LEFT);
  tmpl.Add(DialogTemplate::kButton, Model::kReconnect.label, Model::kReconnect.id,
           Model::kReconnect.labelRect, BS_AUTOCHECKBOX | WS_TABSTOP);
  tmpl.AddOkCancel(Model::kButtons);
  ComPortDialog dialog(model);
  dialog.RunModal(owner, tmpl);
}

}  // namespace tessaro
