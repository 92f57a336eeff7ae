#pragma once

// Waiting for a window's work in the window benchmarks, with how long the
// GUI thread stayed away from its event loop meanwhile.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace skyrill {

inline double milliseconds(const QElapsedTimer& clock) {
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Runs the event loop until `sender` sends `signal`; gives the longest gap
// between the ticks of a 1 ms timer meanwhile.
template <typename Sender, typename Signal>
inline double waitFor(Sender& sender, Signal signal, const QElapsedTimer& clock) {
  QEventLoop loop;
  QObject::connect(&sender, signal, &loop, &QEventLoop::quit);
  double lastTick = milliseconds(clock);
  double longestGap = 0;
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const double now = milliseconds(clock);
    longestGap = std::max(longestGap, now - lastTick);
    lastTick = now;
  });
  ticker.start(1);
  loop.exec();
  return std::max(longestGap, milliseconds(clock) - lastTick);
}

}  // namespace skyrill
