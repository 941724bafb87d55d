#include "win32/DialogTemplate.h"

#include <windows.h>

#include <commctrl.h>

#include "win32/Fonts.h"

namespace tessaro {

namespace {

// A drop-down list's height in a template includes its open list.
constexpr int kDropListHeight = 120;

// The dialog's own GUI font, for its screen's density, lives as long as it.
constexpr char kFontProperty[] = "TessaroGuiFont";

BOOL CALLBACK UseFont(HWND control, LPARAM font) {
  SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

void UseGuiFont(HWND dialog, int dpi) {
  HFONT font = MakeGuiFont(ViewScale(dpi));
  EnumChildWindows(dialog, UseFont, reinterpret_cast<LPARAM>(font));
  if (auto* old = static_cast<HFONT>(GetPropA(dialog, kFontProperty))) DeleteObject(old);
  SetPropA(dialog, kFontProperty, font);
}

}  // namespace

DialogTemplate::DialogTemplate(const DialogFrame& frame) {
  const DWORD style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER;
  words_ = {LOWORD(style),
            HIWORD(style),
            0,
            0,
            0,
            0,
            0,
            static_cast<WORD>(frame.width),
            static_cast<WORD>(frame.height)};
  words_.push_back(0);  // no menu
  words_.push_back(0);  // the dialog class
  AddText(frame.title);
}

void DialogTemplate::Align() {
  if (words_.size() % 2 != 0) words_.push_back(0);
}

void DialogTemplate::AddText(const char* text) {
  // Latin-1: every byte is its own character.
  for (const char* p = text; *p != 0; ++p) words_.push_back(static_cast<unsigned char>(*p));
  words_.push_back(0);
}

void DialogTemplate::BeginItem(DWORD style, const DuRect& rect, int id) {
  Align();
  style |= WS_CHILD | WS_VISIBLE;
  const WORD item[] = {LOWORD(style),
                       HIWORD(style),
                       0,
                       0,
                       static_cast<WORD>(rect.x),
                       static_cast<WORD>(rect.y),
                       static_cast<WORD>(rect.width),
                       static_cast<WORD>(rect.height),
                       static_cast<WORD>(id)};
  words_.insert(words_.end(), std::begin(item), std::end(item));
  ++words_[4];  // the item count of the header
}

void DialogTemplate::Add(ControlClass cls, const char* text, int id, const DuRect& rect,
                         DWORD style) {
  DuRect placed = rect;
  if (cls == kComboBox && placed.height == 0) placed.height = kDropListHeight;
  BeginItem(style, placed, id);
  words_.push_back(0xFFFF);
  words_.push_back(cls);
  AddText(text);
  words_.push_back(0);  // no creation data
}

void DialogTemplate::Add(const char* className, const char* text, int id, const DuRect& rect,
                         DWORD style) {
  BeginItem(style, rect, id);
  AddText(className);
  AddText(text);
  words_.push_back(0);
}

void DialogTemplate::AddIcon(int iconId, const DuRect& rect) {
  BeginItem(SS_ICON, rect, -1);
  words_.push_back(0xFFFF);
  words_.push_back(kStatic);
  words_.push_back(0xFFFF);
  words_.push_back(static_cast<WORD>(iconId));
  words_.push_back(0);
}

void DialogTemplate::AddGroup(const DialogButtons& buttons) {
  Add(kButton, "", -1, buttons.group, BS_GROUPBOX);
}

void DialogTemplate::AddOkCancel(const DialogButtons& buttons) {
  Add(kButton, "OK", kOkId, buttons.ok, BS_DEFPUSHBUTTON | WS_TABSTOP);
  Add(kButton, "Cancel", kCancelId, buttons.cancel, BS_PUSHBUTTON | WS_TABSTOP);
}

void DialogTemplate::AddLabel(const DialogField& field, DWORD align) {
  Add(kStatic, field.label, -1, field.labelRect, align);
}

INT_PTR DialogBase::RunModal(HWND owner, const DialogTemplate& tmpl) {
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), tmpl.Get(), owner, Proc,
                                 reinterpret_cast<LPARAM>(this));
}

HWND DialogBase::CreateModeless(HWND owner, const DialogTemplate& tmpl) {
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), tmpl.Get(), owner, Proc,
                                           reinterpret_cast<LPARAM>(this));
  if (dialog != nullptr) ShowWindow(dialog, SW_SHOWNORMAL);
  return dialog;
}

INT_PTR CALLBACK DialogBase::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    // The units stay the system font's; the texts take the GUI font, in which
    // the longest label fits its place.
    UseGuiFont(dialog, WindowDpi(dialog));
    return reinterpret_cast<DialogBase*>(lParam)->OnInit(dialog);
  }
  if (message == WM_DPICHANGED) {
    // Windows scales the dialog's units on a screen of another density; the
    // texts' font is ours to bring along.
    UseGuiFont(dialog, HIWORD(wParam));
    return FALSE;
  }
  if (message == WM_NCDESTROY) {
    if (auto* font = static_cast<HFONT>(RemovePropA(dialog, kFontProperty))) DeleteObject(font);
    return FALSE;
  }
  auto* self = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (message == WM_COMMAND && LOWORD(wParam) == kCancelId) {
    self->OnCancel(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND) {
    return self->OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
  }
  return FALSE;
}

std::string DialogBase::ItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(item)) + 1, '\0');
  const int length = GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

int DialogBase::Selection(HWND dialog, int id) {
  const LRESULT row = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  return row == CB_ERR ? -1 : static_cast<int>(row);
}

std::string DialogBase::SelectedText(HWND dialog, int id) {
  const int row = Selection(dialog, id);
  if (row < 0) return std::string();
  const LRESULT length = SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, row, 0);
  if (length == CB_ERR) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

void DialogBase::FocusEdit(HWND dialog, int id) {
  HWND edit = GetDlgItem(dialog, id);
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 0, -1);
}

}  // namespace tessaro
