#pragma once

#include <atomic>
#include <functional>
#include <mutex>

namespace skyrill {

// Asks work running on another thread to stop. The thread that waits (a
// transfer in its poll) registers a waker, which cancel() calls at once, so
// that stopping takes no longer than the wake-up.
class CancelFlag {
 public:
  void cancel();
  bool isCancelled() const { return cancelled_.load(std::memory_order_acquire); }

  // While registered, `wake` is called by cancel(); it must be safe to call
  // from any thread. Registering on a flag already cancelled calls it at once.
  void setWaker(std::function<void()> wake);
  void clearWaker();

 private:
  std::atomic<bool> cancelled_{false};
  std::mutex mutex_;
  std::function<void()> wake_;
};

}  // namespace skyrill
