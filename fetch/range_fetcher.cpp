#include "fetch/range_fetcher.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <new>
#include <optional>
#include <thread>
#include <tuple>

#include "core/answer_check.h"
#include "core/calendar_date.h"
#include "core/cancel_flag.h"
#include "core/failure_notes.h"
#include "core/helper_threads.h"
#include "core/masked_text.h"
#include "json/json_document.h"
#include "net/data_service.h"
#include "store/observation_files.h"

namespace skyrill {
namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

std::optional<sys_days> toDays(int date) {
  const year_month_day day = calendarDate(date);
  if (!day.ok()) return std::nullopt;
  return sys_days(day);
}

int toDate(sys_days days) {
  return dateNumber(year_month_day(days));
}

// A request that failed on its way and may go through on another try: no
// connection, a time-out, a break in the answer, a server in trouble.
bool isPassingFailure(const WebResponse& response) {
  switch (response.failure) {
    case WebFailure::None:
      return response.status >= 500;
    case WebFailure::ConnectionRefused:
    case WebFailure::Unreachable:
    case WebFailure::TimedOut:
    case WebFailure::ConnectionBroken:
    case WebFailure::NothingReceived:
      return true;
    default:
      return false;
  }
}

// The service will not take the key, or cannot be trusted with it: no day
// of any station will come.
bool refusesEveryDay(const WebResponse& response) {
  return response.status == 401 || response.status == 403 ||
         response.failure == WebFailure::UntrustedCertificate ||
         response.failure == WebFailure::CertificateChanged;
}

// A request that brought no answer, or one no service would send: after
// many of these in a row the service is taken to be down or hostile.
bool failedOnTheWay(const WebResponse& response) {
  return isPassingFailure(response) || response.failure == WebFailure::TooLarge ||
         response.failure == WebFailure::HeadersTooLarge;
}

}  // namespace

bool isStationText(std::string_view text) {
  return !text.empty() && text.size() <= 5 && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
  });
}

int localDateNumber(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

int nextDay(int date) {
  const auto days = toDays(date);
  return days ? toDate(*days + std::chrono::days(1)) : date;
}

int previousDay(int date) {
  const auto days = toDays(date);
  return days ? toDate(*days - std::chrono::days(1)) : date;
}

int dayCount(int first, int last) {
  const auto from = toDays(first);
  const auto to = toDays(last);
  if (!from || !to || *to < *from) return 0;
  return static_cast<int>((*to - *from).count()) + 1;
}

RangeProblem checkRange(const RangeRequest& request, int today) {
  if (request.stations.empty()) return RangeProblem::NoStation;
  if (!std::all_of(request.stations.begin(), request.stations.end(), isStationText)) {
    return RangeProblem::BadStation;
  }
  if (!toDays(request.firstDay) || !toDays(request.lastDay)) return RangeProblem::BadDate;
  if (request.lastDay < request.firstDay) return RangeProblem::LastBeforeFirst;
  if (request.lastDay >= today) return RangeProblem::NotPast;
  const int years = request.lastDay / 10000 - request.firstDay / 10000;
  const bool longer =
      years > kMaxRangeYears ||
      (years == kMaxRangeYears && request.lastDay % 10000 >= request.firstDay % 10000);
  return longer ? RangeProblem::TooLong : RangeProblem::None;
}

std::optional<RangeRequest> pastDaysRequest(const RangeRequest& settings,
                                            const std::vector<std::string>& stations, int first,
                                            int last, int today) {
  RangeRequest request = settings;
  request.stations = stations;
  request.firstDay = first;
  request.lastDay = std::min(last, previousDay(today));
  if (request.lastDay < request.firstDay) return std::nullopt;
  return request;
}

struct RangeFetcher::Day {
  std::string station;
  int date = 0;
};

// What one of the run's threads keeps: its open connections and the flag that
// gives up its request.
struct RangeFetcher::Worker {
  WebSession session;
  CancelFlag cancel;
};

// The days written but not yet in place.
struct RangeFetcher::Batch {
  WholeFileBatch files;
  std::vector<DayResult> days;
  std::chrono::steady_clock::time_point started;
};

RangeFetcher::RangeFetcher(RangeRequest request, const HistoryArchive& archive)
    : request_(std::move(request)), archive_(archive) {
  for (const std::string& station : request_.stations) {
    for (int date = request_.firstDay; date <= request_.lastDay; date = nextDay(date)) {
      days_.push_back({station, date});
      if (nextDay(date) == date) break;  // no date: the range was not checked
    }
  }
}

RangeFetcher::~RangeFetcher() = default;

RangeReport RangeFetcher::run(const DayReporter& report) {
  {
    const std::lock_guard lock(mutex_);
    reporter_ = report;
    report_ = {};
    report_.counts.total = days_.size();
    std::error_code error;
    if (!archive_.makeRoot(error)) {
      report_.stopped = true;
      report_.stopReason = "无法写入 " + archive_.root().string() + "：" + error.message();
      return report_;
    }
    const unsigned jobs = std::max(
        1u, std::min<unsigned>({request_.jobs, kMaxJobs, static_cast<unsigned>(days_.size())}));
    for (unsigned i = 0; i < jobs; ++i) workers_.push_back(std::make_unique<Worker>());
    if (stopping_) {
      for (auto& worker : workers_) worker->cancel.cancel();
    }
  }
  std::atomic<std::size_t> nextWorker{1};
  runWithHelpers(
      static_cast<unsigned>(workers_.size() - 1),
      [this, &nextWorker](bool onCaller) {
        work(*workers_[onCaller ? 0 : nextWorker.fetch_add(1)]);
      },
      [this] { stop(); });
  // What was fetched before the end or a stop is saved all the same.
  commit(*takeBatch());

  const std::lock_guard lock(mutex_);
  report_.stopped = stopping_;
  if (lastSavedDate_ != 0) {
    report_.lastSaved =
        archive_.pastDayFile(lastSavedStation_, lastSavedDate_, request_.advancedSource).string();
  }
  std::sort(report_.problems.begin(), report_.problems.end(),
            [](const DayResult& a, const DayResult& b) {
              return std::tie(a.station, a.date) < std::tie(b.station, b.date);
            });
  return report_;
}

void RangeFetcher::stop() {
  const std::lock_guard lock(mutex_);
  stopping_ = true;
  for (auto& worker : workers_) worker->cancel.cancel();
  wake_.notify_all();
}

void RangeFetcher::work(Worker& worker) {
  for (std::size_t index; !stopping_ && (index = next_.fetch_add(1)) < days_.size();) {
    const std::optional<DayResult> result = fetchDay(worker, days_[index]);
    if (result && result->outcome != DayOutcome::Stopped) settle(*result);
    commitAgedBatch();
  }
}

std::optional<DayResult> RangeFetcher::fetchDay(Worker& worker, const Day& day) {
  DayResult result{day.station, day.date, DayOutcome::Stopped, {}};
  if (archive_.holdsPastDay(day.station, day.date, request_.advancedSource)) {
    result.outcome = DayOutcome::AlreadyThere;
    return result;
  }
  {
    const std::lock_guard lock(mutex_);
    const bool stationRefused = std::find(refusedStations_.begin(), refusedStations_.end(),
                                          day.station) != refusedStations_.end();
    if (keyRefused_ || stationRefused) {
      result.outcome = DayOutcome::Refused;
      result.message = refusalMessage_;
      return result;
    }
  }

  QueryRequest query;
  query.mode = QueryMode::History;
  query.stationNumber = day.station;
  setRequestDate(query, day.date);
  query.advancedSource = request_.advancedSource;
  query.apiKey = request_.apiKey;
  query.proxyEnabled = !request_.proxy.empty();
  query.proxyAddress = request_.proxy;
  const DataService service(request_.server, request_.limits, request_.trust);

  for (std::size_t attempt = 0;; ++attempt) {
    commitAgedBatch();
    if (attempt > 0 && !pause(request_.retryPauses[attempt - 1])) return result;
    if (!waitForTurn()) return result;
    WebResponse response = service.exchange(query, &worker.cancel, &worker.session);
    if (response.failure == WebFailure::Cancelled) return result;
    // No day is refused for memory that ran out, here or reading the answer:
    // the run ends as the tools end on it.
    if (response.failure == WebFailure::OutOfMemory) throw std::bad_alloc();
    // What came back may echo the request's address, key and all.
    const std::string note = maskedText(DataService::noteOn(query, response), query.apiKey);
    countExchange(failedOnTheWay(response), note);

    const std::string text = decodeAnswer(response.body);
    JsonDocument document;
    const bool parsed = document.parse(text);
    const CheckedAnswer check = checkAnswer(text, parsed, document, recordPrefix(query.mode));
    if (check.outcome == AnswerCheck::OutOfMemory) throw std::bad_alloc();
    const bool passing = isPassingFailure(response);
    if (check.outcome == AnswerCheck::Ok && !passing) {
      result.outcome = DayOutcome::Fetched;
      if (!stage(result, query.year, makeSuggestedFileName(query, {}), response.body)) {
        result.outcome = DayOutcome::Stopped;
        return result;
      }
      return std::nullopt;
    }
    result.message = maskedText(withNote(check.message, note), query.apiKey);
    if (stopping_) return result;
    if (passing && attempt < request_.retryPauses.size()) continue;
    result.outcome = passing ? DayOutcome::Failed : DayOutcome::Refused;
    if (!passing) {
      const std::lock_guard lock(mutex_);
      if (refusesEveryDay(response)) keyRefused_ = true;
      if (check.outcome == AnswerCheck::ServiceError) refusedStations_.push_back(day.station);
      refusalMessage_ = result.message;
    }
    return result;
  }
}

// Waits for the next request's turn under the rate bound; false when the run
// stops meanwhile.
bool RangeFetcher::waitForTurn() {
  if (request_.rate <= 0) return !stopping_;
  std::unique_lock lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  const auto turn = std::max(now, nextRequest_);
  nextRequest_ = turn + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(1.0 / request_.rate));
  return !wake_.wait_until(lock, turn, [this] { return stopping_.load(); });
}

// Waits before another try; false when the run stops meanwhile.
bool RangeFetcher::pause(std::chrono::milliseconds length) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, length, [this] { return stopping_.load(); });
}

void RangeFetcher::settle(const DayResult& result) {
  const std::lock_guard lock(mutex_);
  RangeCounts& counts = report_.counts;
  switch (result.outcome) {
    case DayOutcome::Fetched:
      ++counts.fetched;
      break;
    case DayOutcome::AlreadyThere:
      ++counts.alreadyThere;
      break;
    case DayOutcome::Refused:
      ++counts.refused;
      report_.problems.push_back(result);
      break;
    case DayOutcome::Failed:
      ++counts.failed;
      report_.problems.push_back(result);
      break;
    case DayOutcome::Stopped:
      break;
  }
  const bool held =
      result.outcome == DayOutcome::Fetched || result.outcome == DayOutcome::AlreadyThere;
  if (held && result.date > lastSavedDate_) {
    lastSavedStation_ = result.station;
    lastSavedDate_ = result.date;
  }
  if (reporter_) reporter_(result, counts);
}

// Commits when the batch is full or has waited long enough to be seen.
constexpr std::size_t kBatchDays = 64;
constexpr std::chrono::milliseconds kBatchWait{500};

bool RangeFetcher::stage(const DayResult& day, const std::string& yearText,
                         const std::string& fileName, const std::string& bytes) {
  const std::filesystem::path file = archive_.placeOf(yearText, fileName);
  std::unique_ptr<Batch> full;
  {
    const std::lock_guard lock(batchMutex_);
    if (!batch_) batch_ = std::make_unique<Batch>();
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error || !batch_->files.add(file, bytes, error)) {
      stopWithReason("无法保存 " + file.string() + "：" + error.message());
      return false;
    }
    if (batch_->days.empty()) batch_->started = std::chrono::steady_clock::now();
    batch_->days.push_back(day);
    if (batch_->days.size() >= kBatchDays ||
        std::chrono::steady_clock::now() - batch_->started >= kBatchWait) {
      full = std::move(batch_);
    }
  }
  if (full) commit(*full);
  return true;
}

std::unique_ptr<RangeFetcher::Batch> RangeFetcher::takeBatch() {
  const std::lock_guard lock(batchMutex_);
  return batch_ ? std::move(batch_) : std::make_unique<Batch>();
}

void RangeFetcher::commitAgedBatch() {
  std::unique_ptr<Batch> aged;
  {
    const std::lock_guard lock(batchMutex_);
    if (batch_ && !batch_->days.empty() &&
        std::chrono::steady_clock::now() - batch_->started >= kBatchWait) {
      aged = std::move(batch_);
    }
  }
  if (aged) commit(*aged);
}

void RangeFetcher::commit(Batch& batch) {
  std::error_code error;
  const bool committed = batch.files.commit(error);
  // The days put in place count, even when a later one could not be.
  for (std::size_t i = 0; i < batch.files.placed(); ++i) settle(batch.days[i]);
  if (!committed) {
    stopWithReason("无法保存 " + archive_.root().string() + "：" + error.message());
  }
}

void RangeFetcher::countExchange(bool failed, const std::string& note) {
  {
    const std::lock_guard lock(mutex_);
    failedInARow_ = failed ? failedInARow_ + 1 : 0;
    if (failedInARow_ < kMaxFailedInARow) return;
  }
  stopWithReason("连续 " + std::to_string(kMaxFailedInARow) + " 次请求失败，已停止。最后一次：" +
                 note);
}

void RangeFetcher::stopWithReason(const std::string& reason) {
  {
    const std::lock_guard lock(mutex_);
    if (report_.stopReason.empty()) report_.stopReason = reason;
  }
  stop();
}

}  // namespace skyrill
