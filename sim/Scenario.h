#pragma once

// What the simulated network is made of and how its radio link and loader
// misbehave.  A plain value: built in code, read from a JSON scenario file or
// from command-line options, and handed to the Simulator.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro::sim {

// One base station.  Property values are the characters of the wire, counted
// from "1" (channel "1".."4", or "1".."6" in six-channel mode; group "1".."3";
// power "1".."5"; mode "1" stand alone, "2" slave, "3" master).
struct BaseSetup {
  int number = 1;  // 1..16
  char channel = '1';
  char group = '1';
  char power = '3';
  char mode = '1';
  int timeoutSeconds = 2;      // 1..99
  int baudIndex = 0;           // row of BaudTable: the speed of this base's serial port
  std::vector<int> terminals;  // 1..99
};

// Time from the PC's test packet (or PASSIVE echo) to the terminal's echo (or
// the base's report on it).  A fixed delay has minMs == maxMs.
struct EchoDelay {
  int minMs = 30;
  int maxMs = 90;
  // Jitter: each delay drawn from [minMs, maxMs] gets a normally distributed
  // extra with this standard deviation (0 = none); a delay never goes below 0.
  int jitterMs = 0;
};

// Bursty loss, a Gilbert-Elliott channel: each terminal's radio link is in a
// good or a bad state.  Before each packet (test packet or PASSIVE echo) it
// goes from good to bad with `enterBad` and from bad to good with
// `leaveBad`; the packet is then lost with `lossGood` or `lossBad`.  A mean
// burst lasts 1 / leaveBad packets.  Off while enterBad and lossGood are 0.
// A test packet lost in a burst is reported "@OK" and never echoed; a
// PASSIVE echo lost in a burst is reported "@NG".
struct BurstLoss {
  double enterBad = 0.0;
  double leaveBad = 0.5;
  double lossGood = 0.0;
  double lossBad = 1.0;
};

// Probabilities 0..1, drawn independently for each test packet.
struct LinkFaults {
  double echoLoss = 0.0;        // the base reports "@OK" but no echo comes back
  double echoCorruption = 0.0;  // the echo comes back with one data character changed
  double echoDuplicate = 0.0;   // the echo comes back twice
  double ngRate = 0.0;          // the base reports "@NG" and no echo follows
  double wtRate = 0.0;          // the base reports "@WT"; the echo still follows
  double silentLoss = 0.0;      // neither a report nor an echo (stalls that terminal's test)
};

// Unsolicited "@DT" traffic that terminals send on their own (PASSIVE mode).
struct PassiveTraffic {
  double ratePerTerminal = 0.0;  // messages per second per present terminal; 0 = none
  int dataLength = 15;           // as the PC's data length: sequence + payload = max(L,5)-1
};

struct LineConfig {
  bool pace = false;            // deliver no faster than the line's baud rate allows
  double noisePerSecond = 0.0;  // bursts of stray bytes between messages
  bool sixChannel = false;      // a lone "1" precedes each "@BS" answer; channels 1..6
};

// What the loader answers after "@UP".  A reply text is sent followed by "\r";
// an empty text means no answer at all to that line.
struct LoaderConfig {
  std::string wakeReply = "ACK0";      // to the lone "\r" ("FN"/"FF" = ready at once)
  std::string makerReply = "ACK1";     // to "QUORVAN\r"
  std::string downloadReply = "ACK2";  // to "DOWNLOAD\r"
  std::string endReply = "FA";         // to the end packet

  enum class Refusal { kFn, kFf };
  Refusal badChecksum = Refusal::kFn;  // answer to a packet whose length or checksum is wrong

  // Faults.  Data packets are counted from 1 from the "@UP" on, across the
  // PC's retries, so a fault at packet k hits once and a retry can succeed.
  bool silent = false;        // the loader answers nothing at all
  int silentAtPacket = 0;     // no answer to data packet k (0 = never)
  int fnBurstAtPacket = 0;    // answer "FN" fnBurstLength times to data packet k ...
  int fnBurstLength = 0;      // ... before accepting it
  int faultAtPacket = 0;      // "FF" to data packet k
  bool splitReplies = false;  // every reply in two writes, the second splitGapMs later
  int splitGapMs = 20;
  int trailingAtPacket = 0;  // the answer to data packet k has bytes after its CR
  std::string trailingBytes = "?";

  int idleExitMs = 60000;  // back to normal after this long without a byte (0 = never)
};

struct Scenario {
  std::vector<BaseSetup> bases;  // distinct numbers 1..16
  int attachedBase = 1;          // the base on the serial line; must be one of `bases`
  EchoDelay delay;
  LinkFaults faults;
  BurstLoss burst;
  PassiveTraffic passive;
  LineConfig line;
  LoaderConfig loader;
  std::uint64_t seed = 1;
  // How many of the latest entries each observation record keeps.
  std::size_t recordCapacity = 8192;

  // Bases 1 (attached, master), 2 and 5 (slaves) with a few terminals each.
  static Scenario Default();

  // false with a reason when a number, value or probability is out of range.
  bool Validate(std::string* error) const;
};

}  // namespace tessaro::sim
