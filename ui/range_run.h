#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <thread>

#include "fetch/range_fetcher.h"

namespace skyrill {

// A run of the range fetcher on a thread of its own, so that the window that
// started it goes on. What the run reports reaches the handlers on the
// thread the run was made on, through the event loop, in the order it was
// sent; nothing reaches them once the run is gone. Going away, it stops the
// run and waits for its thread.
class RangeRun : public QObject {
  Q_OBJECT

 public:
  struct Handlers {
    // Each day as it is settled, with the counts so far.
    std::function<void(const DayResult&, const RangeCounts&)> day;
    // The run's end, its thread over: the last call, after which the run may
    // be deleted.
    std::function<void(const RangeReport&)> finished;
  };

  RangeRun(const RangeRequest& request, const HistoryArchive& archive, Handlers handlers);
  ~RangeRun() override;

  // Ends the run at once (see RangeFetcher::stop); the days saved stay.
  void stop() { fetcher_.stop(); }

 private:
  void finish(const RangeReport& report);

  RangeFetcher fetcher_;
  Handlers handlers_;
  std::thread thread_;
};

}  // namespace skyrill
