#pragma once

namespace tessaro {

// A rectangle of a dialog in dialog units.  With the base units every front
// end uses (8 x 16 pixels per character), one unit is two pixels both ways.
struct DuRect {
  int x, y, width, height;
};

inline constexpr int DuToPixels(int units) {
  return 2 * units;
}

// A dialog's caption and client size in dialog units.
struct DialogFrame {
  const char* title;
  int width, height;
};

// One labelled control of a dialog: its control id, the label text (with its
// "&" mnemonic) and where label and control go.
struct DialogField {
  int id;
  const char* label;
  DuRect labelRect;
  DuRect controlRect;
};

// The OK (id 1) and Cancel (id 2) buttons and the untitled group box.
struct DialogButtons {
  DuRect group;
  DuRect ok;
  DuRect cancel;
};

inline constexpr int kOkId = 1;
inline constexpr int kCancelId = 2;

// Caption of the dialogs' message boxes.
inline constexpr char kRfLinkCaption[] = "RF link";

}  // namespace tessaro
