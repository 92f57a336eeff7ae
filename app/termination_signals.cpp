#include "app/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <csignal>

namespace skyrill {
namespace {

constexpr std::array kTerminationSignals = {SIGTERM, SIGINT, SIGHUP};

int g_writeEnd = -1;

void onSignal(int signalNumber) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signalNumber);
  [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals() {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_writeEnd = pipe_[1];
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signalNumber : kTerminationSignals) sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  for (int signalNumber : kTerminationSignals) std::signal(signalNumber, SIG_DFL);
  g_writeEnd = -1;
  delete notifier_;
  for (int end : pipe_) {
    if (end >= 0) ::close(end);
  }
}

void TerminationSignals::drain() {
  unsigned char byte = 0;
  while (::read(pipe_[0], &byte, 1) == 1) emit received(byte);
}

}  // namespace skyrill
