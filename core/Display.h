#pragma once

// What the core shows to the operator.  The window implements it; tools and
// tests implement it with printing or recording stand-ins.
//
// Calls marked "either thread" may come from the reader thread while the
// engine lock is held: an implementation must return without waiting for the
// window thread (hand the work over, coalesce floods).  Texts are copied
// before the call returns.

#include <cstdint>

namespace tessaro {

// Colour classes of the topology view's texts.
enum ColourClass : int { kBlack = 0, kRed = 1, kBlue = 2 };

// The counters of a terminal's cell.  Sent (ACTIVE) and Received (PASSIVE)
// take the same place in the cell, and so do Ok and Duplicate.
enum class Counter : std::uint8_t { Sent, Received, Ok, Duplicate, NoGood, ReplyTime, Average };

// The properties a base's cell shows.
enum class BaseProperty : std::uint8_t { Channel, Group, Power };

enum class MessageIcon { Warning, Information, Question };

// Texts and enabled states of the view's mode button (401) and run button (402).
struct ButtonState {
  const char* modeText = "ACTIVE";
  bool modeEnabled = false;
  const char* runText = "START";
  bool runEnabled = false;
  bool focusMode = false;  // give the mode button the keyboard focus
};

class Display {
 public:
  virtual ~Display() = default;

  // Status-bar pane 0, 1 or 2.  Either thread.
  virtual void SetPaneText(int pane, const char* text) = 0;

  // Counter `counter` of terminal `terminal` is now `value`, to be shown in
  // `colourClass` at once.  Either thread.  Where and as what text is the
  // front end's business; the windows have the engine place it for them
  // (Engine::PlaceCellsFor) and need not override this.
  virtual void ShowCounter(int terminal, Counter counter, std::int32_t value, int colourClass) {
    (void)terminal;
    (void)counter;
    (void)value;
    (void)colourClass;
  }

  // Base `base` reported `value` (a character as it came) for `property`, to
  // be shown at once.  Either thread.  The same holds as for ShowCounter.
  virtual void ShowBaseProperty(int base, BaseProperty property, char value) {
    (void)base;
    (void)property;
    (void)value;
  }

  // Repaint of the topology part (right of the separator).  Either thread.
  virtual void InvalidateTopology() = 0;

  // Repaint of the whole view, background included.  Either thread.
  virtual void InvalidateView() = 0;

  // A modal message box.  Window thread only.
  virtual void ShowMessage(const char* text, const char* caption, MessageIcon icon) = 0;

  // The same box with `details` beside the text (the device and the system's
  // reason behind "Can't open the COM port!"), shown on request.  A display
  // without a place for them shows the box alone.  Window thread only.
  virtual void ShowMessageWithDetails(const char* text, const char* caption, MessageIcon icon,
                                      const char* details) {
    (void)details;
    ShowMessage(text, caption, icon);
  }

  // The two test buttons.  Window thread only.
  virtual void SetButtons(const ButtonState& state) = 0;

  // Starts (true) or stops (false) the 500 ms supervision timer that calls the
  // link test's SuperviseTick.  Window thread only.
  virtual void SetSupervisionTimer(bool running) = 0;
};

}  // namespace tessaro
