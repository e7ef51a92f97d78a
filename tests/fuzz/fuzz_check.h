#pragma once
// A broken invariant in a fuzz target: says which one and aborts, so libFuzzer saves the input
// and the native replay fails.
#include <cstdio>
#include <cstdlib>

inline void FuzzRequire(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}
