#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <type_traits>

#include "app/CellRouter.h"
#include "app/EngineView.h"
#include "app/PortChoices.h"
#include "app/PropertyChanges.h"
#include "app/ReopenBackoff.h"
#include "app/TestMarks.h"
#include "core/Clock.h"
#include "core/Display.h"
#include "core/PortWriter.h"
#include "download/DownloadSession.h"
#include "link/FrameAssembler.h"
#include "link/PortSession.h"
#include "link/PortSettings.h"
#include "link/SerialPort.h"
#include "linktest/LinkTest.h"
#include "linktest/TestState.h"
#include "protocol/CommandBuffer.h"
#include "protocol/MessageDispatcher.h"
#include "protocol/StationRegistry.h"

namespace tessaro {

// The application object: owns one of each shared record, the frame
// assembler, the dispatcher, the link test, the port session and the one
// engine lock.  Every front end (the window, the command-line tools, the
// tests) drives the system through the operations below and reads what it
// shows through Read() or Snapshot(); none of them can reach the lock or a
// mutable record.
//
// The reader thread runs each dispatch under the engine lock.  Every
// operation takes the lock itself, for as long as it reads or writes the
// records or writes a command, so commands never interleave on the line.
// Operations are for one front-end thread (the window thread); the reader
// thread only dispatches.
class Engine final : private FrameSink,
                     private ByteSink,
                     private PortWriter,
                     private TimeOutWatcher {
 public:
  // `outbound`, when given, takes every command in place of the port (the
  // replay tool records them).
  Engine(Display& display, Clock& clock, SerialPort& port, PortWriter* outbound = nullptr);
  ~Engine() override;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // --- Reading -----------------------------------------------------------

  // Runs `visitor(const EngineView&)` under the engine lock and returns what
  // it returns.  Never call an operation from inside it.
  template <typename Visitor>
  decltype(auto) Read(Visitor&& visitor) const {
    std::scoped_lock lock(lock_);
    const EngineView view{settings_,        registry_,         test_,      criteria_,
                          SixChannelMode(), session_.IsOpen(), NoticeNow()};
    return visitor(view);
  }

  // A consistent copy of every record.
  EngineSnapshot Snapshot() const;

  bool IsPortOpen() const { return session_.IsOpen(); }
  // True once the open session's device went away (hang-up, adapter pulled).
  // From then on the session counts nothing: a running test stops where it
  // was (packets still out are not counted lost), nothing more is written,
  // the buttons refuse, pane 0 and the view say so.  Close still closes.
  bool IsLinkLost() const { return session_.LinkLost(); }
  // When the link was lost; meaningful once IsLinkLost() is true.
  std::chrono::steady_clock::time_point LinkLostAt() const { return session_.LinkLostAt(); }
  // Why the last Open could not open the device.  Window thread.
  const OpenFailure& LastOpenFailure() const { return session_.LastOpenFailure(); }
  int SixChannelMode() const { return assembler_.SixChannelMode(); }

  // Sends every cell change to `cells` (a window's CellPlacer draws it at its
  // pixel position) instead of to the display's ShowCounter and
  // ShowBaseProperty.  Set before any session opens; nullptr restores the
  // display.
  void PlaceCellsFor(CellSink* cells) { router_.SetSink(cells); }

  // Sees every complete message right before it is dispatched (the replay
  // tool prints them).  Set before any session opens; nullptr removes it.
  void SetFrameObserver(FrameSink* observer) { frameObserver_ = observer; }

  // Feeds inbound bytes as the reader thread does (under the lock).
  void Feed(const char* bytes, std::size_t count);

  // --- The port session --------------------------------------------------

  // The Open command after its settings dialog: opens the session, runs the
  // status poll, sends "@AT\r" and enables the buttons.  Does nothing when a
  // session is open.  Returns true when a session is open afterwards.
  bool Open();

  // The Close command: closes the session (if any), stops a running test,
  // disables the buttons, resets the registry and repaints the view.
  void Close();

  // After a lost link: opens the same device (the same COM name or path)
  // again if it is back, quietly, polls the base with "@BS\r" and lets a test
  // that the loss stopped go on with its counters.  true when the session is
  // live (also when it never was lost); false while the device is still
  // gone or no session is open.  Call it now and then while IsLinkLost():
  // after a failed attempt the next one waits (ReopenBackoff), however
  // often it is called.
  bool Reconnect();

  // The port dialog's "Reconnect by itself" (off at start, never stored), and
  // the window's once-a-second call that acts on it: Reconnect() when the
  // link is lost and the option is on.
  void SetAutoReconnect(bool on) { autoReconnect_.store(on, std::memory_order_relaxed); }
  bool AutoReconnect() const { return autoReconnect_.load(std::memory_order_relaxed); }
  void ReconnectTick() {
    if (AutoReconnect() && session_.IsOpen() && session_.LinkLost()) Reconnect();
  }

  // Closes the session if one is open (Exit, and the frame's close box).
  void ShutDown();

  // The port dialog's OK: the settings count as confirmed and take the
  // chosen rows (a list without a selection keeps the value in force).
  // Port rows after COM6 choose that entry of `devices`.
  void ConfirmPortChoices(const ComChoices& choices, const std::vector<PortInfo>& devices = {});

  // Selects port row `index` (clamped to the list) without the dialog, for
  // front ends that name the port on their command line.
  void SelectPort(int index);

  // Selects a device by path (a by-id name, /dev/ttyUSB0, a Windows port
  // name) without the dialog; `name` is its short name for the status bar.
  // false when the texts are too long to keep.
  bool SelectDevicePath(const char* path, const char* name);

  // Selects baud row `row` (clamped to the table) without the dialog, as a
  // recorded stream was taken at.
  void SelectBaud(int row);

  // The session's settings as they stand.
  PortSettings Settings() const;

  // --- The link test -----------------------------------------------------

  // The view's buttons and timer.
  void ToggleLinkMode();
  void ToggleTestRun();
  void SuperviseTick();
  // STOP when a test runs; nothing otherwise.
  void StopTestRun();
  // Current texts and enabled states of the two buttons.
  ButtonState Buttons() const;

  // The testing criteria dialog's OK.
  void SetCriteria(const TestCriteria& criteria);
  TestCriteria Criteria() const;

  // Puts the link test into a mode and run state without a session, as a
  // recorded stream found it (the replay tool, the fuzz target).
  void PresetLinkTest(LinkMode mode, TestRun run);

  // Does what a recorded mark says the front end or the supervision did,
  // without a session (the replay tool).  Kind LinkLost is the trace's
  // "hangup": a running test stops, to go on at the next Reconnect mark.
  void ReplayMark(const TestMark& mark);
  // Inbound bytes fed so far (the marks' "in=").
  std::uint64_t FedBytes() const;

  // --- Bases -------------------------------------------------------------

  // The first present base when a port is open; 0 when the commands that
  // need a base ("Base is not connected !") must refuse.
  int ConnectedBase() const;

  // "@ID" cc nn "\r" then "@BS\r": base `oldBase` takes number `newBase`
  // (0 sends the query form "00").
  void ChangeBaseId(int oldBase, int newBase);

  // The properties dialog's OK before the baud question: one set command per
  // changed property, in the order channel, group, power, time-out, mode.
  // Returns the baud row to ask about, or -1 when the baud stays.
  int SendPropertyChanges(int base, const PropertyChoices& chosen, int timeout);

  // The confirmed baud change: "@SP" + rate text + "\r", and the PC and the
  // base follow the new row at the next open.
  void ChangeBaud(int base, int baudRow);

  // Asks every present base for its terminal list ("@TM" nn "\r").
  void QueryTerminals();

  // --- The program download ----------------------------------------------

  // "@UP" nn "\r" to base n over the open session.
  void SendUpdateRequest(int base);

  // Runs the download on the calling thread with the session closed (the
  // port by the name in the settings), through `ui`.
  DownloadResult Download(DownloadUi& ui, DownloadState& state);

 private:
  // Tests set up and inspect the records directly (tests/support).
  friend class EngineTestAccess;

  void OnFrame(const char* message, std::size_t length) override;
  void OnBytes(const char* bytes, std::size_t count) override;
  void OnLinkLost() override;
  void OnQuiet() override;
  // After Open: marks the line when no base answered within kNoBaseAnswerMs,
  // and clears the mark once one does.  Under the lock.
  void CheckBaseAnswer();
  // The view's mark for the line's state.  Under the lock.
  const char* NoticeNow() const;
  // With the link lost on the window thread: the test stopped with its
  // timer, the buttons disabled.  Under the lock.
  void SettleLostLink();
  void Write(const char* bytes, std::size_t count) override;
  void OnTimeOut(int terminal) override;
  // Notes `mark` on the port, for a trace to keep.  Under the lock.
  void NoteMark(TestMark mark);

  Display& display_;
  Clock& clock_;
  SerialPort& port_;
  mutable std::mutex lock_;

  PortSettings settings_;
  // Under the lock: since Open, until a base answers.
  bool awaitingBase_ = false;
  // A running ACTIVE test was stopped by the loss of the link.
  bool resumeAfterLoss_ = false;
  std::atomic<bool> autoReconnect_{false};
  // Window thread: when Reconnect tries the device again.
  ReopenBackoff reopen_;
  // Under the lock: inbound bytes fed since the engine was made.
  std::uint64_t fed_ = 0;
  bool noBaseShown_ = false;
  std::uint32_t openedAtMs_ = 0;
  StationRegistry registry_;
  TestState test_;
  TestCriteria criteria_;
  CommandBuffer commands_;

  CellRouter router_;
  PortWriter* outbound_;
  FrameSink* frameObserver_ = nullptr;
  PortSession session_;
  LinkTest linkTest_;
  FrameAssembler assembler_;
  MessageDispatcher dispatcher_;
};

}  // namespace tessaro
