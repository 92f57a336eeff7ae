#pragma once

#include <functional>

namespace skyrill {

// Where the slow part of a run, the request, is carried out, so that the
// window can go on while it waits.
class TaskRunner {
 public:
  virtual ~TaskRunner() = default;
  // Runs `work`, then `done` on the thread that called run(). A runner that
  // goes away first drops `done`.
  virtual void run(std::function<void()> work, std::function<void()> done) = 0;
};

// Runs the work and its ending at once, before run() returns: the runner of
// command-line tools and of tests that step through a run.
class InlineRunner : public TaskRunner {
 public:
  void run(std::function<void()> work, std::function<void()> done) override {
    work();
    done();
  }
};

}  // namespace skyrill
