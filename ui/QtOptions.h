#pragma once

#include <string_view>

namespace tessaro {

// How many arguments a Qt option at the front of `arg` takes up (1, or 2
// with its value as the next argument), 0 when it is not one of Qt's.  Qt's
// own options (-platform NAME, -style=NAME, -reverse, ...) are passed over by
// the window's option parser and left for QApplication.
int QtOptionLength(std::string_view arg);

// The last lines of the window's usage text in the Qt build.
inline constexpr char kQtUsageNote[] =
    "Qt's own options (-platform NAME, -style NAME, ...) are accepted as well.\n";

}  // namespace tessaro
