#pragma once

// The base-station network simulator: plays the attached base and everything
// behind it on the master side of a pseudo-terminal (or on a serial device).
// One event-loop thread serves the line; every public operation is safe to
// call from any other thread while it runs.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/Image.h"
#include "sim/Scenario.h"

namespace tessaro::sim {

// Where the simulator talks.  Empty devicePath: a new pseudo-terminal whose
// slave path SlavePath() tells, published as the symlink linkPath if given.
struct Endpoint {
  std::string devicePath;
  std::string linkPath;
};

enum class Report { kNone, kOk, kNg, kWait };

enum class EchoFate {
  kEchoed,      // echoed once, intact
  kDuplicated,  // echoed twice, intact
  kCorrupted,   // echoed with one data character changed
  kLost,        // reported, never echoed
  kRefused,     // reported "@NG", never echoed
  kSilent,      // neither reported nor echoed
  kAbsent,      // no such terminal: reported "@NG"
  kDropped,     // the echo was due while nobody held the line, or the loader took over
};

// One test packet the PC sent and what the network did with it.
struct EchoRecord {
  int terminal = 0;
  int base = 0;       // the base that relayed the echo (0 when the terminal is absent)
  int sequence = -1;  // the packet's four sequence digits (-1 when they are not digits)
  int delayMs = 0;    // applied from the packet's arrival to the echo's queueing
  Report report = Report::kNone;
  EchoFate fate = EchoFate::kEchoed;
};

// One unsolicited "@DT" a terminal sent, and the PC's echo of it.
struct PassiveRecord {
  int terminal = 0;
  int base = 0;
  int sequence = 0;
  bool echoed = false;  // the PC sent it back
  bool intact = false;  // ... byte for byte as "@DT" tt data "\r"
  int delayMs = 0;      // from the PC's echo to the base's report
  Report report = Report::kNone;
};

struct LoaderStatus {
  bool active = false;             // between "@UP" and the end packet
  int sessions = 0;                // "@UP" requests taken
  int completed = 0;               // end packets taken
  int packetsAccepted = 0;         // data packets answered "FA" (this loader session)
  int packetsRefused = 0;          // answered "FN" or "FF" for a bad length or checksum
  int packetsReceived = 0;         // data packets counted for the faults (this loader session)
  std::vector<std::string> lines;  // every handshake line and packet as received, in order
};

struct Counters {
  std::uint64_t messagesReceived = 0;  // "@" messages from the PC
  std::uint64_t testPackets = 0;
  std::uint64_t echoesSent = 0;
  std::uint64_t reportsSent = 0;
  std::uint64_t passiveSent = 0;
  std::uint64_t passiveEchoes = 0;
  std::uint64_t bytesIn = 0;
  std::uint64_t bytesOut = 0;
  std::uint64_t bytesDropped = 0;  // output discarded while nobody held the line
  std::uint64_t garbledBytes = 0;  // output sent as garbage because the speeds differed
  std::uint64_t opens = 0;         // times a PC took the line
};

class Simulator {
 public:
  Simulator();  // Scenario::Default()
  explicit Simulator(const Scenario& scenario);
  ~Simulator();  // Stop()
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Opens a new pseudo-terminal (or the endpoint) and starts the event loop.
  // false with a reason on failure (bad scenario, no pty, device busy, ...).
  bool Start(std::string* error = nullptr);
  bool Start(const Endpoint& where, std::string* error = nullptr);
  // Ends the loop thread, closes the line and removes the symlink.  Idempotent.
  void Stop();
  bool Running() const;
  // The path a PC opens: the pty slave, or the device.
  std::string SlavePath() const;
  // Records the line into `file` (its trace header written; docs/traces.md)
  // from the next Start() on.  The file is not closed here: keep it open
  // until Stop().
  void TraceLine(std::FILE* file);

  // ---- runtime operations (console and tests) ----
  // Add a terminal to a present base; the network announces the change with
  // an unsolicited "@TM" 00.  false when the base is absent or the number
  // out of range.
  bool AddTerminal(int base, int terminal);
  // Removes the terminal from every base that lists it, with the announcement.
  bool RemoveTerminal(int terminal);
  // Renumbers a base as "@ID" does (the attached base follows its number).
  bool MoveBase(int from, int to);
  // Adds or removes a whole base (not the attached one).
  bool AddBase(const BaseSetup& base);
  bool RemoveBase(int number);
  void SetDelay(EchoDelay delay);
  void SetFaults(const LinkFaults& faults);
  void SetBurst(const BurstLoss& burst);
  void SetEchoLoss(double probability);
  void SetPassive(const PassiveTraffic& passive);
  void SetPacing(bool on);
  void SetNoise(double burstsPerSecond);
  void SetSixChannel(bool on);
  void SetLoader(const LoaderConfig& loader);
  // Stray bytes between messages now (never "@", "\r" or "1").
  void InjectNoise(int bytes = 8);
  // The lone "1" of six-channel mode, now.
  void InjectSixChannelOne();
  // Any bytes, queued as they are (for tests of the PC's framing).
  void InjectRaw(const std::string& bytes);

  // The model as it stands (bases with properties and terminals) and the
  // configuration in force.
  Scenario Snapshot() const;
  // The model as readable text, one base per line.
  std::string Describe() const;

  // ---- observation ----
  // Every "@" message the PC sent, "\r" included, in order; the record keeps the
  // latest recordCapacity.  `from` is an absolute index (0 = the first ever).
  std::vector<std::string> Received(std::size_t from = 0) const;
  std::size_t ReceivedCount() const;
  // Waits until a message starting with `prefix` with index >= from has come.
  bool WaitForMessage(const std::string& prefix, std::chrono::milliseconds timeout,
                      std::size_t from = 0) const;
  // Re-evaluates `condition` (which may call the other observers) whenever the
  // simulator's state changes, until it holds or the timeout passes.
  bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const;

  std::vector<EchoRecord> Echoes() const;              // all terminals, in arrival order
  std::vector<EchoRecord> Echoes(int terminal) const;  // one terminal
  std::vector<PassiveRecord> Passive() const;
  std::vector<std::string> PassiveEchoesReceived() const;  // the PC's echoes as received
  Counters Stats() const;
  void ClearRecords();

  // The speed the PC has set on the line (bits per second; 0 before any open),
  // and the attached base's own speed.
  int LineSpeed() const;
  int BaseSpeed() const;
  // A PC holds the slave side now.  While nobody does, whatever the network
  // sends is lost, as on a real line: wait for this before injecting bytes.
  bool LineHeld() const;

  // ---- the loader ----
  LoaderStatus Loader() const;
  Image LoaderImage() const;  // as received in the loader session (latest session if ended)
  // Writes the image as raw bytes (gaps filled with 0xFF, starting at the
  // lowest address) or as S3 records with an S7 end; false with a reason.
  bool WriteImageBinary(const std::string& path, std::string* error = nullptr) const;
  bool WriteImageSRecord(const std::string& path, std::string* error = nullptr) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tessaro::sim
