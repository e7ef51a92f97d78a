#pragma once
// ScopeExit: runs a function when it goes out of scope, on every way out (return or error), so
// a step that must follow another cannot be skipped.
#include <utility>

namespace util {

template <class F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ~ScopeExit() {
    if (armed_) f_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

  // The step is no longer wanted.
  void Dismiss() { armed_ = false; }

 private:
  F f_;
  bool armed_ = true;
};

}  // namespace util
