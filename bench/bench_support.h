#pragma once
// What the benchmarks share: their clock, and the one line a benchmark that fails prints.
#include "bench/clock.h"

#include <cstdio>

namespace bench {

// Prints "error=<what>" as the benchmark's only line; the exit code to return.
inline int Fail(const char* what) {
  std::printf("error=%s\n", what);
  return 1;
}

}  // namespace bench
