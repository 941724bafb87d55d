#pragma once

// What the core shows to the operator.  The window implements it; tools and
// tests implement it with printing or recording stand-ins.
//
// Calls marked "either thread" may come from the reader thread while the
// engine lock is held: an implementation must return without waiting for the
// window thread (hand the work over, coalesce floods).  Texts are copied
// before the call returns.

namespace tessaro {

// Colour classes of the topology view's texts.
enum ColourClass : int { kBlack = 0, kRed = 1, kBlue = 2 };

// Kind of a topology cell.
inline constexpr char kBaseCell = 'B';
inline constexpr char kTerminalCell = 'T';

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

  // Draws one text of a base cell (kind 'B', number = base) or terminal cell
  // (kind 'T', number = terminal) at once.  Either thread.
  virtual void UpdateCell(char kind, int lineOffset, int number, const char* text,
                          int colourClass) = 0;

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
