#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

#include "core/helper_threads.h"

namespace skyrill {

// Runs numbered jobs on several threads and hands their results on in
// number order on the calling thread, with at most `ahead` results waiting:
// the calling thread runs jobs too while the next result is not there.
template <typename Result>
class JobsInOrder {
 public:
  JobsInOrder(std::size_t jobs, std::size_t ahead)
      : jobs_(jobs), waiting_(std::clamp<std::size_t>(jobs, 1, ahead)) {}

  // `work(job)` gives a job's result, `hand(result)` takes it on; the
  // caller's thread is always one of the `threads`.
  template <typename Work, typename Hand>
  void run(unsigned threads, const Work& work, const Hand& hand) {
    runWithHelpers(
        std::max(threads, 1u) - 1,
        [&](bool onCaller) {
          if (onCaller) {
            lead(work, hand);
          } else {
            help(work);
          }
        },
        [this] { stop(); });
  }

 private:
  template <typename Work>
  void help(const Work& work) {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stopped_ || taken_ == jobs_ || hasRoom(); });
      if (stopped_ || taken_ == jobs_) return;
      runJob(lock, work);
    }
  }

  template <typename Work, typename Hand>
  void lead(const Work& work, const Hand& hand) {
    std::unique_lock lock(mutex_);
    while (handed_ < jobs_ && !stopped_) {
      std::optional<Result>& next = slot(handed_);
      if (next) {
        Result result = std::move(*next);
        next.reset();
        ++handed_;
        changed_.notify_all();
        lock.unlock();
        hand(std::move(result));
        lock.lock();
      } else if (taken_ < jobs_ && hasRoom()) {
        runJob(lock, work);
      } else {
        changed_.wait(lock);
      }
    }
  }

  // Takes the next job and runs it with the lock let go.
  template <typename Work>
  void runJob(std::unique_lock<std::mutex>& lock, const Work& work) {
    const std::size_t job = taken_++;
    lock.unlock();
    Result result = work(job);
    lock.lock();
    slot(job) = std::move(result);
    changed_.notify_all();
  }

  bool hasRoom() const { return taken_ < handed_ + waiting_.size(); }
  std::optional<Result>& slot(std::size_t job) { return waiting_[job % waiting_.size()]; }

  void stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

  const std::size_t jobs_;
  std::vector<std::optional<Result>> waiting_;  // by job number, round the ring
  std::size_t taken_ = 0;
  std::size_t handed_ = 0;
  bool stopped_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
};

}  // namespace skyrill
