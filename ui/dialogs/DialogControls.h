#pragma once

#include <QRect>

#include "app/front/DialogLayout.h"

class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tessaro {

// Dialog units to pixels with the classic base units (8 x 16 pixels per
// character): one horizontal unit is 2 pixels, one vertical unit 2 pixels.
inline QRect DialogRect(int x, int y, int width, int height) {
  return QRect(2 * x, 2 * y, 2 * width, 2 * height);
}

inline QRect DialogRect(const DuRect& r) {
  return DialogRect(r.x, r.y, r.width, r.height);
}

// The closed height of a drop-down list, in dialog units; the template gives
// only its list height.
inline constexpr int kComboHeightDu = 12;

// Sets the caption, the fixed client size and the frame (caption, system
// menu and close box, no resizing) of a dialog of width x height units.
void SetUpDialogFrame(QDialog& dialog, const DialogFrame& frame);

// An untitled group box.
QGroupBox* AddGroupBox(QWidget* parent, const QRect& rect);

// A right-aligned label whose mnemonic moves the focus to `buddy`.
QLabel* AddLabel(QWidget* parent, const char* text, const QRect& rect, QWidget* buddy);

// A drop-down list (no typing) named by its control id, with its label.
QComboBox* AddDropList(QWidget* parent, QComboBox* combo, const DialogField& field);

// A bordered edit box named by its control id, with its label.
QLineEdit* AddEdit(QWidget* parent, const DialogField& field);

// OK (id 1, the default button; the dialog connects what it does) and Cancel
// (id 2, rejects the dialog, as Esc and the close box do).  Returns OK.  The
// group box comes first, before the controls it frames.
QPushButton* AddButtons(QDialog& dialog, const DialogButtons& buttons);

// OK (id 1, the default button; the dialog connects what it does) and
// Cancel (id 2, rejects the dialog, as Esc and the close box do).
QPushButton* AddOkButton(QDialog& dialog, const QRect& rect);
QPushButton* AddCancelButton(QDialog& dialog, const QRect& rect);

// Control ids as object names, so the controls can be found by id.
QString ControlName(int id);

}  // namespace tessaro
