// skyrill-fetch: many past days of one or more stations fetched into the
// History archive, where the window and skyrill-summary find them.

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <system_error>
#include <thread>

#include "archive/history_archive.h"
#include "core/calendar_date.h"
#include "core/day_texts.h"
#include "fetch/range_fetcher.h"
#include "net/data_service.h"
#include "store/program_paths.h"
#include "store/settings.h"
#include "tools/skyrill-day/day_report.h"
#include "tools/skyrill-fetch/options.h"
#include "tools/tool_main.h"

namespace skyrill {
namespace {

using Clock = std::chrono::steady_clock;

// "1:05" for 65 seconds.
std::string clockText(double seconds) {
  const long whole = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

// How far the run is: a bar redrawn on one line of a terminal, or a plain
// line now and then when standard error is a file or a pipe.
class Progress {
 public:
  explicit Progress(std::size_t total) : total_(total), terminal_(isatty(STDERR_FILENO) != 0) {}

  void show(const RangeCounts& counts) {
    const std::size_t done = counts.done();
    if (terminal_) {
      constexpr std::size_t kWidth = 30;
      const std::size_t filled = total_ == 0 ? kWidth : done * kWidth / total_;
      std::cerr << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] "
                << figures(done) << "   " << std::flush;
      lineOpen_ = true;
    } else if (done == total_ || done * 10 / std::max<std::size_t>(total_, 1) != lastTenth_) {
      lastTenth_ = done * 10 / std::max<std::size_t>(total_, 1);
      std::cerr << figures(done) << '\n';
    }
  }

  // A line of its own, below the bar.
  void say(const std::string& line) {
    endLine();
    std::cerr << line << '\n';
  }

  void endLine() {
    if (lineOpen_) std::cerr << '\n';
    lineOpen_ = false;
  }

 private:
  // "120/365 days  250.0 days/s  0:01 left".
  std::string figures(std::size_t done) const {
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const double rate = seconds > 0 ? done / seconds : 0;
    return std::to_string(done) + "/" + std::to_string(total_) + " days  " + rateText(rate) +
           " days/s  " + (rate > 0 ? clockText((total_ - done) / rate) : "-:--") + " left";
  }

  static std::string rateText(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", rate);
    return text;
  }

  std::size_t total_;
  bool terminal_;
  bool lineOpen_ = false;
  std::size_t lastTenth_ = 0;
  Clock::time_point start_ = Clock::now();
};

// Stops the run on Ctrl+C, a hang-up or a kill, from a thread of its own: a
// signal handler may not take the fetcher's locks. The thread sleeps until a
// signal comes or the run ends, so the end of a run waits for no tick.
class StopOnSignals {
 public:
  explicit StopOnSignals(RangeFetcher& fetcher) {
    sigemptyset(&signals_);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals_, signal);
    // Blocked before the run's threads start, so that they inherit it and
    // only the watcher takes the signals.
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    signalFd_ = ::signalfd(-1, &signals_, SFD_CLOEXEC | SFD_NONBLOCK);
    endFd_ = ::eventfd(0, EFD_CLOEXEC);
    try {
      if (signalFd_ >= 0 && endFd_ >= 0)
        watcher_ = std::thread([this, &fetcher] { watch(fetcher); });
    } catch (const std::system_error&) {  // no thread to be had: memory or threads ran out
    }
    // Without a watcher the signals end the process as they would anyway.
    if (!watcher_.joinable()) pthread_sigmask(SIG_UNBLOCK, &signals_, nullptr);
  }
  ~StopOnSignals() {
    if (watcher_.joinable()) {
      const std::uint64_t one = 1;
      [[maybe_unused]] const ssize_t written = ::write(endFd_, &one, sizeof one);
      watcher_.join();
      pthread_sigmask(SIG_UNBLOCK, &signals_, nullptr);
    }
    for (const int fd : {signalFd_, endFd_})
      if (fd >= 0) ::close(fd);
  }
  bool stopped() const { return stopped_; }

 private:
  // Takes the signals until the run ends.
  void watch(RangeFetcher& fetcher) {
    pollfd waits[] = {{signalFd_, POLLIN, 0}, {endFd_, POLLIN, 0}};
    while (::poll(waits, 2, -1) >= 0 || errno == EINTR) {
      if (waits[1].revents != 0) return;
      signalfd_siginfo taken{};
      if ((waits[0].revents & POLLIN) && ::read(signalFd_, &taken, sizeof taken) > 0) {
        stopped_ = true;
        fetcher.stop();
      }
    }
  }

  sigset_t signals_{};
  int signalFd_ = -1;
  int endFd_ = -1;
  std::atomic<bool> stopped_ = false;
  std::thread watcher_;
};

// The request as the command gives it, the rest as the window has it.
RangeRequest rangeOf(const FetchCommand& command, const Settings& window) {
  RangeRequest request;
  request.stations = command.stations;
  request.firstDay = command.firstDay;
  request.lastDay = command.lastDay;
  request.advancedSource = command.advanced;
  request.apiKey = command.key.value_or(window.apiKey);
  const std::string windowProxy = window.proxyEnabled ? window.proxyAddress : std::string();
  request.proxy = command.proxy.value_or(windowProxy);
  const std::string windowServer =
      window.serverAddress.empty() ? defaultServerAddress() : window.serverAddress;
  request.server = command.server.value_or(windowServer);
  request.jobs = command.jobs;
  request.rate = command.rate;
  return request;
}

int run(const FetchCommand& command) {
  const std::filesystem::path windowDir = windowProgramDirectory();
  const ProgramPlaces windowPlaces = programPlaces(windowDir);
  if (const auto left = moveEarlierFiles(windowPlaces, windowDir)) {
    std::cerr << earlierFilesLeftLine("skyrill-fetch", *left) << '\n';
  }
  if (command.folder.empty() && windowPlaces.dataFolder.empty()) {
    std::cerr << "skyrill-fetch: the window's History folder is not known (no home folder): "
                 "give --into\n";
    return kUsageStatus;
  }
  const Settings window = loadSettings(windowPlaces.settingsFile);
  const HistoryArchive archive =
      HistoryArchive::inFolder(command.folder.empty() ? historyFolder(windowPlaces.dataFolder)
                                                      : std::filesystem::path(command.folder));
  RangeRequest request = rangeOf(command, window);
  const auto trust = runTrust(window, request.server, command.trust, "skyrill-fetch");
  request.trust = trust.get();
  RangeFetcher fetcher(request, archive);
  Progress progress(request.stations.size() *
                    static_cast<std::size_t>(dayCount(request.firstDay, request.lastDay)));

  RangeReport report;
  bool interrupted = false;
  {
    const StopOnSignals signals(fetcher);
    report = fetcher.run([&progress](const DayResult& day, const RangeCounts& counts) {
      if (day.outcome == DayOutcome::Refused || day.outcome == DayOutcome::Failed) {
        const char* what = day.outcome == DayOutcome::Refused ? "refused" : "failed";
        progress.say(day.station + " " + dateText(day.date) + " " + what + ": " +
                     plainLines(day.message));
      }
      progress.show(counts);
    });
    interrupted = signals.stopped();
  }
  progress.endLine();

  const RangeCounts& counts = report.counts;
  if (!report.stopReason.empty()) std::cerr << "skyrill-fetch: " << report.stopReason << '\n';
  if (interrupted) std::cerr << "skyrill-fetch: stopped\n";
  std::cerr << "fetched " << counts.fetched << ", already there " << counts.alreadyThere
            << ", refused " << counts.refused << ", failed " << counts.failed;
  if (counts.done() < counts.total) std::cerr << ", not done " << counts.total - counts.done();
  std::cerr << " (of " << counts.total << " days into " << archive.root().string() << ")\n";
  for (const DayResult& day : report.problems) {
    std::cerr << "  " << day.station << " " << dateText(day.date)
              << (day.outcome == DayOutcome::Refused ? " refused" : " failed") << '\n';
  }
  return counts.fetched + counts.alreadyThere == counts.total ? 0 : 1;
}

}  // namespace
}  // namespace skyrill

int main(int argc, char** argv) {
  const int today = skyrill::localDateNumber(std::chrono::system_clock::now());
  return skyrill::runTool(
      argc, argv, "skyrill-fetch", skyrill::kFetchUsage,
      [today](const std::vector<std::string>& args, std::string& error) {
        return skyrill::parseFetchCommand(args, today, error);
      },
      skyrill::run);
}
