// Scenario files, the command line and the console of tessaro-basesim.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/Console.h"
#include "sim/Options.h"
#include "sim/ScenarioFile.h"
#include "tests/sim/SimFixture.h"

namespace tessaro::sim::testing {
namespace {

std::string WriteTemp(const std::string& name, const std::string& text) {
  std::string path = ::testing::TempDir() + name;
  std::ofstream(path) << text;
  return path;
}

TEST(ScenarioFile, ReadsTheWholeNetworkAndItsFaults) {
  const std::string text = R"({
    // comments are allowed
    "seed": 42,
    "attached": 3,
    "bases": [
      {"number": 3, "channel": 2, "group": "3", "power": 4, "mode": "master",
       "timeout": 5, "baud": 9600, "terminals": [1, 2, 99]},
      {"number": 16, "mode": 2, "terminals": []}
    ],
    "echo": {"delay_ms": [10, 250], "loss": 0.1, "corruption": 0.02, "duplicate": 0.03,
             "ng_rate": 0.04, "wt_rate": 0.05, "silent_loss": 0.06, "jitter_ms": 7,
             "burst": {"enter_bad": 0.01, "leave_bad": 0.3, "loss_good": 0.001, "loss_bad": 0.9}},
    "passive": {"rate": 0.5, "data_length": 20},
    "line": {"pace": true, "noise": 1.5, "six_channel": true},
    "loader": {"wake_reply": "FN", "bad_checksum": "FF", "fault_at_packet": 3,
               "fn_burst_at_packet": 2, "fn_burst_length": 4, "split_replies": true,
               "trailing_at_packet": 5, "idle_exit_ms": 0},
    "record_capacity": 100
  })";
  Scenario s;
  std::string error;
  ASSERT_TRUE(ParseScenario(text, s, &error)) << error;
  EXPECT_EQ(s.seed, 42u);
  EXPECT_EQ(s.attachedBase, 3);
  ASSERT_EQ(s.bases.size(), 2u);
  EXPECT_EQ(s.bases[0].channel, '2');
  EXPECT_EQ(s.bases[0].group, '3');
  EXPECT_EQ(s.bases[0].power, '4');
  EXPECT_EQ(s.bases[0].mode, '3');
  EXPECT_EQ(s.bases[0].timeoutSeconds, 5);
  EXPECT_EQ(s.bases[0].baudIndex, 4);
  EXPECT_EQ(s.bases[0].terminals, (std::vector<int>{1, 2, 99}));
  EXPECT_EQ(s.bases[1].mode, '2');
  EXPECT_TRUE(s.bases[1].terminals.empty());
  EXPECT_EQ(s.delay.minMs, 10);
  EXPECT_EQ(s.delay.maxMs, 250);
  EXPECT_DOUBLE_EQ(s.faults.silentLoss, 0.06);
  EXPECT_EQ(s.delay.jitterMs, 7);
  EXPECT_DOUBLE_EQ(s.burst.enterBad, 0.01);
  EXPECT_DOUBLE_EQ(s.burst.leaveBad, 0.3);
  EXPECT_DOUBLE_EQ(s.burst.lossGood, 0.001);
  EXPECT_DOUBLE_EQ(s.burst.lossBad, 0.9);
  EXPECT_DOUBLE_EQ(s.passive.ratePerTerminal, 0.5);
  EXPECT_TRUE(s.line.pace);
  EXPECT_TRUE(s.line.sixChannel);
  EXPECT_EQ(s.loader.wakeReply, "FN");
  EXPECT_EQ(s.loader.badChecksum, LoaderConfig::Refusal::kFf);
  EXPECT_EQ(s.loader.fnBurstLength, 4);
  EXPECT_TRUE(s.loader.splitReplies);
  EXPECT_EQ(s.recordCapacity, 100u);
}

TEST(ScenarioFile, AnEmptyObjectIsTheDefaultNetwork) {
  Scenario s;
  ASSERT_TRUE(ParseScenario("{}", s, nullptr));
  EXPECT_EQ(s.bases.size(), Scenario::Default().bases.size());
}

TEST(ScenarioFile, FaultsAreNamedWithTheirPlace) {
  const std::pair<const char*, const char*> cases[] = {
      {"[1, 2", "not valid JSON"},
      {"[]", "the scenario: must be an object"},
      {R"({"bases": [{"number": 1, "channel": 5}]})", "bases[0].channel: must be 1..4"},
      {R"({"bases": [{"number": 1}, {"number": 1}]})", "base 1 is listed twice"},
      {R"({"bases": [{"channel": 1}]})", "bases[0]: needs a \"number\""},
      {R"({"bases": [{"number": 1, "terminals": [0]}]})", "bases[0].terminals"},
      {R"({"bases": [{"number": 1, "baud": 1000}]})", "bases[0].baud"},
      {R"({"bases": [{"number": 1, "mode": "boss"}]})", "bases[0].mode"},
      {R"({"bases": []})", "bases: must be a list"},
      {R"({"attached": 7})", "attached base 7"},
      {R"({"echo": {"loss": 1.5}})", "echo.loss: must be a number 0..1"},
      {R"({"echo": {"delay_ms": [50, 10]}})", "echo.delay_ms"},
      {R"({"echo": {"burst": {"enter_bad": 2}}})", "echo.burst.enter_bad"},
      {R"({"echo": {"burst": {"length": 2}}})", "echo.burst.length"},
      {R"({"echo": {"los": 0.1}})", "echo.los: is not a known key"},
      {R"({"speed": 1})", "speed: is not a known key"},
      {R"({"loader": {"bad_checksum": "FA"}})", "loader.bad_checksum"},
      {R"({"line": {"pace": 1}})", "line.pace: must be true or false"},
      {R"({"seed": -1})", "seed"},
  };
  for (const auto& [text, expected] : cases) {
    Scenario s = Scenario::Default();
    s.seed = 5;
    std::string error;
    EXPECT_FALSE(ParseScenario(text, s, &error)) << text;
    EXPECT_NE(error.find(expected), std::string::npos) << text << " -> " << error;
    EXPECT_EQ(s.seed, 5u) << "left as it was";
  }
}

TEST(ScenarioFile, AMissingFileIsNamed) {
  Scenario s;
  std::string error;
  EXPECT_FALSE(LoadScenarioFile("/nonexistent/net.json", s, &error));
  EXPECT_EQ(error, "/nonexistent/net.json: cannot be read");
  const std::string path = WriteTemp("basesim-bad.json", "{\"bases\": 3}");
  EXPECT_FALSE(LoadScenarioFile(path, s, &error));
  EXPECT_EQ(error.rfind(path + ": bases", 0), 0u) << error;
}

bool Parse(const std::vector<std::string>& args, Options& o, std::string& error) {
  return ParseOptions(args, o, &error);
}

TEST(CommandLine, OptionsSetTheScenario) {
  Options o;
  std::string error;
  ASSERT_TRUE(Parse({"--link",
                     "/tmp/x",
                     "--seed",
                     "9",
                     "--loss",
                     "0.25",
                     "--delay=20-80",
                     "--jitter",
                     "12",
                     "--burst",
                     "0.05,0.25",
                     "--pace",
                     "--passive-rate",
                     "2",
                     "--ng-rate",
                     "0.1",
                     "--six-channel",
                     "--noise",
                     "3",
                     "--baud",
                     "9600",
                     "--loader-fn-burst",
                     "2:3",
                     "--loader-bad-checksum",
                     "FF",
                     "--no-console"},
                    o, error))
      << error;
  EXPECT_EQ(o.endpoint.linkPath, "/tmp/x");
  EXPECT_EQ(o.scenario.seed, 9u);
  EXPECT_DOUBLE_EQ(o.scenario.faults.echoLoss, 0.25);
  EXPECT_EQ(o.scenario.delay.minMs, 20);
  EXPECT_EQ(o.scenario.delay.maxMs, 80);
  EXPECT_EQ(o.scenario.delay.jitterMs, 12);
  EXPECT_DOUBLE_EQ(o.scenario.burst.enterBad, 0.05);
  EXPECT_DOUBLE_EQ(o.scenario.burst.leaveBad, 0.25);
  EXPECT_DOUBLE_EQ(o.scenario.burst.lossGood, 0.0);
  EXPECT_DOUBLE_EQ(o.scenario.burst.lossBad, 1.0);
  EXPECT_TRUE(o.scenario.line.pace);
  EXPECT_DOUBLE_EQ(o.scenario.passive.ratePerTerminal, 2.0);
  EXPECT_TRUE(o.scenario.line.sixChannel);
  EXPECT_EQ(o.scenario.bases[0].baudIndex, 4);
  EXPECT_EQ(o.scenario.loader.fnBurstAtPacket, 2);
  EXPECT_EQ(o.scenario.loader.fnBurstLength, 3);
  EXPECT_EQ(o.scenario.loader.badChecksum, LoaderConfig::Refusal::kFf);
  EXPECT_FALSE(o.console);
  const std::string image = ::testing::TempDir() + "basesim-image-trial.s19";
  std::filesystem::remove(image);
  ASSERT_TRUE(Parse({"--image-out", image}, o, error)) << error;
  EXPECT_EQ(o.imageOut, image);
  EXPECT_FALSE(std::filesystem::exists(image)) << "the trial file is left behind";
  ASSERT_TRUE(Parse({"--delay", "15"}, o, error));
  EXPECT_EQ(o.scenario.delay.minMs, 15);
  EXPECT_EQ(o.scenario.delay.maxMs, 15);
}

TEST(CommandLine, OptionsOverrideTheScenarioFileWhateverTheirOrder) {
  const std::string path =
      WriteTemp("basesim-opts.json", R"({"seed": 3, "echo": {"loss": 0.5}, "bases": [{"number": 4}],
                              "attached": 4})");
  Options o;
  std::string error;
  ASSERT_TRUE(Parse({"--loss", "0.1", "--scenario", path}, o, error)) << error;
  EXPECT_DOUBLE_EQ(o.scenario.faults.echoLoss, 0.1);
  EXPECT_EQ(o.scenario.seed, 3u);
  EXPECT_EQ(o.scenario.attachedBase, 4);
  EXPECT_EQ(o.scenarioFile, path);
}

TEST(CommandLine, BadOptionsAreRefusedWithAReason) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"--loss"}, "--loss needs a value"},
      {{"--loss", "2"}, "--loss 2: expected a probability 0..1"},
      {{"--loss", "x"}, "expected a probability"},
      {{"--delay", "80-20"}, "--delay 80-20"},
      {{"--delay", "-5"}, "--delay -5"},
      {{"--burst", "0.1"}, "--burst 0.1"},
      {{"--burst", "0.1,0.2,0.3"}, "--burst 0.1,0.2,0.3"},
      {{"--burst", "0.1,1.5"}, "--burst 0.1,1.5"},
      {{"--jitter", "-1"}, "--jitter -1"},
      {{"--seed", "-1"}, "--seed -1"},
      {{"--baud", "1000"}, "--baud 1000"},
      {{"--pace=yes"}, "--pace takes no value"},
      {{"--loader-fn-burst", "3"}, "--loader-fn-burst 3"},
      {{"--attached", "9"}, "attached base 9"},
      {{"--device", "/dev/x", "--link", "/tmp/y"}, "cannot be used with --device"},
      {{"--scenario", "/nonexistent.json"}, "/nonexistent.json: cannot be read"},
      {{"--image-out", "/nonexistent/image.s19"}, "/nonexistent/image.s19: cannot be written"},
      {{"--image-out", "/tmp"}, "/tmp: cannot be written"},
      {{"--trace", "sim.trace", "--image-out", "./sim.trace"},
       "--trace and --image-out name the same file: ./sim.trace"},
      {{"--device", "/dev/null", "--trace=/dev/null"}, "--device and --trace name the same file"},
  };
  for (const auto& [args, expected] : cases) {
    Options o;
    std::string error;
    EXPECT_FALSE(Parse(args, o, error)) << args[0];
    EXPECT_NE(error.find(expected), std::string::npos) << args[0] << " -> " << error;
  }
}

TEST(CommandLine, HelpNamesEveryOption) {
  Options o;
  std::string error;
  ASSERT_TRUE(Parse({"--help"}, o, error));
  EXPECT_TRUE(o.help);
  const std::string usage = UsageText();
  for (const char* name : {"--link",
                           "--device",
                           "--seed",
                           "--scenario",
                           "--loss",
                           "--delay",
                           "--jitter",
                           "--burst",
                           "--pace",
                           "--baud",
                           "--noise",
                           "--six-channel",
                           "--attached",
                           "--corrupt",
                           "--duplicate",
                           "--ng-rate",
                           "--wt-rate",
                           "--silent-loss",
                           "--passive-rate",
                           "--passive-length",
                           "--loader-wake",
                           "--loader-maker",
                           "--loader-download",
                           "--loader-bad-checksum",
                           "--loader-silent",
                           "--loader-silent-at",
                           "--loader-fault-at",
                           "--loader-fn-burst",
                           "--loader-split",
                           "--loader-trailing-at",
                           "--image-out",
                           "--no-console",
                           "--quiet",
                           "--help",
                           "--version"}) {
    EXPECT_NE(usage.find(name), std::string::npos) << name;
  }
}

class ConsoleTest : public SimTest {
 protected:
  void SetUp() override { StartWith(QuickScenario()); }
};

TEST_F(ConsoleTest, CommandsChangeTheNetworkAndTheLink) {
  Console console(*sim);
  EXPECT_NE(console.Execute("show").find("base 05"), std::string::npos);
  EXPECT_EQ(console.Execute("add 5 20"), "terminal 20 is with base 5\n");
  EXPECT_EQ(pc.ReadMessage(), "@TM00\r");
  EXPECT_EQ(console.Execute("remove 20"), "terminal 20 has left\n");
  EXPECT_EQ(pc.ReadMessage(), "@TM00\r");
  EXPECT_EQ(console.Execute("move 5 6"), "base 5 is now base 6\n");
  EXPECT_EQ(pc.ReadMessage(), "@ID0506\r");
  EXPECT_EQ(console.Execute("base add 9 2 3 1 2"), "base 9 added\n");
  EXPECT_EQ(Ask("@BS\r"), "@BS0111021206230932\r");
  EXPECT_EQ(console.Execute("base remove 9"), "base 9 removed\n");
  EXPECT_EQ(console.Execute("base remove 1"), "base 1 is absent or attached\n");
  console.Execute("jitter 15");
  console.Execute("burst 0.1,0.5,0,0.8");
  console.Execute("delay 10-20");  // keeps the jitter
  console.Execute("loss 0.5");
  console.Execute("ng 0.25");
  console.Execute("passive 0 10");
  const Scenario s = sim->Snapshot();
  EXPECT_EQ(s.delay.minMs, 10);
  EXPECT_EQ(s.delay.maxMs, 20);
  EXPECT_EQ(s.delay.jitterMs, 15);
  EXPECT_DOUBLE_EQ(s.burst.lossBad, 0.8);
  EXPECT_DOUBLE_EQ(s.faults.echoLoss, 0.5);
  EXPECT_DOUBLE_EQ(s.faults.ngRate, 0.25);
  EXPECT_EQ(s.passive.dataLength, 10);
  console.Execute("noise 5");
  console.Execute("one");
  EXPECT_EQ(Ask("@TM02\r"), "@TM020708\r");
  EXPECT_EQ(pc.Stray().size(), 6u);
  EXPECT_NE(console.Execute("stats").find("messages in"), std::string::npos);
  EXPECT_NE(console.Execute("loader").find("loader idle"), std::string::npos);
  EXPECT_FALSE(console.Quit());
  console.Execute("quit");
  EXPECT_TRUE(console.Quit());
}

TEST_F(ConsoleTest, BadCommandsSayHowToUseThem) {
  Console console(*sim);
  EXPECT_EQ(console.Execute(""), "");
  EXPECT_EQ(console.Execute("frobnicate"), "unknown command \"frobnicate\" (type help)\n");
  EXPECT_EQ(console.Execute("add 17 1").rfind("usage: add", 0), 0u);
  EXPECT_EQ(console.Execute("add 3 1"), "base 3 is not in the network\n");
  EXPECT_EQ(console.Execute("loss 7").rfind("usage: loss", 0), 0u);
  EXPECT_EQ(console.Execute("delay 9-1").rfind("usage: delay", 0), 0u);
  EXPECT_EQ(console.Execute("burst 0.5").rfind("usage: burst", 0), 0u);
  EXPECT_EQ(console.Execute("pace maybe").rfind("usage: pace", 0), 0u);
  EXPECT_EQ(console.Execute("move 1 2"), "base 1 is absent or 2 is taken\n");
  EXPECT_NE(console.Execute("help").find("remove TERMINAL"), std::string::npos);
  EXPECT_TRUE(pc.Quiet(50ms));
}

}  // namespace
}  // namespace tessaro::sim::testing
