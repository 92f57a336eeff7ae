#include "ui/thread_runner.h"

#include <QMetaObject>

namespace skyrill {

ThreadRunner::~ThreadRunner() {
  for (std::thread& worker : workers_) worker.join();
}

void ThreadRunner::run(std::function<void()> work, std::function<void()> done) {
  workers_.emplace_front();
  const auto worker = workers_.begin();
  *worker = std::thread([this, worker, work = std::move(work), done = std::move(done)]() mutable {
    work();
    // Queued to the runner's thread; dropped by Qt if the runner is gone.
    QMetaObject::invokeMethod(
        this,
        [this, worker, done = std::move(done)] {
          worker->join();
          workers_.erase(worker);
          done();
        },
        Qt::QueuedConnection);
  });
}

}  // namespace skyrill
