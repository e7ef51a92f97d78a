#include "util/scope_exit.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

int RunsOnReturn(int* steps, bool early) {
  util::ScopeExit after([steps] { ++*steps; });
  if (early) return 1;
  return 2;
}

TEST(ScopeExit, RunsOnEveryWayOutOnceAndNotWhenDismissed) {
  int steps = 0;
  RunsOnReturn(&steps, true);
  RunsOnReturn(&steps, false);
  EXPECT_EQ(steps, 2);

  try {
    util::ScopeExit after([&steps] { ++steps; });
    throw std::runtime_error("escaped");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(steps, 3);

  {
    util::ScopeExit after([&steps] { ++steps; });
    after.Dismiss();
  }
  EXPECT_EQ(steps, 3);
}

}  // namespace
