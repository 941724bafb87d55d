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

// One command line split into words; usage() builds the answer to a command
// given the wrong words.
struct Console::Words {
  std::vector<std::string> w;
  std::size_t n = 0;
  const std::string& cmd() const { return w[0]; }
  std::string usage(const char* form) const { return "usage: " + w[0] + " " + form + "\n"; }
};

std::string Console::Execute(const std::string& line) {
  std::istringstream in(line);
  Words words;
  for (std::string word; in >> word;) words.w.push_back(word);
  if (words.w.empty()) return {};
  words.n = words.w.size();
  const std::string& cmd = words.cmd();

  if (cmd == "help" || cmd == "?") return kHelp;
  if (cmd == "quit" || cmd == "exit") {
    quit_ = true;
    return {};
  }
  if (cmd == "show" || cmd == "print") return sim_.Describe();
  std::string answer;
  if (NetworkCommand(words, answer) || LinkCommand(words, answer) || LineCommand(words, answer) ||
      ReportCommand(words, answer)) {
    return answer;
  }
  return "unknown command \"" + cmd + "\" (type help)\n";
}

// add, remove, move, base: the bases and terminals.
bool Console::NetworkCommand(const Words& words, std::string& answer) {
  const std::vector<std::string>& w = words.w;
  const std::size_t n = words.n;
  const std::string& cmd = words.cmd();
  if (cmd == "add") {
    int base = 0;
    int terminal = 0;
    if (n != 3 || !ParseInt(w[1], 1, 16, base) || !ParseInt(w[2], 1, 99, terminal)) {
      answer = words.usage("BASE(1..16) TERMINAL(1..99)");
    } else if (!sim_.AddTerminal(base, terminal)) {
      answer = "base " + w[1] + " is not in the network\n";
    } else {
      answer = "terminal " + w[2] + " is with base " + w[1] + "\n";
    }
    return true;
  }
  if (cmd == "remove") {
    int terminal = 0;
    if (n != 2 || !ParseInt(w[1], 1, 99, terminal)) {
      answer = words.usage("TERMINAL(1..99)");
    } else if (!sim_.RemoveTerminal(terminal)) {
      answer = "no base lists terminal " + w[1] + "\n";
    } else {
      answer = "terminal " + w[1] + " has left\n";
    }
    return true;
  }
  if (cmd == "move") {
    int from = 0;
    int to = 0;
    if (n != 3 || !ParseInt(w[1], 1, 16, from) || !ParseInt(w[2], 1, 16, to)) {
      answer = words.usage("FROM(1..16) TO(1..16)");
    } else if (!sim_.MoveBase(from, to)) {
      answer = "base " + w[1] + " is absent or " + w[2] + " is taken\n";
    } else {
      answer = "base " + w[1] + " is now base " + w[2] + "\n";
    }
    return true;
  }
  if (cmd == "base") {
    answer = BaseCommand(words);
    return true;
  }
  return false;
}

std::string Console::BaseCommand(const Words& words) {
  const std::vector<std::string>& w = words.w;
  const std::size_t n = words.n;
  int number = 0;
  if (n >= 3 && w[1] == "add" && ParseInt(w[2], 1, 16, number)) {
    BaseSetup setup;
    setup.number = number;
    char* values[] = {&setup.channel, &setup.group, &setup.power, &setup.mode};
    if (n != 3 && n != 7) return words.usage("add N [CHANNEL GROUP POWER MODE]");
    for (std::size_t i = 3; i < n; ++i) {
      if (w[i].size() != 1) return words.usage("add N [CHANNEL GROUP POWER MODE]");
      *values[i - 3] = w[i][0];
    }
    if (!sim_.AddBase(setup)) return "base " + w[2] + " exists or a value is out of range\n";
    return "base " + w[2] + " added\n";
  }
  if (n == 3 && w[1] == "remove" && ParseInt(w[2], 1, 16, number)) {
    if (!sim_.RemoveBase(number)) return "base " + w[2] + " is absent or attached\n";
    return "base " + w[2] + " removed\n";
  }
  return words.usage("add N [CHANNEL GROUP POWER MODE] | remove N");
}

// delay, jitter, burst, the fault rates, passive: the radio link.
bool Console::LinkCommand(const Words& words, std::string& answer) {
  const std::vector<std::string>& w = words.w;
  const std::size_t n = words.n;
  const std::string& cmd = words.cmd();
  if (cmd == "delay" || cmd == "jitter") {
    EchoDelay d = sim_.Snapshot().delay;  // each keeps the other
    const bool ok =
        n == 2 && (cmd == "delay" ? ParseDelay(w[1], d) : ParseInt(w[1], 0, 600000, d.jitterMs));
    if (!ok) {
      answer = words.usage(cmd == "delay" ? "MS | MIN-MAX (0..600000)" : "MS(0..600000)");
      return true;
    }
    sim_.SetDelay(d);
    answer = (cmd == "delay" ? "echo delay " : "delay jitter ") + w[1] + " ms\n";
    return true;
  }
  if (cmd == "burst") {
    BurstLoss b = sim_.Snapshot().burst;
    if (n != 2 || !ParseBurst(w[1], b)) {
      answer = words.usage("ENTER,LEAVE[,GOOD,BAD](0..1) | off");
      return true;
    }
    sim_.SetBurst(b);
    answer = "burst " + w[1] + "\n";
    return true;
  }
  if (cmd == "loss" || cmd == "corrupt" || cmd == "duplicate" || cmd == "ng" || cmd == "wt" ||
      cmd == "silent") {
    double p = 0.0;
    if (n != 2 || !ParseDouble(w[1], 0.0, 1.0, p)) {
      answer = words.usage("P(0..1)");
      return true;
    }
    LinkFaults f = sim_.Snapshot().faults;
    double* target = cmd == "loss"        ? &f.echoLoss
                     : cmd == "corrupt"   ? &f.echoCorruption
                     : cmd == "duplicate" ? &f.echoDuplicate
                     : cmd == "ng"        ? &f.ngRate
                     : cmd == "wt"        ? &f.wtRate
                                          : &f.silentLoss;
    *target = p;
    sim_.SetFaults(f);
    answer = cmd + " " + w[1] + "\n";
    return true;
  }
  if (cmd == "passive") {
    PassiveTraffic p = sim_.Snapshot().passive;
    if ((n != 2 && n != 3) || !ParseDouble(w[1], 0.0, 1000.0, p.ratePerTerminal) ||
        (n == 3 && !ParseInt(w[2], 0, 240, p.dataLength))) {
      answer = words.usage("RATE(0..1000 per second) [LENGTH(0..240)]");
      return true;
    }
    sim_.SetPassive(p);
    answer = "PASSIVE traffic " + w[1] + "/s per terminal\n";
    return true;
  }
  return false;
}

// noise, noise-rate, one, six, pace: the serial line itself.
bool Console::LineCommand(const Words& words, std::string& answer) {
  const std::vector<std::string>& w = words.w;
  const std::size_t n = words.n;
  const std::string& cmd = words.cmd();
  if (cmd == "noise") {
    int bytes = 8;
    if (n > 2 || (n == 2 && !ParseInt(w[1], 1, 64, bytes))) {
      answer = words.usage("[BYTES(1..64)]");
    } else {
      sim_.InjectNoise(bytes);
    }
    return true;
  }
  if (cmd == "noise-rate") {
    double rate = 0.0;
    if (n != 2 || !ParseDouble(w[1], 0.0, 1000.0, rate)) {
      answer = words.usage("RATE(0..1000 per second)");
    } else {
      sim_.SetNoise(rate);
      answer = "noise " + w[1] + "/s\n";
    }
    return true;
  }
  if (cmd == "one") {
    sim_.InjectSixChannelOne();
    return true;
  }
  if (cmd == "six" || cmd == "pace") {
    bool on = false;
    if (n != 2 || !OnOff(w[1], on)) {
      answer = words.usage("on|off");
    } else {
      if (cmd == "six") {
        sim_.SetSixChannel(on);
      } else {
        sim_.SetPacing(on);
      }
      answer = cmd + " " + w[1] + "\n";
    }
    return true;
  }
  return false;
}

// loader, image, stats: what the simulator has seen.
bool Console::ReportCommand(const Words& words, std::string& answer) {
  const std::vector<std::string>& w = words.w;
  const std::string& cmd = words.cmd();
  if (cmd == "loader") {
    answer = LoaderReport();
    return true;
  }
  if (cmd == "image") {
    if (words.n != 2) {
      answer = words.usage("FILE");
      return true;
    }
    std::string error;
    const bool binary = w[1].size() > 4 && w[1].compare(w[1].size() - 4, 4, ".bin") == 0;
    const bool ok =
        binary ? sim_.WriteImageBinary(w[1], &error) : sim_.WriteImageSRecord(w[1], &error);
    answer = ok ? "image written to " + w[1] + "\n" : error + "\n";
    return true;
  }
  if (cmd == "stats") {
    answer = StatsReport();
    return true;
  }
  return false;
}

std::string Console::LoaderReport() {
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

std::string Console::StatsReport() {
  const Counters c = sim_.Stats();
  std::size_t fates[8] = {};
  for (const EchoRecord& r : sim_.Echoes()) ++fates[static_cast<int>(r.fate)];
  std::ostringstream text;
  text << "messages in " << c.messagesReceived << ", test packets " << c.testPackets << ", echoes "
       << c.echoesSent << ", reports " << c.reportsSent << ", PASSIVE sent " << c.passiveSent
       << " echoed " << c.passiveEchoes << "\nbytes in " << c.bytesIn << ", out " << c.bytesOut
       << ", dropped " << c.bytesDropped << ", garbled " << c.garbledBytes << ", opens " << c.opens
       << "\nrecorded packets:";
  for (int f = 0; f < 8; ++f) {
    if (fates[f] != 0) text << " " << FateName(static_cast<EchoFate>(f)) << " " << fates[f];
  }
  text << "\n";
  return text.str();
}

}  // namespace tessaro::sim
