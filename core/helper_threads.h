#pragma once

#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace skyrill {

// Runs `work(onCaller)` on the calling thread and on `helpers` more threads
// and waits for all of them. An exception on any thread (memory running out,
// say) is caught there, `stop()` asks the others to end early, and the first
// one is thrown again on the calling thread once all have ended: a helper
// thread must never end the process with it.
template <typename Work, typename Stop>
void runWithHelpers(unsigned helpers, Work work, Stop stop) {
  std::mutex mutex;
  std::exception_ptr first;
  const auto guarded = [&](bool onCaller) {
    try {
      work(onCaller);
    } catch (...) {
      {
        const std::lock_guard lock(mutex);
        if (!first) first = std::current_exception();
      }
      stop();
    }
  };
  std::vector<std::thread> threads;
  try {
    for (unsigned i = 0; i < helpers; ++i) threads.emplace_back(guarded, false);
  } catch (...) {  // a thread that could not start leaves the work to the others
  }
  guarded(true);
  for (std::thread& thread : threads) thread.join();
  if (first) std::rethrow_exception(first);
}

}  // namespace skyrill
