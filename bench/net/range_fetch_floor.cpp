// The least process that fetches a year of past days into a History folder as
// `skyrill-fetch --jobs 4 --rate 0` does, written plainly on libcurl and
// simdjson: a day already there is not asked for; each answer is checked to
// be JSON with a first record that has a time; each day is written into a
// temporary file beside its place, and every 64 days the file system is
// synced once, the files are renamed into place and their folder synced.
// bench_fetch_process times skyrill-fetch beside it, after checking that both
// leave the same files.
//
// Usage: range_fetch_floor BASE STATION YEAR FOLDER

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <simdjson.h>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kJobs = 4;
constexpr std::size_t kBatchDays = 64;

struct Day {
  std::string url;
  std::string folder;
  std::string file;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

// A first record with a time, as the answer check asks of a day.
bool isDay(simdjson::dom::parser& parser, const std::string& body) {
  simdjson::dom::element time;
  if (parser.parse(body).at_pointer("/res/0/time").get(time) != simdjson::SUCCESS) return false;
  std::string_view text;
  if (time.get(text) == simdjson::SUCCESS) return !text.empty();
  return time.is_number();
}

// Temporary files waiting for the next commit, shared by the threads.
class Batch {
 public:
  void add(std::string temp, const Day& day) {
    std::vector<Pending> full;
    {
      const std::lock_guard lock(mutex_);
      pending_.push_back({std::move(temp), day.folder, day.file});
      if (pending_.size() < kBatchDays) return;
      full.swap(pending_);
    }
    commit(full);
  }
  bool finish() {
    std::vector<Pending> rest;
    {
      const std::lock_guard lock(mutex_);
      rest.swap(pending_);
    }
    commit(rest);
    return ok_;
  }

 private:
  struct Pending {
    std::string temp;
    std::string folder;
    std::string file;
  };

  void commit(const std::vector<Pending>& files) {
    if (files.empty()) return;
    const int folder = ::open(files.front().folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool ok = folder >= 0 && ::syncfs(folder) == 0;
    for (const Pending& file : files)
      ok = ok && std::rename(file.temp.c_str(), file.file.c_str()) == 0;
    ok = ok && ::fsync(folder) == 0;
    if (folder >= 0) ::close(folder);
    if (!ok) ok_ = false;
  }

  std::mutex mutex_;
  std::vector<Pending> pending_;
  std::atomic<bool> ok_ = true;
};

bool writeTemp(const Day& day, const std::string& body, std::string& temp) {
  temp = day.file + ".tmp-" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written = ::write(fd, body.data(), body.size()) == static_cast<ssize_t>(body.size());
  return ::close(fd) == 0 && written;
}

void work(const std::vector<Day>& days, std::atomic<std::size_t>& next, Batch& batch,
          std::atomic<bool>& allDone) {
  CURL* curl = curl_easy_init();
  simdjson::dom::parser parser;
  std::string body;
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  for (std::size_t i; (i = next.fetch_add(1)) < days.size();) {
    const Day& day = days[i];
    body.clear();
    curl_easy_setopt(curl, CURLOPT_URL, day.url.c_str());
    long status = 0;
    const bool answered = curl_easy_perform(curl) == CURLE_OK &&
                          curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
                          status < 500;
    std::string temp;
    if (!answered || !isDay(parser, body) || !writeTemp(day, body, temp)) {
      allDone = false;
      continue;
    }
    batch.add(std::move(temp), day);
  }
  curl_easy_cleanup(curl);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fputs("usage: range_fetch_floor BASE STATION YEAR FOLDER\n", stderr);
    return 2;
  }
  const std::string base = argv[1], station = argv[2], year = argv[3];
  const std::string folder = std::string(argv[4]) + "/" + year;
  ::mkdir(argv[4], 0777);
  ::mkdir(folder.c_str(), 0777);
  static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int y = std::stoi(year);
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  std::vector<Day> days;
  for (int month = 1; month <= 12; ++month) {
    const int length = kMonthDays[month - 1] + (month == 2 && leap ? 1 : 0);
    for (int d = 1; d <= length; ++d) {
      char stamp[16];
      std::snprintf(stamp, sizeof stamp, "%s%02d%02d", year.c_str(), month, d);
      Day day{base + "/api/weather/" + station + "/history/?key=demo&date=" + year + "-" +
                  std::to_string(month) + "-" + std::to_string(d),
              folder, folder + "/0_" + station + "_0_" + stamp + ".json"};
      struct stat info {};
      if (::stat(day.file.c_str(), &info) != 0) days.push_back(std::move(day));
    }
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);
  std::atomic<std::size_t> next = 0;
  std::atomic<bool> allDone = true;
  Batch batch;
  std::vector<std::thread> threads;
  for (int i = 1; i < kJobs; ++i)
    threads.emplace_back(work, std::cref(days), std::ref(next), std::ref(batch), std::ref(allDone));
  work(days, next, batch, allDone);
  for (std::thread& thread : threads) thread.join();
  return batch.finish() && allDone ? 0 : 1;
}
