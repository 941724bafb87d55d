// The attached base's answers to the PC's commands, over a real pty.

#include <gtest/gtest.h>

#include "tests/sim/SimFixture.h"

namespace tessaro::sim::testing {
namespace {

class BaseAnswers : public SimTest {
 protected:
  void SetUp() override { StartWith(QuickScenario()); }
};

TEST_F(BaseAnswers, BaseListNamesEveryBaseWithGroupAndChannel) {
  EXPECT_EQ(Ask("@BS\r"), "@BS011102120523\r");
  EXPECT_EQ(sim->Received(), std::vector<std::string>{"@BS\r"});
}

TEST_F(BaseAnswers, PropertyQueriesAnswerWithTheValueAtPositionSix) {
  EXPECT_EQ(Ask("@CH050\r"), "@CH0503\r");
  EXPECT_EQ(Ask("@GP050\r"), "@GP0502\r");
  EXPECT_EQ(Ask("@PW010\r"), "@PW0105\r");
  EXPECT_EQ(Ask("@ME020\r"), "@ME0202\r");
  EXPECT_EQ(Ask("@TO0100\r"), "@TO010002\r");
}

TEST_F(BaseAnswers, PropertySetsChangeTheModelAndAnswerTheNewValue) {
  EXPECT_EQ(Ask("@CH024\r"), "@CH0204\r");
  EXPECT_EQ(Ask("@GP023\r"), "@GP0203\r");
  EXPECT_EQ(Ask("@PW021\r"), "@PW0201\r");
  EXPECT_EQ(Ask("@ME021\r"), "@ME0201\r");
  EXPECT_EQ(Ask("@TO0245\r"), "@TO020045\r");
  EXPECT_EQ(Ask("@CH020\r"), "@CH0204\r");
  EXPECT_EQ(Ask("@BS\r"), "@BS011102340523\r");
  const Scenario s = sim->Snapshot();
  ASSERT_EQ(s.bases.size(), 3u);
  EXPECT_EQ(s.bases[1].power, '1');
  EXPECT_EQ(s.bases[1].mode, '1');
  EXPECT_EQ(s.bases[1].timeoutSeconds, 45);
}

TEST_F(BaseAnswers, OutOfRangeValuesAndAbsentBasesAreErrors) {
  EXPECT_EQ(Ask("@CH015\r"), "@ERCH\r");  // channel 5 needs six-channel mode
  EXPECT_EQ(Ask("@GP014\r"), "@ERGP\r");
  EXPECT_EQ(Ask("@PW016\r"), "@ERPW\r");
  EXPECT_EQ(Ask("@ME014\r"), "@ERME\r");
  EXPECT_EQ(Ask("@CH090\r"), "@ERCH\r");
  EXPECT_EQ(Ask("@TO09\r"), "@ERTO\r");
  EXPECT_EQ(Ask("@TO01x1\r"), "@ERTO\r");
  EXPECT_EQ(Ask("@TM07\r"), "@ERTM\r");
  EXPECT_EQ(Ask("@UP03\r"), "@ERUP\r");
  EXPECT_EQ(Ask("@CH0\r"), "@ERCH\r");
  EXPECT_EQ(Ask("@BS\r"), "@BS011102120523\r");  // nothing changed
}

TEST_F(BaseAnswers, UnknownCodesAreErrorsAndAtAnnouncesTheTerminalLists) {
  EXPECT_EQ(Ask("@QZ\r"), "@ERQZ\r");
  EXPECT_EQ(Ask("@ok\r"), "@ER??\r");
  EXPECT_EQ(Ask("@AT\r"), "@TM00\r");
  EXPECT_TRUE(pc.Quiet(100ms));
  EXPECT_EQ(Ask("@BS\r").substr(0, 3), "@BS");
}

TEST_F(BaseAnswers, StrayBytesAndAnOverlongMessageDoNotConfuseTheNextCommand) {
  pc.Send("xx1\n\r");
  pc.Send("@" + std::string(400, 'A') + "\r");
  EXPECT_EQ(pc.ReadMessage(), "@ERAA\r");
  EXPECT_EQ(Ask("@CH@BS\r"), "@BS011102120523\r");  // an "@" starts a new message
}

TEST_F(BaseAnswers, RenumberingMovesTheBaseWithItsTerminals) {
  EXPECT_EQ(Ask("@ID0509\r"), "@ID0509\r");
  EXPECT_EQ(Ask("@TM09\r"), "@TM09111215\r");
  EXPECT_EQ(Ask("@ID0902\r"), "@ERID\r");    // taken
  EXPECT_EQ(Ask("@ID0117\r"), "@ERID\r");    // out of range
  EXPECT_EQ(Ask("@ID0103\r"), "@ID0103\r");  // the attached base may move too
  EXPECT_EQ(Ask("@BS\r"), "@BS021203110923\r");
  EXPECT_EQ(Ask("@CH030\r"), "@CH0301\r");
}

TEST_F(BaseAnswers, TerminalListsPerBaseAndForAll) {
  EXPECT_EQ(Ask("@TM01\r"), "@TM0101020304\r");
  EXPECT_EQ(Ask("@TM02\r"), "@TM020708\r");
  pc.Send("@TM00\r");
  EXPECT_EQ(pc.ReadMessages(3),
            (std::vector<std::string>{"@TM0101020304\r", "@TM020708\r", "@TM05111215\r"}));
}

TEST_F(BaseAnswers, JoiningAndLeavingTerminalsAreAnnouncedWithTm00) {
  ASSERT_TRUE(sim->AddTerminal(2, 9));
  EXPECT_EQ(pc.ReadMessage(), "@TM00\r");
  EXPECT_EQ(Ask("@TM02\r"), "@TM02070809\r");
  ASSERT_TRUE(sim->RemoveTerminal(7));
  EXPECT_EQ(pc.ReadMessage(), "@TM00\r");
  EXPECT_EQ(Ask("@TM02\r"), "@TM020809\r");
  EXPECT_FALSE(sim->AddTerminal(3, 10));  // no base 3
  EXPECT_FALSE(sim->RemoveTerminal(50));
  EXPECT_FALSE(sim->AddTerminal(1, 100));
  EXPECT_TRUE(pc.Quiet(50ms));
}

TEST_F(BaseAnswers, MovingABaseFromTheConsoleIsAnnouncedWithId) {
  ASSERT_TRUE(sim->MoveBase(2, 4));
  EXPECT_EQ(pc.ReadMessage(), "@ID0204\r");
  EXPECT_FALSE(sim->MoveBase(2, 6));
  EXPECT_FALSE(sim->MoveBase(4, 5));
}

TEST_F(BaseAnswers, SixChannelModeSendsTheLoneOneBeforeTheBaseListAndTakesChannelSix) {
  sim->SetSixChannel(true);
  pc.Send("@BS\r");
  EXPECT_EQ(pc.ReadMessage(), "@BS011102120523\r");
  EXPECT_EQ(pc.Stray(), "1");
  EXPECT_EQ(Ask("@CH016\r"), "@CH0106\r");
}

// The base answers "@SP" at the old speed, then listens at the new one: a PC
// still at the old speed sees only garbage until it follows.
TEST_F(BaseAnswers, SpeedChangeAnswersThenTakesTheNewSpeed) {
  EXPECT_EQ(Ask("@SP9600\r"), "@SP9600,5\r");
  EXPECT_EQ(sim->BaseSpeed(), 9600);
  pc.Send("@BS\r");
  const std::string garbage = pc.Collect(300ms);
  EXPECT_FALSE(garbage.empty());
  EXPECT_EQ(garbage.find('@'), std::string::npos);
  EXPECT_EQ(garbage.find('\r'), std::string::npos);
  EXPECT_GT(sim->Stats().garbledBytes, 0u);

  // The PC follows, as after its close, wait and reopen.
  const std::string path = sim->SlavePath();
  pc.Close();
  ASSERT_TRUE(sim->WaitUntil([this] { return !sim->LineHeld(); }, 5s));
  ASSERT_TRUE(pc.Open(path, 9600));
  EXPECT_EQ(sim->LineSpeed(), 9600);
  EXPECT_EQ(Ask("@BS\r"), "@BS011102120523\r");
  EXPECT_EQ(Ask("@SP1234\r"), "@ERSP\r");
  EXPECT_EQ(Ask("@SP\r"), "@ERSP\r");
  EXPECT_EQ(Ask("@SP115200\r"), "@SP115200,1\r");
}

TEST_F(BaseAnswers, APcAtTheWrongSpeedGetsNothingUnderstandable) {
  ASSERT_TRUE(pc.SetSpeed(19200));
  pc.Send("@BS\r@TM01\r");
  const std::string garbage = pc.Collect(300ms);
  EXPECT_EQ(garbage.find('@'), std::string::npos);
  EXPECT_EQ(sim->ReceivedCount(), 0u);
  ASSERT_TRUE(pc.SetSpeed(115200));
  EXPECT_EQ(Ask("@BS\r"), "@BS011102120523\r");
}

}  // namespace
}  // namespace tessaro::sim::testing
