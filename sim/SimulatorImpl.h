#pragma once

// The simulator's inside, shared by its source files: the event loop and the
// line (SimulatorLoop.cpp), the base's answers to commands (BaseReplies.cpp),
// the radio side (RadioLink.cpp) and the public operations (Simulator.cpp).
// Everything here is guarded by `mu`; the loop thread holds it while it
// works and releases it while it waits in poll().

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "sim/Line.h"
#include "sim/LineRecorder.h"
#include "sim/LinkModel.h"
#include "sim/Loader.h"
#include "sim/Network.h"
#include "sim/Random.h"
#include "sim/Ring.h"
#include "sim/Simulator.h"
#include "sim/TimerQueue.h"

namespace tessaro::sim {

// Longest "@" message taken from the PC: its longest test packet is 305 bytes.
inline constexpr int kLongestInbound = 320;

struct MessageSlot {
  int length = 0;
  char text[kLongestInbound];
};

// What a terminal sent on its own and expects to see echoed: `remaining`
// echoes (two for a message sent twice), for a short while after `sentUs`.
struct PassiveExpectation {
  int remaining = 0;
  std::int64_t sentUs = 0;
  int length = 0;
  char text[kLongestInbound];
};

struct Simulator::Impl final : LoaderOutput {
  explicit Impl(const Scenario& scenario);
  ~Impl() override;

  // ---- SimulatorLoop.cpp ----
  bool Start(const Endpoint& where, std::string* error);
  void Stop();
  void Run();
  void Wake();
  void Touch();  // state changed: wake the waiters
  std::int64_t NowUs() const;
  int ExpectedSpeed() const;
  bool Garbled() const;
  void Enqueue(const char* bytes, std::size_t count);
  void Flush(std::int64_t nowUs);
  void ReadInput(std::int64_t nowUs);
  void ProcessInput(const char* bytes, std::size_t count, std::int64_t nowUs);
  void OnOpened(std::int64_t nowUs);
  void OnHungUp(std::int64_t nowUs);
  void ReadLineSpeed();  // into lineSpeed, recording a change
  void RunDueEvents(std::int64_t nowUs);
  int PollTimeoutMs(std::int64_t nowUs) const;
  void LoaderReply(const char* bytes, std::size_t count) override;
  void LeftLoader();
  // Makes `change` to the configuration when the result is a valid scenario.
  template <typename Change>
  void ChangeChecked(Change change) {
    Scenario check = config;
    net.Store(check);
    change(check);
    if (!check.Validate(nullptr)) return;
    change(config);
    Touch();
  }

  // ---- BaseReplies.cpp ----
  void HandleMessage(const char* msg, int length, std::int64_t nowUs);
  void AnswerProperty(const char* msg, int length);
  void AnswerTimeout(const char* msg, int length);
  void AnswerRenumber(const char* msg, int length);
  void AnswerTerminalList(const char* msg, int length);
  void AnswerSpeed(const char* msg, int length);
  void EnterLoader(const char* msg, int length, std::int64_t nowUs);
  void AnswerError(const char* msg, int length);
  void Announce(const char* text);

  // ---- RadioLink.cpp ----
  void HandleData(const char* msg, int length, std::int64_t nowUs);
  void TestPacket(int terminal, const char* msg, int length, std::int64_t nowUs);
  PassiveExpectation* AwaitedEcho(int terminal, const char* msg, int length, std::int64_t nowUs,
                                  bool& intact);
  void PassiveEcho(int terminal, const char* msg, int length, std::int64_t nowUs,
                   PassiveExpectation& answers, bool intact);
  void SendReport(char code1, char code2, int terminal);
  void Schedule(EventKind kind, std::int64_t dueUs, const char* bytes, int count,
                std::size_t record = 0);
  void ArmPassive(std::int64_t nowUs);
  void ArmNoise(std::int64_t nowUs);
  void SendPassive(std::int64_t nowUs);
  void SendNoise(int count);
  void HandleEvent(const TimerEvent& event);

  Scenario config;  // everything but the bases, which live in `net`
  Network net;
  ::tessaro::sim::Loader loader;  // qualified: Simulator::Loader() hides the name
  Random rng;
  BurstChannel burst;
  Line line;

  mutable std::mutex mu;
  mutable std::condition_variable changed;
  std::uint64_t version = 0;
  std::thread thread;
  std::atomic<bool> stopping{false};
  bool running = false;
  int wakeRead = -1;
  int wakeWrite = -1;
  std::int64_t epochUs = 0;

  // The line.
  bool held = false;  // a PC holds the slave side
  int lineSpeed = 0;  // as the PC set it, read at each turn of the loop
  std::int64_t nextHoldCheckUs = 0;
  int pendingDeviceBaud = 0;  // a serial device takes a new speed once the "@SP" answer is out
  bool waitWritable = false;
  std::vector<char> out;
  std::size_t outHead = 0;
  std::int64_t lineFreeAtNs = 0;         // pacing: when the line has sent what was written
  std::optional<LineRecorder> recorder;  // --trace

  // Cutting the PC's bytes into "@" messages.
  char frame[kLongestInbound] = {};
  int frameLength = 0;
  bool frameOverflow = false;

  TimerQueue timers;
  std::uint64_t passiveGeneration = 0;
  std::uint64_t noiseGeneration = 0;
  int passiveSequence[100] = {};
  // The last few messages of each terminal, any of which the PC may be echoing.
  static constexpr int kExpectations = 4;
  PassiveExpectation expect[100][kExpectations];
  int nextExpectation[100] = {};

  Ring<MessageSlot> received;
  Ring<EchoRecord> echoes;
  Ring<PassiveRecord> passive;
  Ring<MessageSlot> passiveEchoes;
  Counters counters;
};

}  // namespace tessaro::sim
