// From the start of the skyrill process to its window mapped on the X
// display, beside an empty Qt Widgets window and the same window with one
// text field, in interleaved rounds: the counters hold the medians in
// milliseconds, wall time and the CPU time the process has used by then
// (steadier on a busy machine), and the medians of the rounds' ratios (the
// time of this benchmark means nothing). Needs an X display:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bench/ui/bench_window_start
// (SKYRILL_START_PROGRAM=path/to/skyrill times another build's program.)
//
// The program runs from a folder of its own with its own settings, data and
// cache folders, so that nothing of the user's (or of the build tree) is
// read or written; it is ended with SIGTERM, as a desktop logout would.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Watches the display for top-level windows being mapped.
class MapWatcher {
 public:
  MapWatcher() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
    ready_ = true;
  }
  ~MapWatcher() { xcb_disconnect(connection_); }
  MapWatcher(const MapWatcher&) = delete;
  MapWatcher& operator=(const MapWatcher&) = delete;

  bool ready() const { return ready_; }

  // Drops the events so far.
  void drain() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
  }

  // The time the next top-level window that is not an override-redirect one
  // (a menu or tip) is mapped; nothing after `limit`.
  std::optional<Clock::time_point> nextMapped(Clock::time_point limit) {
    while (Clock::now() < limit) {
      xcb_generic_event_t* event = xcb_poll_for_event(connection_);
      if (event == nullptr) {
        if (xcb_connection_has_error(connection_) != 0) return std::nullopt;
        usleep(100);
        continue;
      }
      const Clock::time_point now = Clock::now();
      const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                          reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect == 0;
      std::free(event);
      if (mapped) return now;
    }
    return std::nullopt;
  }

 private:
  xcb_connection_t* connection_;
  bool ready_ = false;
};

struct Program {
  std::string file;
  std::vector<std::string> arguments;
  std::vector<std::string> environment;  // "NAME=value" entries added to the inherited ones
};

// The CPU time all the threads of a process have used, from their schedstat.
double cpuMs(pid_t pid) {
  double total = 0;
  std::error_code error;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
    std::ifstream stat(task.path() / "schedstat");
    unsigned long long nanoseconds = 0;
    if (stat >> nanoseconds) total += static_cast<double>(nanoseconds) / 1e6;
  }
  return total;
}

struct Start {
  double wallMs = -1;  // negative when no window came
  double cpuMs = 0;
};

// Starts the program, waits for its window to be mapped, ends it.
Start startToMapped(MapWatcher& watcher, const Program& program) {
  std::vector<std::string> environment(program.environment);
  for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> words = {program.file};
  words.insert(words.end(), program.arguments.begin(), program.arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  watcher.drain();
  const Clock::time_point start = Clock::now();
  pid_t child = 0;
  if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return {};
  const auto mapped = watcher.nextMapped(start + std::chrono::seconds(10));
  Start result;
  result.cpuMs = cpuMs(child);
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  if (mapped) result.wallMs = std::chrono::duration<double, std::milli>(*mapped - start).count();
  return result;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The skyrill program copied into a folder of its own, with settings, data
// and cache folders there: run from a copy it is no build tree's program.
// SKYRILL_START_PROGRAM names another build's program to time instead, to
// compare two builds against the same empty window.
Program isolatedSkyrill(const fs::path& folder) {
  fs::create_directories(folder / "bin");
  const fs::path program = folder / "bin" / "skyrill";
  const char* other = std::getenv("SKYRILL_START_PROGRAM");
  const fs::path source = other != nullptr && *other != '\0' ? other : SKYRILL_WINDOW_PROGRAM;
  fs::copy_file(source, program, fs::copy_options::overwrite_existing);
  return {program.string(),
          {},
          {"HOME=" + folder.string(), "XDG_CONFIG_HOME=" + (folder / "config").string(),
           "XDG_DATA_HOME=" + (folder / "data").string(),
           "XDG_CACHE_HOME=" + (folder / "cache").string()}};
}

void StartToMapped(benchmark::State& state) {
  MapWatcher watcher;
  if (!watcher.ready()) {
    state.SkipWithError("no X display: run under xvfb-run");
    return;
  }
  const fs::path folder = fs::temp_directory_path() / ("skyrill-start-" + std::to_string(getpid()));
  const std::vector<Program> programs = {isolatedSkyrill(folder),
                                         {SKYRILL_EMPTY_WINDOW, {}, {}},
                                         {SKYRILL_EMPTY_WINDOW, {"field"}, {}}};
  const std::array<const char*, 3> names = {"skyrill", "emptyWindow", "fieldWindow"};
  constexpr int kRounds = 21;
  std::array<std::vector<double>, 3> wallMs;
  std::array<std::vector<double>, 3> cpuTimeMs;
  std::vector<double> ratios;
  std::vector<double> cpuRatios;
  for (auto _ : state) {
    // Each program once first, for the disk cache.
    for (const Program& program : programs) startToMapped(watcher, program);
    for (int round = 0; round < kRounds; ++round) {
      std::array<Start, 3> starts;
      for (std::size_t i = 0; i < programs.size(); ++i)
        starts[i] = startToMapped(watcher, programs[i]);
      if (std::any_of(starts.begin(), starts.end(), [](const Start& s) { return s.wallMs <= 0; })) {
        state.SkipWithError("a window did not come");
        break;
      }
      for (std::size_t i = 0; i < programs.size(); ++i) {
        wallMs[i].push_back(starts[i].wallMs);
        cpuTimeMs[i].push_back(starts[i].cpuMs);
      }
      ratios.push_back(starts[0].wallMs / starts[1].wallMs);
      cpuRatios.push_back(starts[0].cpuMs / starts[1].cpuMs);
    }
  }
  std::error_code error;
  fs::remove_all(folder, error);
  if (ratios.empty()) return;
  for (std::size_t i = 0; i < programs.size(); ++i) {
    state.counters[std::string(names[i]) + "Ms"] = median(wallMs[i]);
    state.counters[std::string(names[i]) + "CpuMs"] = median(cpuTimeMs[i]);
  }
  state.counters["ratio"] = median(ratios);
  state.counters["cpuRatio"] = median(cpuRatios);
}

BENCHMARK(StartToMapped)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
