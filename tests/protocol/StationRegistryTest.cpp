#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "protocol/StationRegistry.h"
#include "support/Recorders.h"

namespace tessaro {
namespace {

void ApplyBs(StationRegistry& r, const char* m) {
  r.ApplyBaseStatus(m, std::strlen(m));
}

std::vector<int> Replace(StationRegistry& r, int base, const char* m) {
  std::vector<int> listed;
  r.ReplaceTerminals(base, m, std::strlen(m), [&](int t) { listed.push_back(t); });
  return listed;
}

std::vector<int> PresentBases(const StationRegistry& r) {
  std::vector<int> v;
  for (int b = 1; b <= kMaxBase; ++b)
    if (r.rows[b].present) v.push_back(b);
  return v;
}

TEST(StationRegistryBaseStatus, RebuildsPresenceGroupChannelAndHighestBase) {
  StationRegistry r;
  r.Reset();
  ApplyBs(r, "@BS03120521\r");
  EXPECT_EQ(PresentBases(r), (std::vector<int>{3, 5}));
  EXPECT_EQ(r.properties[3].group, '1');
  EXPECT_EQ(r.properties[3].channel, '2');
  EXPECT_EQ(r.properties[5].group, '2');
  EXPECT_EQ(r.properties[5].channel, '1');
  EXPECT_EQ(r.highestBase, 5);

  ApplyBs(r, "@BS0121\r");
  EXPECT_EQ(PresentBases(r), (std::vector<int>{1}));
  EXPECT_EQ(r.highestBase, 1);

  ApplyBs(r, "@BS\r");
  EXPECT_TRUE(PresentBases(r).empty());
  EXPECT_EQ(r.highestBase, 1);
}

TEST(StationRegistryBaseStatus, SkipsEntriesWithBadNumbersAndPartialEntries) {
  StationRegistry r;
  r.Reset();
  // 00, 17, "x1" are skipped; the trailing "02" is not a whole entry.
  ApplyBs(r, "@BS00111711x1110411002\r");
  EXPECT_EQ(PresentBases(r), (std::vector<int>{4}));
  EXPECT_EQ(r.highestBase, 4);
}

TEST(StationRegistryMoveBase, MovesTerminalsAndPresence) {
  StationRegistry r;
  r.Reset();
  ApplyBs(r, "@BS0311\r");
  Replace(r, 3, "@TM030107\r");
  r.MoveBase(3, 5);
  EXPECT_EQ(PresentBases(r), (std::vector<int>{5}));
  EXPECT_TRUE(r.IsTerminalPresent(5, 1));
  EXPECT_TRUE(r.IsTerminalPresent(5, 7));
  EXPECT_FALSE(r.IsTerminalPresent(3, 1));
  EXPECT_EQ(r.highestBase, 5);  // raised, so the view still walks to base 5
}

TEST(StationRegistryMoveBase, RenumberingToItselfKeepsItsTerminals) {
  StationRegistry r;
  r.Reset();
  ApplyBs(r, "@BS0211\r");
  Replace(r, 2, "@TM0204\r");
  r.MoveBase(2, 2);
  EXPECT_TRUE(r.IsBasePresent(2));
  EXPECT_TRUE(r.IsTerminalPresent(2, 4));
}

TEST(StationRegistryTerminals, ReplacesListAndHighestTerminal) {
  StationRegistry r;
  r.Reset();
  EXPECT_EQ(Replace(r, 5, "@TM050211\r"), (std::vector<int>{2, 11}));
  EXPECT_TRUE(r.IsTerminalPresent(5, 2));
  EXPECT_TRUE(r.IsTerminalPresent(5, 11));
  EXPECT_EQ(r.highestTerminal[5], 11);
  EXPECT_TRUE(Replace(r, 5, "@TM05\r").empty());
  EXPECT_FALSE(r.IsTerminalPresent(5, 2));
  EXPECT_EQ(r.highestTerminal[5], 1);
}

TEST(StationRegistryTerminals, SkipsNumbersOutsideOneToNinetyNine) {
  StationRegistry r;
  r.Reset();
  EXPECT_EQ(Replace(r, 1, "@TM0100ab0599\r"), (std::vector<int>{5, 99}));
  EXPECT_EQ(r.highestTerminal[1], 99);
}

TEST(StationRegistryReset, KeepsPresenceButForgetsTerminalsAndProperties) {
  StationRegistry r;
  r.Reset();
  ApplyBs(r, "@BS0134\r");
  Replace(r, 1, "@TM0109\r");
  r.properties[1].mode = '3';
  r.properties[1].power = '4';
  r.properties[1].timeout = 9;
  r.Reset();
  EXPECT_TRUE(r.IsBasePresent(1));
  EXPECT_FALSE(r.IsTerminalPresent(1, 9));
  EXPECT_EQ(r.properties[1].group, '1');
  EXPECT_EQ(r.properties[1].power, '1');
  EXPECT_EQ(r.properties[1].channel, 0);
  EXPECT_EQ(r.properties[1].mode, 0);
  EXPECT_EQ(r.properties[1].timeout, 0);
  EXPECT_EQ(r.highestTerminal[1], 1);
}

TEST(StationRegistryStatusPoll, ClearsBasesOnlyAfterTwoSilentOpens) {
  StationRegistry r;
  r.Reset();
  testing::RecordingDisplay display;
  testing::RecordingPort port;
  ApplyBs(r, "@BS0111\r");
  r.NoteMessage();
  StatusPoll(r, display, port);  // countdown 2 -> 1
  EXPECT_TRUE(r.IsBasePresent(1));
  StatusPoll(r, display, port);  // 1 -> 0
  EXPECT_TRUE(r.IsBasePresent(1));
  EXPECT_EQ(display.viewInvalidations, 0);
  StatusPoll(r, display, port);  // third silent open clears
  EXPECT_FALSE(r.IsBasePresent(1));
  EXPECT_EQ(display.viewInvalidations, 1);
  EXPECT_EQ(display.panes[0], "  ");
  EXPECT_EQ(display.panes[1], "  ");
  EXPECT_EQ(port.All(), "@BS\r@BS\r@BS\r");
}

TEST(StationRegistryQueries, FirstPresentBase) {
  StationRegistry r;
  r.Reset();
  EXPECT_EQ(r.FirstPresentBase(), 0);
  ApplyBs(r, "@BS12110711\r");
  EXPECT_EQ(r.FirstPresentBase(), 7);
}

}  // namespace
}  // namespace tessaro
