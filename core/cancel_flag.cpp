#include "core/cancel_flag.h"

namespace skyrill {

void CancelFlag::cancel() {
  cancelled_.store(true, std::memory_order_release);
  const std::lock_guard lock(mutex_);
  if (wake_) wake_();
}

void CancelFlag::setWaker(std::function<void()> wake) {
  const std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
  if (wake_ && isCancelled()) wake_();
}

void CancelFlag::clearWaker() {
  const std::lock_guard lock(mutex_);
  wake_ = nullptr;
}

}  // namespace skyrill
