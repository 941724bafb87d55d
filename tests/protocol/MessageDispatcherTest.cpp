#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "protocol/MessageDispatcher.h"
#include "support/Recorders.h"

namespace tessaro {
namespace {

class RecordingLinkTest : public LinkTestEntries {
 public:
  void AccountDataMessage(const char* m, std::size_t n) override {
    calls.push_back("DT " + std::string(m, n));
  }
  void AccountOkReport(int t) override { calls.push_back("OK " + std::to_string(t)); }
  void AccountNgReport(int t) override { calls.push_back("NG " + std::to_string(t)); }
  void SendTestPacket(int t) override { calls.push_back("SEND " + std::to_string(t)); }
  std::vector<std::string> calls;
};

class DispatcherTest : public ::testing::Test {
 protected:
  DispatcherTest() { registry.Reset(); }

  void Dispatch(const char* m) { dispatcher.Dispatch(m, std::strlen(m)); }

  StationRegistry registry;
  PortSettings settings;
  LinkTestRecord test;
  TestCriteria criteria;
  CommandBuffer commands;
  testing::RecordingPort port;
  testing::RecordingDisplay display;
  RecordingLinkTest linkTest;
  MessageDispatcher dispatcher{
      DispatchContext{registry, settings, test, criteria, commands, port, display, linkTest}};
};

TEST_F(DispatcherTest, BaseListSendsTheQueryBurstInOrder) {
  settings.baudIndex = 4;
  Dispatch("@BS01110311\r");
  EXPECT_TRUE(registry.IsBasePresent(1));
  EXPECT_TRUE(registry.IsBasePresent(3));
  const std::string expected =
      "@CH010\r@GP010\r@ME010\r@PW010\r@TO0100\r"
      "@CH030\r@GP030\r@ME030\r@PW030\r@TO0300\r";
  EXPECT_EQ(port.All(), expected);
  EXPECT_EQ(port.All().size(), 72u);
  EXPECT_EQ(registry.properties[1].baudIndex, 4);
  EXPECT_EQ(registry.properties[3].baudIndex, 4);
  EXPECT_EQ(display.panes[0], "@BS01110311\r");
  EXPECT_GE(display.topologyInvalidations, 1);
}

TEST_F(DispatcherTest, EmptyBaseListClearsPresenceAndSendsNothing) {
  Dispatch("@BS0111\r");
  port.writes.clear();
  Dispatch("@BS\r");
  EXPECT_FALSE(registry.IsBasePresent(1));
  EXPECT_TRUE(port.writes.empty());
}

TEST_F(DispatcherTest, ChangeIdMovesBaseAndQueriesEveryPresentBase) {
  Dispatch("@BS0111\r");
  port.writes.clear();
  Dispatch("@ID0102\r");
  EXPECT_FALSE(registry.IsBasePresent(1));
  EXPECT_TRUE(registry.IsBasePresent(2));
  EXPECT_EQ(port.All(), "@CH020\r@GP020\r@ME020\r@PW020\r@TO0200\r");
}

TEST_F(DispatcherTest, PropertyRepliesStoreAndRedrawBaseCells) {
  Dispatch("@CH0104\r");
  Dispatch("@GP0102\r");
  Dispatch("@PW0105\r");
  Dispatch("@ME0103\r");
  EXPECT_EQ(registry.properties[1].channel, '4');
  EXPECT_EQ(registry.properties[1].group, '2');
  EXPECT_EQ(registry.properties[1].power, '5');
  EXPECT_EQ(registry.properties[1].mode, '3');
  const std::vector<testing::CellCall> expected = {
      {'B', 0, 1, "CH:4", 0}, {'B', 14, 1, "GP:2", 0}, {'B', 28, 1, "PW:5", 0}};
  EXPECT_EQ(display.cells, expected);
}

TEST_F(DispatcherTest, TimeoutReplySetsTestTimeoutUnlessTheBaseIsASlave) {
  Dispatch("@TO010007\r");
  EXPECT_EQ(registry.properties[1].timeout, 7);
  EXPECT_EQ(criteria.timeoutSeconds, 7);
  Dispatch("@ME0202\r");
  Dispatch("@TO020009\r");
  EXPECT_EQ(registry.properties[2].timeout, 9);
  EXPECT_EQ(criteria.timeoutSeconds, 7);
}

TEST_F(DispatcherTest, TerminalQueryGoesToEveryPresentBase) {
  Dispatch("@BS01110311\r");
  port.writes.clear();
  Dispatch("@TM00\r");
  EXPECT_EQ(port.All(), "@TM01\r@TM03\r");
}

TEST_F(DispatcherTest, TerminalListStartsNewTerminalsOfARunningActiveTest) {
  test.testRun = TestRun::Running;
  test.stats.started[9] = 1;
  Dispatch("@TM020509\r");
  EXPECT_TRUE(registry.IsTerminalPresent(2, 5));
  EXPECT_TRUE(registry.IsTerminalPresent(2, 9));
  EXPECT_EQ(linkTest.calls, (std::vector<std::string>{"SEND 5"}));
  EXPECT_EQ(test.stats.started[5], 1);

  linkTest.calls.clear();
  test.linkMode = kPassive;
  Dispatch("@TM030708\r");
  EXPECT_TRUE(linkTest.calls.empty());
}

TEST_F(DispatcherTest, SpeedReplyShowsThePortLineInPaneTwo) {
  Dispatch("@SP,1\r");
  EXPECT_EQ(display.panes[2], "COM1: 115200 bps, None");
  settings.portIndex = 2;
  settings.baudIndex = 4;
  settings.flowIndex = 2;
  Dispatch("@SPxx,3\r");
  EXPECT_EQ(display.panes[2], "COM3: 9600 bps, Xon/Xoff");
}

TEST_F(DispatcherTest, ReportsAndDataGoToTheLinkTest) {
  Dispatch("@DT01050001\r");
  Dispatch("@OK05\r");
  Dispatch("@NG99\r");
  Dispatch("@WT07\r");
  EXPECT_EQ(linkTest.calls, (std::vector<std::string>{"DT @DT01050001\r", "OK 5", "NG 99"}));
  EXPECT_EQ(test.stats.state[7], ReplyState::kHeld);
  EXPECT_EQ(display.panes[1], "@DT01050001\r");
  EXPECT_EQ(display.panes[0], "@WT07\r");
}

TEST_F(DispatcherTest, UnknownAndMalformedMessagesAreOnlyShown) {
  const char* messages[] = {"@QZ\r",     "@BX0111\r",      "@ZZ\r",       "@CH1704\r", "@CH004\r",
                            "@CHx104\r", "@CH01\r",        "@TO01000x\r", "@TO0100\r", "@OK00\r",
                            "@NGa1\r",   "@OK\r",          "@WT\r",       "@ID0117\r", "@ID01\r",
                            "@TM17\r",   "@ER anything\r", "@\r",         "@a\r",      "@TX\r"};
  for (const char* m : messages) {
    display.panes[0].clear();
    Dispatch(m);
    EXPECT_EQ(display.panes[0], m);
  }
  EXPECT_TRUE(port.writes.empty());
  EXPECT_TRUE(linkTest.calls.empty());
  EXPECT_TRUE(display.cells.empty());
  EXPECT_EQ(criteria.timeoutSeconds, 2);
  for (int b = 1; b <= kMaxBase; ++b) EXPECT_FALSE(registry.IsBasePresent(b));
}

TEST_F(DispatcherTest, EveryMessageRestartsThePollCountdown) {
  registry.pollCountdown = 0;
  Dispatch("@QZ\r");
  EXPECT_EQ(registry.pollCountdown, 2);
}

}  // namespace
}  // namespace tessaro
