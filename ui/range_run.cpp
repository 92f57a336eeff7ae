#include "ui/range_run.h"

#include <new>

namespace skyrill {

RangeRun::RangeRun(const RangeRequest& request, const HistoryArchive& archive, Handlers handlers)
    : fetcher_(request, archive), handlers_(std::move(handlers)) {
  // The run blocks its thread; its reports go to this object's thread.
  thread_ = std::thread([this] {
    RangeReport report;
    try {
      report = fetcher_.run([this](const DayResult& day, const RangeCounts& counts) {
        QMetaObject::invokeMethod(
            this,
            [this, day, counts] {
              if (handlers_.day) handlers_.day(day, counts);
            },
            Qt::QueuedConnection);
      });
    } catch (const std::bad_alloc&) {
      // The days saved stay; the run ends as a write that failed would.
      report.stopped = true;
      report.stopReason = "内存不足";
    }
    QMetaObject::invokeMethod(
        this, [this, report] { finish(report); }, Qt::QueuedConnection);
  });
}

RangeRun::~RangeRun() {
  stop();
  if (thread_.joinable()) thread_.join();
}

void RangeRun::finish(const RangeReport& report) {
  thread_.join();
  // The handler may delete this run: it is called from a copy of its own.
  const auto finished = handlers_.finished;
  if (finished) finished(report);
}

}  // namespace skyrill
