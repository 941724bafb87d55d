#pragma once

#include "core/Display.h"

namespace tessaro {

// A display that shows nothing, for programs and measurements that run the
// core without a window; a stand-in overrides only the calls it keeps.
class NullDisplay : public Display {
 public:
  void SetPaneText(int, const char*) override {}
  void InvalidateTopology() override {}
  void InvalidateView() override {}
  void ShowMessage(const char*, const char*, MessageIcon) override {}
  void SetButtons(const ButtonState&) override {}
  void SetSupervisionTimer(bool) override {}
};

}  // namespace tessaro
