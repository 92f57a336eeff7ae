#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "archive/history_archive.h"
#include "net/web_client.h"
#include "store/whole_file.h"

// Many past days of one or more stations fetched into the History archive at
// once: each day asked for, checked and named as the window does it, saved
// whole, days already held skipped, passing failures tried again.
namespace skyrill {

// What to fetch and how.
struct RangeRequest {
  std::vector<std::string> stations;
  int firstDay = 0;  // YYYYMMDD, included
  int lastDay = 0;   // YYYYMMDD, included
  bool advancedSource = false;
  std::string apiKey;
  std::string proxy;   // "host:port"; empty for a direct connection
  std::string server;  // the data service's base address
  unsigned jobs = 4;   // requests in flight at most; no more than kMaxJobs
  double rate = 10;    // requests per second at most; 0 for no bound
  WebLimits limits;    // the window's limits for one request
  // The certificates secure requests accept beyond the system's trust store;
  // none when null. Must outlive the run.
  const CertificateTrust* trust = nullptr;
  // The pauses before the second, third and fourth try of a day whose
  // request failed on the way (no connection, a time-out, a 5xx status, a
  // cut-off body). A refusal by the service is never tried again.
  std::vector<std::chrono::milliseconds> retryPauses = {
      std::chrono::seconds(1), std::chrono::seconds(2), std::chrono::seconds(4)};
};

// Why a range cannot be fetched.
enum class RangeProblem {
  None,
  NoStation,        // no station given
  BadStation,       // a station text that is no station number
  BadDate,          // a day that is no date
  LastBeforeFirst,  // the last day lies before the first
  NotPast,          // a day that is today or later: only past days are fetched
  TooLong,          // more than 20 years
};

inline constexpr int kMaxRangeYears = 20;

// Requests in flight at most: a service gives no more than a few at once,
// and each request may hold a day's largest answer in memory.
inline constexpr unsigned kMaxJobs = 16;

// Requests in a row that fail on the way (no connection, a time-out, a 5xx
// status, a cut-off or runaway answer), retries included, with no answer in
// between, after which a run stops: the service is down or will not serve.
inline constexpr int kMaxFailedInARow = 12;

// A station number as the service knows them: 1 to 5 ASCII letters or digits.
bool isStationText(std::string_view text);

// The first problem of a request, on the day `today` (YYYYMMDD).
RangeProblem checkRange(const RangeRequest& request, int today);

// The local date of a time as YYYYMMDD; the day after and before one.
int localDateNumber(std::chrono::system_clock::time_point time);
int nextDay(int date);
int previousDay(int date);
// How many days lie from `first` to `last`, both included.
int dayCount(int first, int last);

// The settings' request for the stations' days from `first` to `last` that
// are past on `today` (a day's answer is final once it is over); nothing
// when none of them is.
std::optional<RangeRequest> pastDaysRequest(const RangeRequest& settings,
                                            const std::vector<std::string>& stations, int first,
                                            int last, int today);

enum class DayOutcome {
  Fetched,       // asked for and saved
  AlreadyThere,  // its past-day file was in the archive: not asked for
  Refused,       // the answer failed its check; nothing saved
  Failed,        // no answer after every try; nothing saved
  Stopped,       // the run stopped before the day was done
};

struct DayResult {
  std::string station;
  int date = 0;
  DayOutcome outcome = DayOutcome::Stopped;
  std::string message;  // the window's message, for a refused or failed day
};

// Where a run stands.
struct RangeCounts {
  std::size_t total = 0;
  std::size_t fetched = 0;
  std::size_t alreadyThere = 0;
  std::size_t refused = 0;
  std::size_t failed = 0;
  std::size_t done() const { return fetched + alreadyThere + refused + failed; }
};

// How a run ended.
struct RangeReport {
  RangeCounts counts;
  std::vector<DayResult> problems;  // the refused and failed days, by station and date
  bool stopped = false;             // stopped on request or by itself
  // Why the run stopped by itself, if it did: the archive's folder could not
  // be written, a write failed, or the service failed request after request.
  std::string stopReason;
  std::string lastSaved;  // the file of the latest day now in the archive
};

class RangeFetcher {
 public:
  // Called with each day as it is settled, from the run's threads one at a
  // time, with the counts so far.
  using DayReporter = std::function<void(const DayResult&, const RangeCounts&)>;

  RangeFetcher(RangeRequest request, const HistoryArchive& archive);
  ~RangeFetcher();
  RangeFetcher(const RangeFetcher&) = delete;
  RangeFetcher& operator=(const RangeFetcher&) = delete;

  // Fetches the range on the calling thread and `jobs` helpers, until every
  // day is settled or the run is stopped. The archive's folder is made and
  // found writable before the first request. Memory that runs out ends the
  // run with std::bad_alloc.
  RangeReport run(const DayReporter& report = {});

  // Ends a run at once, from any thread: requests under way are given up,
  // pauses end; days saved stay and no half-written file remains.
  void stop();

 private:
  struct Day;
  struct Worker;

  void work(Worker& worker);
  // The day's result; nothing when it is saved with the next batch.
  std::optional<DayResult> fetchDay(Worker& worker, const Day& day);
  // Writes a fetched day into the batch; false when the write failed.
  bool stage(const DayResult& day, const std::string& yearText, const std::string& fileName,
             const std::string& bytes);
  struct Batch;
  // Takes the batch being filled, leaving an empty one.
  std::unique_ptr<Batch> takeBatch();
  // Commits the batch being filled when it has waited long enough, so that
  // a day does not wait for the next one while others are retried.
  void commitAgedBatch();
  // Puts the batch's days in place and counts them; a failure stops the run.
  void commit(Batch& batch);
  bool waitForTurn();
  bool pause(std::chrono::milliseconds length);
  void settle(const DayResult& result);
  // Counts a request that failed on the way, or ends the count with one that
  // was answered; stops the run at kMaxFailedInARow.
  void countExchange(bool failedOnTheWay, const std::string& note);
  void stopWithReason(const std::string& reason);

  RangeRequest request_;
  const HistoryArchive& archive_;
  std::vector<Day> days_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stopping_{false};
  std::vector<std::unique_ptr<Worker>> workers_;

  // Fetched days are written in batches: one sync of the disk for many days.
  // A full batch is committed outside the lock while the next one fills.
  std::mutex batchMutex_;  // guards the batch being filled
  std::unique_ptr<Batch> batch_;

  std::mutex mutex_;  // guards what follows
  std::condition_variable wake_;
  std::chrono::steady_clock::time_point nextRequest_{};
  std::vector<std::string> refusedStations_;  // the service knows them not
  bool keyRefused_ = false;  // the key or the server's certificate refused: no day will come
  int failedInARow_ = 0;
  std::string refusalMessage_;
  RangeReport report_;
  // The latest day now in the archive.
  std::string lastSavedStation_;
  int lastSavedDate_ = 0;
  DayReporter reporter_;
};

}  // namespace skyrill
