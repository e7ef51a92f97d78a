#pragma once
// A pass blocks the user-interface thread. While the library unpacks a long entry it calls back
// with every block, and the component lets the application process its pending window messages
// from there, so the windows stay painted and Windows never marks them "not responding".
#include <chrono>
#include <functional>

namespace archive {

// Implemented by the application (PeekMessage/DispatchMessage); natively nothing to do.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void ProcessPendingMessages() = 0;
};

// Lets the pump run at most once per interval: a block arrives every few kilobytes, and pumping
// for each of them would cost more than the unpacking.
class ThrottledPump {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  explicit ThrottledPump(std::chrono::milliseconds interval = std::chrono::milliseconds(50),
                         Clock clock = std::chrono::steady_clock::now);

  void SetPump(MessagePump* pump) { pump_ = pump; }
  MessagePump* Pump() const { return pump_; }

  // The next Poll pumps at once (the start of a pass).
  void Reset() { pumped_once_ = false; }
  // Pumps when the interval has passed since the last time it did.
  void Poll();

 private:
  MessagePump* pump_ = nullptr;
  std::chrono::milliseconds interval_;
  Clock clock_;
  bool pumped_once_ = false;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace archive
