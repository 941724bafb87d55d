#pragma once

// The menu `RF` of the frame window: popups, items and command ids.  No item
// is ever greyed or checked; each command tests its precondition when it
// arrives.

namespace tessaro {

enum CommandId : int {
  kCmdOpen = 1000,
  kCmdClose = 1010,
  kCmdCommProperties = 1020,
  kCmdBaseId = 1100,
  kCmdBaseProperties = 1110,
  kCmdTestingCriteria = 1200,
  kCmdTestingStatistics = 1210,
  kCmdDownload = 1300,
  kCmdAbout = 1900,
  kCmdExit = 1999,
};

// One menu line; id 0 is a separator.
struct MenuEntry {
  const char* text;
  int id;
};

struct MenuPopup {
  const char* text;
  const MenuEntry* entries;
  int count;
};

inline constexpr MenuEntry kRfLinkEntries[] = {
    {"&Open", kCmdOpen}, {"&Close", kCmdClose},
    {nullptr, 0},        {"Comm &Properties ...", kCmdCommProperties},
    {nullptr, 0},        {"&Exit", kCmdExit},
};
inline constexpr MenuEntry kConfigureEntries[] = {
    {"Base's &ID ...", kCmdBaseId},
    {"Base's &Properties ...", kCmdBaseProperties},
    {nullptr, 0},
    {"Testing &Criteria ...", kCmdTestingCriteria},
    {"Testing &Statistics ...", kCmdTestingStatistics},
};
inline constexpr MenuEntry kUpdateEntries[] = {
    {"&Download Base's Program", kCmdDownload},
};
inline constexpr MenuEntry kHelpEntries[] = {
    {"&About ...", kCmdAbout},
};

inline constexpr MenuPopup kRfMenu[] = {
    {"&RF Link", kRfLinkEntries, 6},
    {"&Configure", kConfigureEntries, 5},
    {"&Update", kUpdateEntries, 1},
    {"&Help", kHelpEntries, 1},
};
inline constexpr int kRfMenuPopups = 4;

}  // namespace tessaro
