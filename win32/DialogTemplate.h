#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/front/DialogLayout.h"

namespace tessaro {

// A dialog template built in memory from a model's frame and fields, in
// dialog units.  No font is named: the dialog takes the system font, whose
// base units (8 x 16 at 96 dots per inch) make one unit two pixels, as the
// models assume; on a denser screen the system font, and with it every unit,
// is larger by the screen's factor.  The texts take the GUI font at the
// screen's scale (Fonts.h).
class DialogTemplate {
 public:
  // Predefined control classes.
  enum ControlClass : WORD { kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kComboBox = 0x85 };

  explicit DialogTemplate(const DialogFrame& frame);

  void Add(ControlClass cls, const char* text, int id, const DuRect& rect, DWORD style);
  // A control of a class given by name (the common controls).
  void Add(const char* className, const char* text, int id, const DuRect& rect, DWORD style);
  // A static showing the icon of resource `iconId`.
  void AddIcon(int iconId, const DuRect& rect);

  // The untitled group box (first, behind the fields), then OK (default)
  // and Cancel (last, after the fields in the tab order).
  void AddGroup(const DialogButtons& buttons);
  void AddOkCancel(const DialogButtons& buttons);
  // A field's label (right-aligned against its control unless `align` says
  // otherwise), then its control.
  void AddLabel(const DialogField& field, DWORD align = SS_RIGHT);

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void BeginItem(DWORD style, const DuRect& rect, int id);
  void AddText(const char* text);
  void Align();

  std::vector<WORD> words_;
};

// A modal or modeless dialog over a DialogTemplate: the dialog procedure
// hands its messages to the object.
class DialogBase {
 public:
  virtual ~DialogBase() = default;

  // Runs the dialog modally; returns what EndDialog was given (-1: it could
  // not be shown).
  INT_PTR RunModal(HWND owner, const DialogTemplate& tmpl);
  // Creates the dialog modeless and visible.
  HWND CreateModeless(HWND owner, const DialogTemplate& tmpl);

 protected:
  // WM_INITDIALOG; `dialog` is the window.  Return as WM_INITDIALOG does.
  virtual BOOL OnInit(HWND dialog) = 0;
  // WM_COMMAND from control `id` with notification `code`; true if handled.
  // Cancel (the button, Escape, the close box) comes to OnCancel instead.
  virtual bool OnCommand(HWND dialog, int id, int code) = 0;
  // Ends the dialog by default.
  virtual void OnCancel(HWND dialog) { EndDialog(dialog, kCancelId); }

  // The text of control `id`.
  static std::string ItemText(HWND dialog, int id);
  // Fills the drop-down list `id` with `texts` and selects row `selected`
  // (-1: none).
  template <typename Texts>
  static void FillList(HWND dialog, int id, const Texts& texts, int selected);
  static int Selection(HWND dialog, int id);
  static std::string SelectedText(HWND dialog, int id);
  // Focus on an edit box with its text selected.
  static void FocusEdit(HWND dialog, int id);

 private:
  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

template <typename Texts>
void DialogBase::FillList(HWND dialog, int id, const Texts& texts, int selected) {
  HWND list = GetDlgItem(dialog, id);
  for (const auto& text : texts) {
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::string(text).c_str()));
  }
  SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

}  // namespace tessaro
