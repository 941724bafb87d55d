#pragma once

#include "core/TestState.h"
#include "linktest/LinkStatistics.h"

namespace tessaro {

// The shared state of the link test: the flags and the view's counters, and
// beside them the run's true totals and reply-time figures.
struct TestState : LinkTestRecord {
  LinkStatistics statistics;
};

}  // namespace tessaro
