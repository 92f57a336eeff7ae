#include "core/query_pipeline.h"

#include <ctime>
#include <new>

#include "core/answer_check.h"
#include "core/daily_summary.h"
#include "core/masked_text.h"

namespace skyrill {
namespace {

constexpr std::string_view kOpenFileTitle = "打开文件";

}  // namespace

std::optional<QueryMode> openedFileMode(std::string_view fileName, bool realtimeTicked) {
  const int modeNumber = modeNumberFromFileName(fileName, realtimeTicked);
  if (modeNumber != 0 && modeNumber != 1) return std::nullopt;
  return static_cast<QueryMode>(modeNumber);
}

FileProblem openedFileProblem(std::string_view fileBytes, FileProblem problem) {
  return problem == FileProblem::None && fileBytes.empty() ? FileProblem::Empty : problem;
}

CheckedAnswer parseAndCheckAnswer(std::string_view text, JsonDocument& answer, QueryMode mode) {
  try {
    const bool parsed = answer.parse(text);
    return checkAnswer(text, parsed, answer, recordPrefix(mode));
  } catch (const std::bad_alloc&) {
    return outOfMemoryAnswer();
  }
}

std::string refusalText(const CheckedAnswer& check, std::string_view note,
                        std::string_view apiKey) {
  return maskedText(withNote(check.message, note), apiKey);
}

std::string formatLocalTime(std::chrono::system_clock::time_point time, const char* format) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &local));
}

// A fetching run between its request and its end. The runner's work holds
// it as long as the request lasts; `pipeline` is cleared when the run is
// cancelled or the pipeline goes, so that a late end is dropped.
struct QueryPipeline::PendingFetch {
  QueryPipeline* pipeline = nullptr;
  QueryRequest request;
  QueryMode previousMode = QueryMode::History;  // restored when cancelled
  CancelFlag cancel;
  FetchedAnswer answer;
};

QueryPipeline::QueryPipeline(QueryView& view, AnswerSource* source, DayArchive* archive,
                             TaskRunner* runner)
    : view_(view),
      source_(source),
      archive_(archive),
      runner_(runner ? *runner : inlineRunner_),
      clock_([] { return std::chrono::system_clock::now(); }) {}

QueryPipeline::~QueryPipeline() {
  if (!pending_) return;
  pending_->pipeline = nullptr;
  pending_->cancel.cancel();
}

bool QueryPipeline::runQuery(QueryMode mode, bool rememberMode, bool displayOnly) {
  if (state_.busy) return false;  // runs never overlap
  const QueryMode previousMode = state_.rememberedMode;
  if (!rememberMode) mode = previousMode;
  QueryRequest request = beginRun(mode);
  if (displayOnly) return showAnswer(std::move(request), mode, false, {});
  lastRunShown_ = false;
  startFetch(request, previousMode);
  return lastRunShown_;  // still false while the request runs in the background
}

QueryRequest QueryPipeline::beginRun(QueryMode mode) {
  state_.busy = true;  // first: the view asks it when the button goes grey
  view_.setFetchEnabled(false);
  state_.rememberedMode = mode;
  QueryRequest request = view_.readRequest();
  request.mode = mode;
  return request;
}

void QueryPipeline::startFetch(const QueryRequest& request, QueryMode previousMode) {
  auto fetch = std::make_shared<PendingFetch>();
  fetch->pipeline = this;
  fetch->request = request;
  fetch->previousMode = previousMode;
  pending_ = fetch;
  runner_.run(
      [fetch, source = source_] {
        if (source) fetch->answer = source->fetch(fetch->request, &fetch->cancel);
      },
      [fetch] {
        if (fetch->pipeline) fetch->pipeline->endFetch(*fetch);
      });
}

void QueryPipeline::endFetch(PendingFetch& fetch) {
  pending_.reset();
  fetch.pipeline = nullptr;
  state_.responseBytes = std::move(fetch.answer.bytes);
  state_.responseText = decodeAnswer(state_.responseBytes);
  state_.heldTextKey = fetch.request.apiKey;
  // The variants are the ones ticked now: the user may have chosen another
  // while the request ran, and the menus show that one.
  QueryRequest request = fetch.request;
  const QueryRequest now = view_.readRequest();
  request.windVariant = now.windVariant;
  request.visibilityVariant = now.visibilityVariant;
  const std::string note = std::move(fetch.answer.note);
  lastRunShown_ = showAnswer(request, request.mode, true, [&note](AnswerCheck) { return note; });
  if (!lastRunShown_ && fetch.answer.refusedCertificate) {
    view_.offerCertificate(*fetch.answer.refusedCertificate);
  }
}

bool QueryPipeline::cancelFetch() {
  if (!pending_) return false;
  pending_->pipeline = nullptr;
  pending_->cancel.cancel();
  state_.rememberedMode = pending_->previousMode;
  pending_.reset();
  state_.busy = false;
  view_.setFetchEnabled(true);
  endRun();
  return true;
}

bool QueryPipeline::showAnswer(QueryRequest request, QueryMode mode, bool fetched,
                               const Explanation& explain) {
  // A refused answer must not replace the document of the day still on
  // display: a data grid opened after the failure reads it.
  JsonDocument answer;
  const CheckedAnswer check = parseAndCheckAnswer(state_.responseText, answer, mode);
  lastOutcome_ = check.outcome;
  if (check.outcome != AnswerCheck::Ok) {
    const std::string note = explain ? explain(check.outcome) : std::string();
    // What came back may echo the request's address, key and all.
    return failRun({refusalText(check, note, request.apiKey), std::string(kFailureTitle),
                    MessageIcon::Warning, maskedText(check.detail, request.apiKey)});
  }
  state_.document = std::move(answer);

  present(request, mode, fetched);
  state_.displayedMode = mode;
  view_.refreshTable();
  state_.busy = false;
  view_.setFetchEnabled(true);

  if (!fetched || archive_ == nullptr) {
    state_.suggestedFileName.clear();
  } else {
    state_.suggestedFileName = archive_->suggestFileName(request);
    archive_->autoSave(request, state_.suggestedFileName, state_.responseBytes);
  }
  endRun();
  return true;
}

void QueryPipeline::present(const QueryRequest& request, QueryMode mode, bool fetched) {
  const DayNumbers numbers = extractDaySeries(state_.document, mode, request.windVariant,
                                              request.visibilityVariant, state_.series);
  view_.showVariantCaptions(windMenuCaption(request.windVariant),
                            visibilityMenuCaption(request.visibilityVariant));
  attachPrecipitationLabels(state_.series, numbers);
  view_.drawDay(state_.series);
  const DailySummary summary = computeDailySummary(state_.series, numbers);
  if (fetched) state_.sourceLabel = formatLocalTime(clock_());
  view_.showTitle(composeDayTitle(mode, state_.document));
  view_.showStatusLines(
      composeStatusLines(summary, state_.series.maxVisibilityClass, state_.sourceLabel));
}

// The failure exit: the message first, then the held answer is dropped; what
// is on screen stays as it was.
bool QueryPipeline::failRun(const UserMessage& message) {
  view_.showMessage(message);
  state_.responseBytes.clear();
  state_.responseText.clear();
  state_.busy = false;
  view_.setFetchEnabled(true);
  endRun();
  return false;
}

void QueryPipeline::endRun() {
  view_.runFinished();
}

void QueryPipeline::redisplay() {
  if (!state_.responseText.empty()) runQuery(state_.rememberedMode, false, true);
}

bool QueryPipeline::openDayText(std::string_view fileBytes, std::string_view fileName,
                                bool realtimeTicked, FileProblem problem) {
  if (state_.busy) return false;
  problem = openedFileProblem(fileBytes, problem);
  state_.responseText = decodeAnswer(fileBytes);
  state_.sourceLabel = kLocalFileLabel;
  const std::optional<QueryMode> opened = openedFileMode(fileName, realtimeTicked);
  if (!opened) {
    // No request and no record prefix exist for such a mode.
    state_.busy = true;
    view_.setFetchEnabled(false);
    return failRun(
        {std::string(kUnknownModeMessage), std::string(kOpenFileTitle), MessageIcon::Warning, {}});
  }
  const QueryMode mode = *opened;
  const std::string name(fileName);
  QueryRequest request = beginRun(mode);
  state_.heldTextKey = request.apiKey;
  return showAnswer(std::move(request), mode, false, [this, &name, problem](AnswerCheck outcome) {
    return fileFailureNote(name, problem, outcome, state_.responseText);
  });
}

}  // namespace skyrill
