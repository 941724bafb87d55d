#pragma once

#include "app/front/DialogLayout.h"
#include "core/Version.h"

namespace tessaro {

// The About box: the icon, two lines of text and OK.  It closes only by OK.
struct AboutBoxLayout {
  static constexpr DialogFrame kFrame{"Tessaro", 192, 55};
  static constexpr DuRect kIcon{6, 9, 16, 16};
  static constexpr int kProgramLineX = 30, kProgramLineY = 7;
  static constexpr int kCopyrightLineX = 30, kCopyrightLineY = 19;
  static constexpr DuRect kOk{74, 34, 44, 14};
};

inline constexpr char kAboutProgramLine[] = "Tessaro (Ver " TESSARO_VERSION ")";
inline constexpr char kAboutCopyrightLine[] = "Copyright (C) The Tessaro developers";

}  // namespace tessaro
