#pragma once

#include <cstddef>
#include <mutex>

#include "core/Clock.h"
#include "core/Display.h"
#include "core/PortWriter.h"
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
// assembler, the dispatcher, the link test and the port session, and the one
// engine lock.  Every front end (the window, tessaro-linktest, tessaro-replay,
// the tests) drives the system through it.
//
// The reader thread runs each dispatch under the engine lock.  Window-thread
// code that reads or writes the records, or writes a command, takes it too
// (the operations below do so themselves).
class Engine final : private FrameSink, private ByteSink, private PortWriter {
 public:
  // `outbound`, when given, takes every command in place of the port (the
  // replay tool records them).
  Engine(Display& display, Clock& clock, SerialPort& port, PortWriter* outbound = nullptr);
  ~Engine() override;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  std::mutex& Lock() { return lock_; }

  // The shared records.  Use them under Lock() while a session is open.
  PortSettings& Settings() { return settings_; }
  StationRegistry& Registry() { return registry_; }
  TestState& Test() { return test_; }
  TestCriteria& Criteria() { return criteria_; }
  CommandBuffer& Commands() { return commands_; }
  // Where commands are written; use under Lock().
  PortWriter& Outbound() { return *outbound_; }
  LinkTest& Links() { return linkTest_; }
  Display& View() { return display_; }
  Clock& Ticks() { return clock_; }
  SerialPort& Port() { return port_; }
  int SixChannelMode() const { return assembler_.SixChannelMode(); }
  bool IsPortOpen() const { return session_.IsOpen(); }

  // Feeds inbound bytes as the reader thread does (under the lock).
  void Feed(const char* bytes, std::size_t count);

  // Sees every complete message right before it is dispatched (the replay
  // tool prints them).  Set before any session opens; nullptr removes it.
  void SetFrameObserver(FrameSink* observer) { frameObserver_ = observer; }

  // The Open command after its settings dialog: opens the session, runs the
  // status poll, sends "@AT\r" and enables the buttons.  Does nothing when a
  // session is open.  Returns true when a session is open afterwards.
  bool Open();

  // The Close command: closes the session (if any), stops a running test,
  // disables the buttons, resets the registry and repaints the view.
  void Close();

  // Closes the session if one is open (Exit, and the frame's close box).
  void ShutDown();

  // The first present base when a port is open; 0 when the commands that
  // need a base ("Base is not connected !") must refuse.
  int ConnectedBase();

  // The view's buttons and timer.
  void ToggleLinkMode();
  void ToggleTestRun();
  void SuperviseTick();

  // "@UP" nn "\r" to base n over the open session (the download command).
  void SendUpdateRequest(int base);

  // Current texts and enabled states of the two buttons.
  ButtonState Buttons();

 private:
  void OnFrame(const char* message, std::size_t length) override;
  void OnBytes(const char* bytes, std::size_t count) override;
  void Write(const char* bytes, std::size_t count) override;

  Display& display_;
  Clock& clock_;
  SerialPort& port_;
  std::mutex lock_;

  PortSettings settings_;
  StationRegistry registry_;
  TestState test_;
  TestCriteria criteria_;
  CommandBuffer commands_;

  PortWriter* outbound_;
  FrameSink* frameObserver_ = nullptr;
  PortSession session_;
  LinkTest linkTest_;
  FrameAssembler assembler_;
  MessageDispatcher dispatcher_;
};

}  // namespace tessaro
