#pragma once

#include <cstdint>

#include "core/Display.h"
#include "protocol/StationRegistry.h"

namespace tessaro {

// Takes the cell changes the core reports, together with the registry that
// says where the cells are (a window places them: app/front/CellPlacer.h).
// Called from either thread with the engine lock held, so the registry
// holds still: hand the drawing over or do it at once under a lock of your
// own, and never wait for the window thread.
class CellSink {
 public:
  virtual ~CellSink() = default;
  virtual void CounterChanged(const StationRegistry& registry, int terminal, Counter counter,
                              std::int32_t value, int colourClass) = 0;
  virtual void BasePropertyChanged(const StationRegistry& registry, int base, BaseProperty property,
                                   char value) = 0;
};

// The display the core talks to.  It passes every call on to the front end's
// display, except that with a sink attached the cell changes go to the sink.
// Every call of the core comes with the engine lock held.
class CellRouter final : public Display {
 public:
  CellRouter(Display& display, const StationRegistry& registry)
      : display_(display), registry_(registry) {}

  void SetSink(CellSink* sink) { sink_ = sink; }

  void SetPaneText(int pane, const char* text) override { display_.SetPaneText(pane, text); }
  void ShowCounter(int terminal, Counter counter, std::int32_t value, int colourClass) override {
    if (sink_ == nullptr) {
      display_.ShowCounter(terminal, counter, value, colourClass);
    } else {
      sink_->CounterChanged(registry_, terminal, counter, value, colourClass);
    }
  }
  void ShowBaseProperty(int base, BaseProperty property, char value) override {
    if (sink_ == nullptr) {
      display_.ShowBaseProperty(base, property, value);
    } else {
      sink_->BasePropertyChanged(registry_, base, property, value);
    }
  }
  void InvalidateTopology() override { display_.InvalidateTopology(); }
  void InvalidateView() override { display_.InvalidateView(); }
  void ShowMessage(const char* text, const char* caption, MessageIcon icon) override {
    display_.ShowMessage(text, caption, icon);
  }
  void ShowMessageWithDetails(const char* text, const char* caption, MessageIcon icon,
                              const char* details) override {
    display_.ShowMessageWithDetails(text, caption, icon, details);
  }
  void SetButtons(const ButtonState& state) override { display_.SetButtons(state); }
  void SetSupervisionTimer(bool running) override { display_.SetSupervisionTimer(running); }

 private:
  Display& display_;
  const StationRegistry& registry_;
  CellSink* sink_ = nullptr;
};

}  // namespace tessaro
