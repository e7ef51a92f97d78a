#include "archive/message_pump.h"

#include <utility>

namespace archive {

ThrottledPump::ThrottledPump(std::chrono::milliseconds interval, Clock clock)
    : interval_(interval), clock_(std::move(clock)) {}

void ThrottledPump::Poll() {
  if (!pump_) return;
  const auto now = clock_();
  if (pumped_once_ && now - last_ < interval_) return;
  pumped_once_ = true;
  last_ = now;
  pump_->ProcessPendingMessages();
}

}  // namespace archive
