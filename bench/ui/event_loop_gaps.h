#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>

// How long the GUI thread stays away from its event loop while a window
// works: the gaps between the ticks of a 1 ms timer.
namespace skyrill::bench {

inline double milliseconds(const QElapsedTimer& clock) {
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Calls `start`, then runs the event loop until `sender` sends `signal`;
// gives the longest gap between the ticks of a 1 ms timer meanwhile, the
// stretch from the last tick to the signal's end counted too.
template <typename Sender, typename Signal, typename Start>
double longestGapUntil(Sender& sender, Signal signal, const QElapsedTimer& clock, Start start) {
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
  start();
  loop.exec();
  return std::max(longestGap, milliseconds(clock) - lastTick);
}

// Runs the event loop until `sender` sends `signal`; the longest gap as above.
template <typename Sender, typename Signal>
double waitFor(Sender& sender, Signal signal, const QElapsedTimer& clock) {
  return longestGapUntil(sender, signal, clock, [] {});
}

}  // namespace skyrill::bench
