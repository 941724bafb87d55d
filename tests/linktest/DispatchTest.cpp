// The link test behind the real dispatcher: inbound messages reach the right
// entries and terminal lists start new terminals during a run.

#include <cstring>
#include <string>
#include <vector>

#include "linktest/LinkTestFixture.h"
#include "protocol/MessageDispatcher.h"

namespace tessaro::testing {
namespace {

class DispatchTest : public LinkTestFixture {
 protected:
  void Dispatch(const char* m) { dispatcher.Dispatch(m, std::strlen(m)); }

  PortSettings settings;
  CommandBuffer commands;
  MessageDispatcher dispatcher{
      DispatchContext{registry, settings, test, criteria, commands, port, display, linkTest}};
};

TEST_F(DispatchTest, ActiveExchangeFromListToTimeOut) {
  Dispatch("@BS0111\r");
  Dispatch("@TM0105\r");
  TakeWrites();
  linkTest.ToggleTestRun();
  EXPECT_EQ(TakeWrites(), std::vector<std::string>{Packet(5, 1)});

  // A terminal that joins during the run gets its first packet once.
  Dispatch("@TM010509\r");
  EXPECT_EQ(TakeWrites(), std::vector<std::string>{Packet(9, 1)});
  Dispatch("@TM010509\r");
  EXPECT_TRUE(port.writes.empty());

  Dispatch("@OK05\r");
  clock.Advance(25);
  Dispatch(Echo(1, 5, 1).c_str());
  EXPECT_EQ(Stats().okDpCount[5], 1);
  EXPECT_EQ(Stats().replyTime[5], 25);
  EXPECT_EQ(TakeWrites(), std::vector<std::string>{Packet(5, 2)});
  EXPECT_EQ(display.panes[1], Echo(1, 5, 1));

  Dispatch("@WT09\r");
  EXPECT_EQ(Stats().state[9], ReplyState::kHeld);
  clock.Advance(2300);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[9], 1);
  EXPECT_EQ(Stats().ngCount[5], 0);  // no report on its second packet yet
  EXPECT_EQ(TakeWrites(), std::vector<std::string>{Packet(9, 2)});
}

TEST_F(DispatchTest, TimeOutReplyChangesTheNextSupervision) {
  Dispatch("@BS0111\r");
  Dispatch("@TM0105\r");
  linkTest.ToggleTestRun();
  Dispatch("@OK05\r");
  Dispatch("@TO010005\r");  // 5 s: lost only after 5500 ms
  clock.Advance(5000);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 0);
  clock.Advance(501);
  linkTest.SuperviseTick();
  EXPECT_EQ(Stats().ngCount[5], 1);
}

TEST_F(DispatchTest, PassiveExchange) {
  Dispatch("@BS0111\r");
  Dispatch("@TM0105\r");
  linkTest.ToggleLinkMode();
  TakeWrites();
  Dispatch("@DT0105DATA\r");
  EXPECT_EQ(TakeWrites(), std::vector<std::string>{"@DT05DATA\r"});
  clock.Advance(60);
  Dispatch("@OK05\r");
  EXPECT_EQ(Stats().average[5], 60);
  Dispatch("@DT0105DATA\r");
  Dispatch("@NG05\r");
  EXPECT_EQ(Stats().okDpCount[5], 1);
  EXPECT_EQ(Stats().ngCount[5], 1);
  EXPECT_EQ(Stats().state[5], ReplyState::kIdle);
}

}  // namespace
}  // namespace tessaro::testing
