#pragma once
// What the benchmarks share: their clock, and the one line a benchmark that fails prints.
#include <windows.h>

#include <cstdio>

namespace bench {

// Seconds from an arbitrary start, as precise as the machine counts.
inline double Now() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Prints "error=<what>" as the benchmark's only line; the exit code to return.
inline int Fail(const char* what) {
  std::printf("error=%s\n", what);
  return 1;
}

}  // namespace bench
