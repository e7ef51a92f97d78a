#pragma once
// A pass blocks the user-interface thread. The component lets the application process its
// pending window messages between entries and, while the library unpacks a long entry, from the
// library's call for every block, so the windows stay painted and Windows never marks them "not
// responding".
#include <chrono>
#include <functional>

namespace archive {

// Implemented by the application (PeekMessage/DispatchMessage); natively nothing to do.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void ProcessPendingMessages() = 0;
};

// Lets the pump run at most once per interval, by the clock: a block arrives every few kilobytes
// and small entries follow each other within microseconds, while showing each new entry name and
// progress step costs the page a repaint of its label and progress bar (milliseconds under Wine).
// Once per interval keeps the page moving and costs next to nothing.
class ThrottledPump {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  explicit ThrottledPump(std::chrono::milliseconds interval = std::chrono::milliseconds(50),
                         Clock clock = std::chrono::steady_clock::now);

  void SetPump(MessagePump* pump) { pump_ = pump; }

  // Pumps when the interval has passed since the last time it did (the first Poll pumps).
  void Poll();

 private:
  MessagePump* pump_ = nullptr;
  std::chrono::milliseconds interval_;
  Clock clock_;
  bool pumped_once_ = false;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace archive
