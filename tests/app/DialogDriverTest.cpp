// The Base Station's Properties dialog operated as a toolkit does it, without
// one: a driver fills the controls from the model, lets the test pick list
// entries by their text and type into the time-out box, and presses OK (and
// answers the baud question) through the model.  Each toolkit's own test
// only checks that its controls are wired to the same calls.

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/Engine.h"
#include "app/front/BasePropertiesModel.h"
#include "support/EngineTestAccess.h"
#include "support/Recorders.h"

namespace tessaro {
namespace {

using testing::AbsentSerialPort;
using testing::ManualClock;
using testing::RecordingDisplay;
using testing::RecordingPort;
using List = BasePropertiesModel::List;

// What the dialog shows and what the operator does with it.
class PropertiesDriver {
 public:
  explicit PropertiesDriver(Engine& engine) : model_(engine) {
    for (int i = 0; i < List::kListCount; ++i) lists_[i] = model_.ListTexts(static_cast<List>(i));
    ShownProperties shown;
    if (lists_[List::kId].empty() || !model_.Show(lists_[List::kId][0], &shown)) return;
    rows_[List::kChannel] = shown.choices.channel;
    rows_[List::kGroup] = shown.choices.group;
    rows_[List::kPower] = shown.choices.power;
    rows_[List::kMode] = shown.choices.mode;
    rows_[List::kBaud] = shown.choices.baud;
    timeout_ = std::to_string(shown.timeout);
    enabled_[List::kGroup] = enabled_[List::kPower] = model_.GroupAndPowerEnabled();
    enabled_[List::kMode] = shown.modeEnabled;
    enabled_[List::kBaud] = shown.baudEnabled;
  }

  const std::vector<std::string>& Texts(List list) const { return lists_[list]; }
  // The entry `text` of `list`; false when the list is disabled or lacks it.
  bool Pick(List list, const std::string& text) {
    if (!enabled_[list]) return false;
    for (std::size_t row = 0; row < lists_[list].size(); ++row) {
      if (lists_[list][row] == text) rows_[list] = static_cast<int>(row);
    }
    return lists_[list][rows_[list]] == text;
  }
  void Type(const std::string& timeout) { timeout_ = timeout; }

  // OK; `answerOk` is the answer to the baud question if it comes.  The
  // outcome, and the refusal text shown.
  BasePropertiesModel::Outcome Ok(bool answerOk, std::string* refusal) {
    const PropertyChoices chosen{rows_[List::kChannel], rows_[List::kGroup], rows_[List::kPower],
                                 rows_[List::kMode], rows_[List::kBaud]};
    const char* text = nullptr;
    const auto outcome = model_.Confirm(lists_[List::kId][0], chosen, timeout_, &text);
    if (refusal != nullptr) *refusal = text != nullptr ? text : "";
    if (outcome == BasePropertiesModel::Outcome::kAskBaud && answerOk) model_.ConfirmBaud();
    return outcome;
  }
  bool ReopenRequest() const { return model_.ReopenRequest(); }

 private:
  BasePropertiesModel model_;
  std::vector<std::string> lists_[List::kListCount];
  int rows_[List::kListCount] = {0, -1, -1, -1, -1, -1};
  bool enabled_[List::kListCount] = {true, true, true, true, true, true};
  std::string timeout_;
};

struct Rig {
  RecordingDisplay display;
  ManualClock clock;
  AbsentSerialPort port;
  RecordingPort sent;
  Engine engine{display, clock, port, &sent};

  // Base 1 present, reporting channel 1 (or 6), group, power and mode 1,
  // a time-out of 2 s and the first rate.
  void ReportBase(char channel) {
    std::scoped_lock lock(EngineTestAccess::Lock(engine));
    EngineTestAccess::Registry(engine).rows[1].present = 1;
    BaseProperties& p = EngineTestAccess::Registry(engine).properties[1];
    p.channel = channel;
    p.group = p.power = p.mode = '1';
    p.timeout = 2;
    p.baudIndex = 0;
  }
};

using Outcome = BasePropertiesModel::Outcome;

TEST(PropertiesDialogDriver, RefusalsSixChannelModeAndTheBaudQuestion) {
  struct Step {
    List list;
    const char* text;
  };
  struct Case {
    const char* what;
    bool sixChannel;
    std::vector<Step> picks;
    const char* timeout;
    bool answerOk;
    Outcome outcome;
    const char* refusal;
    const char* sent;
    bool reopen;
  };
  const Case cases[] = {
      {"a time-out two digits cannot carry is refused, nothing sent",
       false,
       {{List::kChannel, "3"}},
       "150",
       true,
       Outcome::kRefused,
       kTimeoutRangeText,
       "",
       false},
      {"six-channel mode: channel 5 offered, group and power neither shown nor sent",
       true,
       {{List::kChannel, "5"}},
       "2",
       true,
       Outcome::kDone,
       "",
       "@CH015\r",
       false},
      {"the baud question answered OK: the rate goes out last, the port reopens",
       false,
       {{List::kChannel, "2"}, {List::kBaud, "9600"}},
       "2",
       true,
       Outcome::kAskBaud,
       "",
       "@CH012\r@SP9600\r",
       true},
      {"the baud question cancelled: the rest still goes out",
       false,
       {{List::kChannel, "2"}, {List::kBaud, "9600"}},
       "2",
       false,
       Outcome::kAskBaud,
       "",
       "@CH012\r",
       false},
  };
  for (const Case& c : cases) {
    Rig rig;
    if (c.sixChannel) rig.engine.Feed("1", 1);  // the lone "1" between messages
    rig.ReportBase(c.sixChannel ? '6' : '1');
    PropertiesDriver dialog(rig.engine);
    EXPECT_EQ(dialog.Texts(List::kChannel).size(), c.sixChannel ? 6U : 4U) << c.what;
    // Group and power are out of reach in six-channel mode.
    EXPECT_EQ(dialog.Pick(List::kGroup, "1"), !c.sixChannel) << c.what;
    EXPECT_EQ(dialog.Pick(List::kPower, "1"), !c.sixChannel) << c.what;
    for (const Step& step : c.picks) ASSERT_TRUE(dialog.Pick(step.list, step.text)) << c.what;
    dialog.Type(c.timeout);
    std::string refusal;
    EXPECT_EQ(dialog.Ok(c.answerOk, &refusal), c.outcome) << c.what;
    EXPECT_EQ(refusal, c.refusal) << c.what;
    EXPECT_EQ(rig.sent.All(), c.sent) << c.what;
    EXPECT_EQ(dialog.ReopenRequest(), c.reopen) << c.what;
  }
}

}  // namespace
}  // namespace tessaro
