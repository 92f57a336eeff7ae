#pragma once

#include <QObject>

class QSocketNotifier;

namespace skyrill {

// Turns SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C, a closed terminal or a
// logout) into a Qt signal delivered by the event loop, so that the program
// ends through its orderly path. The handler only writes a byte to a pipe.
// One instance at a time; the default handlers come back when it goes.
class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  TerminationSignals();
  ~TerminationSignals() override;

 signals:
  void received(int signalNumber);

 private:
  void drain();

  int pipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace skyrill
