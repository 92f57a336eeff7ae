#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <chrono>

namespace skyrill::test {

// Lets the event loop run until the condition holds; false when it still
// does not after the limit, which only a fault can take.
template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
  const QDeadlineTimer deadline(limit);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace skyrill::test
