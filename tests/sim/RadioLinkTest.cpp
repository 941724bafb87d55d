// Test packets relayed to terminals, the faults of the radio link, and the
// terminals' own traffic for PASSIVE mode.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "tests/sim/SimFixture.h"

namespace tessaro::sim::testing {
namespace {

// The PC's test packet with data length 15: "@DT" tt ssss "0123456789" "\r".
std::string Packet(int terminal, int sequence) {
  char text[32];
  std::snprintf(text, sizeof text, "@DT%02d%04d0123456789\r", terminal, sequence);
  return text;
}

// Its echo through base b.
std::string Echo(int base, int terminal, int sequence) {
  char text[32];
  std::snprintf(text, sizeof text, "@DT%02d%02d%04d0123456789\r", base, terminal, sequence);
  return text;
}

class RadioLink : public SimTest {};

TEST_F(RadioLink, APacketIsReportedAtOnceAndEchoedThroughTheTerminalsBase) {
  Scenario s = QuickScenario();
  s.delay = {40, 40};
  StartWith(s);
  pc.Send(Packet(8, 1));
  EXPECT_EQ(pc.ReadMessage(), "@OK08\r");
  EXPECT_EQ(pc.ReadMessage(), Echo(2, 8, 1));
  const auto records = sim->Echoes(8);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].base, 2);
  EXPECT_EQ(records[0].sequence, 1);
  EXPECT_EQ(records[0].delayMs, 40);
  EXPECT_EQ(records[0].report, Report::kOk);
  EXPECT_EQ(records[0].fate, EchoFate::kEchoed);
}

TEST_F(RadioLink, PacketsWithoutPayloadAndOfTheLongestLengthAreEchoedWhole) {
  StartWith(QuickScenario());
  pc.Send("@DT010001\r");
  EXPECT_EQ(pc.ReadMessages(2), (std::vector<std::string>{"@OK01\r", "@DT01010001\r"}));
  std::string payload;
  for (int i = 0; i < 295; ++i) payload += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[i % 36];
  pc.Send("@DT150002" + payload + "\r");
  EXPECT_EQ(pc.ReadMessages(2),
            (std::vector<std::string>{"@OK15\r", "@DT05150002" + payload + "\r"}));
}

TEST_F(RadioLink, AnAbsentTerminalIsReportedNg) {
  StartWith(QuickScenario());
  pc.Send(Packet(42, 7));
  EXPECT_EQ(pc.ReadMessage(), "@NG42\r");
  EXPECT_TRUE(pc.Quiet(100ms));
  EXPECT_EQ(sim->Echoes(42).at(0).fate, EchoFate::kAbsent);
  pc.Send("@DT00\r");
  EXPECT_EQ(pc.ReadMessage(), "@ERDT\r");
}

TEST_F(RadioLink, ALostEchoStillFollowsTheReport) {
  Scenario s = QuickScenario();
  s.faults.echoLoss = 1.0;
  StartWith(s);
  pc.Send(Packet(1, 1));
  EXPECT_EQ(pc.ReadMessage(), "@OK01\r");
  EXPECT_TRUE(pc.Quiet(100ms));
  EXPECT_EQ(sim->Echoes(1).at(0).fate, EchoFate::kLost);
}

TEST_F(RadioLink, BurstsKeepEachTerminalsLinkBadOrGoodFromPacketToPacket) {
  Scenario s = QuickScenario();
  s.burst = {1.0, 1.0, 0.0, 1.0};  // bad, good, bad, ... and lost while bad
  StartWith(s);
  for (int seq = 1; seq <= 4; ++seq) {
    pc.Send(Packet(1, seq));
    EXPECT_EQ(pc.ReadMessage(), "@OK01\r");
    if (seq % 2 == 0) {
      EXPECT_EQ(pc.ReadMessage(), Echo(1, 1, seq));
    }
  }
  pc.Send(Packet(2, 1));  // terminal 2's link has a state of its own
  EXPECT_EQ(pc.ReadMessage(), "@OK02\r");
  EXPECT_TRUE(pc.Quiet(100ms));
  std::vector<EchoFate> fates;
  for (const EchoRecord& r : sim->Echoes()) fates.push_back(r.fate);
  EXPECT_EQ(fates, (std::vector<EchoFate>{EchoFate::kLost, EchoFate::kEchoed, EchoFate::kLost,
                                          EchoFate::kEchoed, EchoFate::kLost}));
}

TEST_F(RadioLink, SilentLossSendsNeitherReportNorEcho) {
  Scenario s = QuickScenario();
  s.faults.silentLoss = 1.0;
  StartWith(s);
  pc.Send(Packet(2, 1));
  EXPECT_TRUE(pc.Quiet(100ms));
  const auto records = sim->Echoes(2);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].fate, EchoFate::kSilent);
  EXPECT_EQ(records[0].report, Report::kNone);
}

TEST_F(RadioLink, NgReportsMeanNoEchoAndWtReportsStillEcho) {
  Scenario s = QuickScenario();
  s.faults.ngRate = 1.0;
  StartWith(s);
  pc.Send(Packet(3, 1));
  EXPECT_EQ(pc.ReadMessage(), "@NG03\r");
  EXPECT_TRUE(pc.Quiet(100ms));
  LinkFaults f;
  f.wtRate = 1.0;
  sim->SetFaults(f);
  pc.Send(Packet(3, 2));
  EXPECT_EQ(pc.ReadMessages(2), (std::vector<std::string>{"@WT03\r", Echo(1, 3, 2)}));
  const auto records = sim->Echoes(3);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].fate, EchoFate::kRefused);
  EXPECT_EQ(records[1].report, Report::kWait);
}

TEST_F(RadioLink, ACorruptedEchoDiffersInOneDataCharacterOnly) {
  Scenario s = QuickScenario();
  s.faults.echoCorruption = 1.0;
  StartWith(s);
  for (int seq = 1; seq <= 20; ++seq) {
    pc.Send(Packet(4, seq));
    ASSERT_EQ(pc.ReadMessage(), "@OK04\r");
    const std::string echo = pc.ReadMessage();
    const std::string good = Echo(1, 4, seq);
    ASSERT_EQ(echo.size(), good.size());
    int differences = 0;
    for (std::size_t i = 0; i < good.size(); ++i) differences += echo[i] != good[i] ? 1 : 0;
    EXPECT_EQ(differences, 1) << echo;
    EXPECT_EQ(echo.substr(0, 7), good.substr(0, 7));  // code, base and terminal intact
  }
}

TEST_F(RadioLink, ADuplicatedEchoComesTwice) {
  Scenario s = QuickScenario();
  s.faults.echoDuplicate = 1.0;
  StartWith(s);
  pc.Send(Packet(7, 9));
  EXPECT_EQ(pc.ReadMessages(3),
            (std::vector<std::string>{"@OK07\r", Echo(2, 7, 9), Echo(2, 7, 9)}));
  EXPECT_EQ(sim->Echoes(7).at(0).fate, EchoFate::kDuplicated);
}

TEST_F(RadioLink, DelaysFromARangeStayInsideItAndAreRecordedPerPacket) {
  Scenario s = QuickScenario();
  s.delay = {0, 30};
  StartWith(s);
  for (int seq = 1; seq <= 30; ++seq) {
    pc.Send(Packet(11, seq));
    ASSERT_EQ(pc.ReadMessages(2).size(), 2u);
  }
  const auto records = sim->Echoes(11);
  ASSERT_EQ(records.size(), 30u);
  int distinct = 0;
  std::map<int, int> seen;
  for (const EchoRecord& r : records) {
    EXPECT_GE(r.delayMs, 0);
    EXPECT_LE(r.delayMs, 30);
    if (seen[r.delayMs]++ == 0) ++distinct;
  }
  EXPECT_GT(distinct, 3);
}

TEST_F(RadioLink, EchoesAreHeldBackForTheirDelay) {
  // Ordering, not timing: a long delay's echo comes after a short one's.
  Scenario s = QuickScenario();
  s.delay = {300, 300};
  StartWith(s);
  pc.Send(Packet(1, 1));
  EXPECT_EQ(pc.ReadMessage(), "@OK01\r");
  sim->SetDelay({0, 0});
  pc.Send(Packet(2, 1));
  EXPECT_EQ(pc.ReadMessages(3),
            (std::vector<std::string>{"@OK02\r", Echo(1, 2, 1), Echo(1, 1, 1)}));
}

TEST_F(RadioLink, TheSameSeedMakesTheSameChoices) {
  Scenario s = QuickScenario();
  s.seed = 77;
  s.delay = {0, 20};
  s.faults = {0.2, 0.2, 0.2, 0.1, 0.1, 0.0};
  const auto run = [&] {
    StartWith(s);
    for (int seq = 1; seq <= 40; ++seq) {
      pc.Send(Packet(1, seq));
      sim->WaitUntil([&] { return sim->Echoes().size() == static_cast<std::size_t>(seq); }, 5s);
    }
    std::vector<std::pair<int, int>> choices;
    for (const EchoRecord& r : sim->Echoes())
      choices.emplace_back(static_cast<int>(r.fate) * 1000 + static_cast<int>(r.report), r.delayMs);
    TearDown();
    return choices;
  };
  const auto first = run();
  const auto second = run();
  EXPECT_EQ(first, second);
  s.seed = 78;
  EXPECT_NE(run(), first);
}

TEST_F(RadioLink, PassiveTrafficIsEchoedAndReported) {
  Scenario s = QuickScenario();
  s.passive.ratePerTerminal = 5.0;
  s.delay = {10, 10};
  StartWith(s);
  int reports = 0;
  for (int i = 0; i < 5; ++i) {
    std::string m = pc.ReadMessage();
    while (m.rfind("@OK", 0) == 0) {
      ++reports;
      m = pc.ReadMessage();
    }
    ASSERT_EQ(m.substr(0, 3), "@DT");
    ASSERT_GE(m.size(), 11u);
    const int base = std::stoi(m.substr(3, 2));
    const int terminal = std::stoi(m.substr(5, 2));
    EXPECT_EQ(sim->Snapshot().bases.size(), 3u);
    EXPECT_TRUE(base == 1 || base == 2 || base == 5);
    EXPECT_EQ(m.substr(11), "0123456789\r");
    // The PC's echo: the message with the base number taken out.
    pc.Send("@DT" + m.substr(5));
    ASSERT_TRUE(sim->WaitUntil(
        [&] {
          for (const PassiveRecord& r : sim->Passive()) {
            if (r.terminal == terminal && r.echoed) return true;
          }
          return false;
        },
        5s));
  }
  sim->SetPassive({0.0, 15});
  ASSERT_TRUE(sim->WaitUntil([&] { return sim->Stats().reportsSent >= 5; }, 5s));
  while (reports < 5) {
    const std::string m = pc.ReadMessage();
    ASSERT_FALSE(m.empty());
    if (m.rfind("@OK", 0) == 0) ++reports;
  }
  int echoed = 0;
  for (const PassiveRecord& r : sim->Passive()) {
    if (!r.echoed) continue;
    ++echoed;
    EXPECT_TRUE(r.intact);
    EXPECT_EQ(r.report, Report::kOk);
    EXPECT_EQ(r.delayMs, 10);
  }
  EXPECT_EQ(echoed, 5);
  EXPECT_EQ(sim->PassiveEchoesReceived().size(), 5u);
  EXPECT_EQ(sim->Stats().testPackets, 0u);  // echoes are not taken for test packets
}

TEST_F(RadioLink, TestPacketsAfterPassiveTrafficOfTheSameLengthAreEchoed) {
  Scenario s = QuickScenario();
  s.passive.ratePerTerminal = 50.0;
  StartWith(s);
  // PASSIVE: the PC echoes the terminals' messages, all but the last one.
  std::vector<std::string> echoed;
  std::string unanswered;
  while (unanswered.empty()) {
    const std::string m = pc.ReadMessage();
    ASSERT_FALSE(m.empty());
    if (m.rfind("@DT", 0) != 0) continue;  // a report on an earlier echo
    if (echoed.size() == 6) {
      unanswered = m;
      break;
    }
    echoed.push_back("@DT" + m.substr(5));
    pc.Send(echoed.back());
  }
  sim->SetPassive({0.0, 15});
  ASSERT_TRUE(sim->WaitUntil([&] { return sim->Stats().reportsSent >= 6; }, 5s));
  while (!pc.Quiet(50ms)) {
  }
  pc.Buffer().clear();

  // ACTIVE with the same data length: the packets have the very bytes of the
  // echoes above (both count from sequence 0001), or the length and
  // terminal of a message still awaiting its echo.
  std::vector<std::string> packets = echoed;
  packets.push_back(Packet(std::stoi(unanswered.substr(5, 2)), 9000));
  for (const std::string& packet : packets) {
    pc.Send(packet);
    const int t = std::stoi(packet.substr(3, 2));
    const std::vector<std::string> answer = pc.ReadMessages(2);
    ASSERT_EQ(answer.size(), 2u) << packet;
    EXPECT_EQ(answer[0], "@OK" + packet.substr(3, 2) + "\r");
    EXPECT_EQ(answer[1].substr(0, 3) + answer[1].substr(5), packet) << answer[1];
    EXPECT_EQ(std::stoi(answer[1].substr(3, 2)), sim->Echoes(t).back().base);
  }
  EXPECT_EQ(sim->Stats().testPackets, packets.size());
}

TEST_F(RadioLink, APassiveEchoWithChangedDataIsRecordedAsNotIntact) {
  Scenario s = QuickScenario();
  s.passive.ratePerTerminal = 50.0;
  s.faults.ngRate = 1.0;  // the base reports NG on the echo
  StartWith(s);
  const std::string m = pc.ReadMessage();
  ASSERT_EQ(m.substr(0, 3), "@DT");
  // Echoed at once, as the PC does: a terminal waits a limited time for it.
  std::string echo = "@DT" + m.substr(5);
  echo[echo.size() - 2] = 'X';
  pc.Send(echo);
  sim->SetPassive({0.0, 15});
  ASSERT_TRUE(sim->WaitUntil([&] { return sim->Stats().passiveEchoes >= 1; }, 5s));
  bool found = false;
  for (const PassiveRecord& r : sim->Passive()) {
    if (!r.echoed) continue;
    found = true;
    EXPECT_FALSE(r.intact);
    EXPECT_EQ(r.report, Report::kNg);
  }
  EXPECT_TRUE(found);
}

TEST_F(RadioLink, InjectedNoiseAndTheLoneOneArriveBetweenMessages) {
  StartWith(QuickScenario());
  sim->InjectNoise(32);
  sim->InjectSixChannelOne();
  EXPECT_EQ(Ask("@BS\r"), "@BS011102120523\r");
  const std::string stray = pc.Stray();
  ASSERT_EQ(stray.size(), 33u);
  EXPECT_EQ(stray.back(), '1');
  EXPECT_EQ(stray.substr(0, 32).find_first_of("@\r1"), std::string::npos);
}

TEST_F(RadioLink, NoiseAtARateNeverBreaksAMessage) {
  Scenario s = QuickScenario();
  s.line.noisePerSecond = 200.0;
  StartWith(s);
  for (int i = 0; i < 50; ++i) ASSERT_EQ(Ask("@TM02\r"), "@TM020708\r");
  EXPECT_TRUE(sim->WaitUntil([&] { return sim->Stats().bytesOut > std::uint64_t{50} * 10; }, 5s));
}

}  // namespace
}  // namespace tessaro::sim::testing
