#pragma once

#include <QObject>
#include <list>
#include <thread>

#include "core/task_runner.h"

namespace skyrill {

// Carries out each piece of work on a thread of its own and hands its ending
// back to the thread the runner lives on, through the event loop, so the
// window goes on while a request waits. Going away, it waits for the threads
// still working: their work must be cancelled first, or it waits that long.
class ThreadRunner : public QObject, public TaskRunner {
  Q_OBJECT

 public:
  explicit ThreadRunner(QObject* parent = nullptr) : QObject(parent) {}
  ~ThreadRunner() override;

  void run(std::function<void()> work, std::function<void()> done) override;

 private:
  std::list<std::thread> workers_;
};

}  // namespace skyrill
