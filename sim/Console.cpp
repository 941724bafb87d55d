#include "sim/Console.h"

#include "sim/TextNumbers.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace tessaro::sim {

namespace {

const char kHelp[] =
    "Commands:\n"
    "  show                      the network, its faults and the line\n"
    "  add BASE TERMINAL         a terminal joins a base (announced with @TM00)\n"
    "  remove TERMINAL           a terminal leaves (announced with @TM00)\n"
    "  move FROM TO              renumber a base (announced with @ID)\n"
    "  base add N [CH GP PW ME]  a new base N (not announced: the next @BS shows it)\n"
    "  base remove N             a base goes away (not the attached one)\n"
    "  delay MS | MIN-MAX        echo delay in milliseconds\n"
    "  jitter MS                 standard deviation of the delay's jitter\n"
    "  loss P                    echo loss probability 0..1\n"
    "  burst ENTER,LEAVE[,GOOD,BAD] | off\n"
    "                            bursty loss: link turns bad / good again per\n"
    "                            packet, loss in the good and the bad state\n"
    "  corrupt P | duplicate P | ng P | wt P | silent P\n"
    "                            the other faults of the radio link, 0..1\n"
    "  passive RATE [LENGTH]     unsolicited @DT per second per terminal\n"
    "  noise [BYTES]             stray bytes on the line now (default 8)\n"
    "  noise-rate RATE           noise bursts per second from now on\n"
    "  one                       the lone \"1\" of six-channel mode, now\n"
    "  six on|off                six-channel mode\n"
    "  pace on|off               pace the line to its baud rate\n"
    "  loader                    what the loader has taken\n"
    "  image FILE                write the received image (.bin: raw bytes, else S-records)\n"
    "  stats                     counters\n"
    "  help                      this text\n"
    "  quit                      end the simulator\n";

bool OnOff(const std::string& text, bool& value) {
  if (text == "on") {
    value = true;
    return true;
  }
  if (text == "off") {
    value = false;
    return true;
  }
  return false;
}

const char* FateName(EchoFate fate) {
  switch (fate) {
    case EchoFate::kEchoed:
      return "echoed";
    case EchoFate::kDuplicated:
      return "duplicated";
    case EchoFate::kCorrupted:
      return "corrupted";
    case EchoFate::kLost:
      return "lost";
    case EchoFate::kRefused:
      return "refused";
    case EchoFate::kSilent:
      return "silent";
    case EchoFate::kAbsent:
      return "absent";
    case EchoFate::kDropped:
      return "dropped";
  }
  return "?";
}

}  // namespace

const char* Console::HelpText() {
  return kHelp;
}

std::string Console::Execute(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string word; in >> word;) w.push_back(word);
  if (w.empty()) return {};
  const std::string& cmd = w[0];
  const auto usage = [&cmd](const char* form) { return "usage: " + cmd + " " + form + "\n"; };
  const std::size_t n = w.size();

  if (cmd == "help" || cmd == "?") return kHelp;
  if (cmd == "quit" || cmd == "exit") {
    quit_ = true;
    return {};
  }
  if (cmd == "show" || cmd == "print") return sim_.Describe();
  if (cmd == "add") {
    int base = 0;
    int terminal = 0;
    if (n != 3 || !ParseInt(w[1], 1, 16, base) || !ParseInt(w[2], 1, 99, terminal))
      return usage("BASE(1..16) TERMINAL(1..99)");
    if (!sim_.AddTerminal(base, terminal)) return "base " + w[1] + " is not in the network\n";
    return "terminal " + w[2] + " is with base " + w[1] + "\n";
  }
  if (cmd == "remove") {
    int terminal = 0;
    if (n != 2 || !ParseInt(w[1], 1, 99, terminal)) return usage("TERMINAL(1..99)");
    if (!sim_.RemoveTerminal(terminal)) return "no base lists terminal " + w[1] + "\n";
    return "terminal " + w[1] + " has left\n";
  }
  if (cmd == "move") {
    int from = 0;
    int to = 0;
    if (n != 3 || !ParseInt(w[1], 1, 16, from) || !ParseInt(w[2], 1, 16, to))
      return usage("FROM(1..16) TO(1..16)");
    if (!sim_.MoveBase(from, to)) return "base " + w[1] + " is absent or " + w[2] + " is taken\n";
    return "base " + w[1] + " is now base " + w[2] + "\n";
  }
  if (cmd == "base") {
    int number = 0;
    if (n >= 3 && w[1] == "add" && ParseInt(w[2], 1, 16, number)) {
      BaseSetup setup;
      setup.number = number;
      char* values[] = {&setup.channel, &setup.group, &setup.power, &setup.mode};
      if (n != 3 && n != 7) return usage("add N [CHANNEL GROUP POWER MODE]");
      for (std::size_t i = 3; i < n; ++i) {
        if (w[i].size() != 1) return usage("add N [CHANNEL GROUP POWER MODE]");
        *values[i - 3] = w[i][0];
      }
      if (!sim_.AddBase(setup)) return "base " + w[2] + " exists or a value is out of range\n";
      return "base " + w[2] + " added\n";
    }
    if (n == 3 && w[1] == "remove" && ParseInt(w[2], 1, 16, number)) {
      if (!sim_.RemoveBase(number)) return "base " + w[2] + " is absent or attached\n";
      return "base " + w[2] + " removed\n";
    }
    return usage("add N [CHANNEL GROUP POWER MODE] | remove N");
  }
  if (cmd == "delay") {
    EchoDelay d = sim_.Snapshot().delay;  // keeps the jitter
    const bool ok = n == 2 && ParseDelay(w[1], d);
    if (!ok) return usage("MS | MIN-MAX (0..600000)");
    sim_.SetDelay(d);
    return "echo delay " + w[1] + " ms\n";
  }
  if (cmd == "jitter") {
    EchoDelay d = sim_.Snapshot().delay;
    if (n != 2 || !ParseInt(w[1], 0, 600000, d.jitterMs)) return usage("MS(0..600000)");
    sim_.SetDelay(d);
    return "delay jitter " + w[1] + " ms\n";
  }
  if (cmd == "burst") {
    BurstLoss b = sim_.Snapshot().burst;
    if (n != 2 || !ParseBurst(w[1], b)) return usage("ENTER,LEAVE[,GOOD,BAD](0..1) | off");
    sim_.SetBurst(b);
    return "burst " + w[1] + "\n";
  }
  if (cmd == "loss" || cmd == "corrupt" || cmd == "duplicate" || cmd == "ng" || cmd == "wt" ||
      cmd == "silent") {
    double p = 0.0;
    if (n != 2 || !ParseDouble(w[1], 0.0, 1.0, p)) return usage("P(0..1)");
    LinkFaults f = sim_.Snapshot().faults;
    double* target = cmd == "loss"        ? &f.echoLoss
                     : cmd == "corrupt"   ? &f.echoCorruption
                     : cmd == "duplicate" ? &f.echoDuplicate
                     : cmd == "ng"        ? &f.ngRate
                     : cmd == "wt"        ? &f.wtRate
                                          : &f.silentLoss;
    *target = p;
    sim_.SetFaults(f);
    return cmd + " " + w[1] + "\n";
  }
  if (cmd == "passive") {
    PassiveTraffic p = sim_.Snapshot().passive;
    if ((n != 2 && n != 3) || !ParseDouble(w[1], 0.0, 1000.0, p.ratePerTerminal) ||
        (n == 3 && !ParseInt(w[2], 0, 240, p.dataLength)))
      return usage("RATE(0..1000 per second) [LENGTH(0..240)]");
    sim_.SetPassive(p);
    return "PASSIVE traffic " + w[1] + "/s per terminal\n";
  }
  if (cmd == "noise") {
    int bytes = 8;
    if (n > 2 || (n == 2 && !ParseInt(w[1], 1, 64, bytes))) return usage("[BYTES(1..64)]");
    sim_.InjectNoise(bytes);
    return {};
  }
  if (cmd == "noise-rate") {
    double rate = 0.0;
    if (n != 2 || !ParseDouble(w[1], 0.0, 1000.0, rate)) return usage("RATE(0..1000 per second)");
    sim_.SetNoise(rate);
    return "noise " + w[1] + "/s\n";
  }
  if (cmd == "one") {
    sim_.InjectSixChannelOne();
    return {};
  }
  if (cmd == "six" || cmd == "pace") {
    bool on = false;
    if (n != 2 || !OnOff(w[1], on)) return usage("on|off");
    if (cmd == "six") {
      sim_.SetSixChannel(on);
    } else {
      sim_.SetPacing(on);
    }
    return cmd + " " + w[1] + "\n";
  }
  if (cmd == "loader") {
    const LoaderStatus s = sim_.Loader();
    std::size_t bytes = 0;
    const Image image = sim_.LoaderImage();
    for (const auto& run : image) bytes += run.second.size();
    char text[256];
    std::snprintf(text, sizeof text,
                  "loader %s; sessions %d, completed %d; packets received %d, accepted %d, "
                  "refused %d; image %zu bytes in %zu run(s)\n",
                  s.active ? "active" : "idle", s.sessions, s.completed, s.packetsReceived,
                  s.packetsAccepted, s.packetsRefused, bytes, image.size());
    return text;
  }
  if (cmd == "image") {
    if (n != 2) return usage("FILE");
    std::string error;
    const bool binary = w[1].size() > 4 && w[1].compare(w[1].size() - 4, 4, ".bin") == 0;
    const bool ok =
        binary ? sim_.WriteImageBinary(w[1], &error) : sim_.WriteImageSRecord(w[1], &error);
    return ok ? "image written to " + w[1] + "\n" : error + "\n";
  }
  if (cmd == "stats") {
    const Counters c = sim_.Stats();
    std::size_t fates[8] = {};
    for (const EchoRecord& r : sim_.Echoes()) ++fates[static_cast<int>(r.fate)];
    std::ostringstream text;
    text << "messages in " << c.messagesReceived << ", test packets " << c.testPackets
         << ", echoes " << c.echoesSent << ", reports " << c.reportsSent << ", PASSIVE sent "
         << c.passiveSent << " echoed " << c.passiveEchoes << "\nbytes in " << c.bytesIn << ", out "
         << c.bytesOut << ", dropped " << c.bytesDropped << ", garbled " << c.garbledBytes
         << ", opens " << c.opens << "\nrecorded packets:";
    for (int f = 0; f < 8; ++f) {
      if (fates[f] != 0) text << " " << FateName(static_cast<EchoFate>(f)) << " " << fates[f];
    }
    text << "\n";
    return text.str();
  }
  return "unknown command \"" + cmd + "\" (type help)\n";
}

}  // namespace tessaro::sim
