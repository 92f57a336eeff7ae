#include "core/query_pipeline.h"

#include <ctime>

#include "core/answer_check.h"
#include "core/daily_summary.h"

namespace skyrill {
namespace {

constexpr std::string_view kUnknownModeMessage = "无法识别文件名中的数据模式，未打开该文件。";
constexpr std::string_view kOpenFileTitle = "打开文件";

bool isKnownMode(int modeNumber) {
  return modeNumber == 0 || modeNumber == 1;
}

}  // namespace

std::string formatLocalTime(std::chrono::system_clock::time_point time, const char* format) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &local));
}

QueryPipeline::QueryPipeline(QueryView& view, AnswerSource* source, DayArchive* archive)
    : view_(view),
      source_(source),
      archive_(archive),
      clock_([] { return std::chrono::system_clock::now(); }) {}

bool QueryPipeline::runQuery(QueryMode mode, bool rememberMode, bool displayOnly) {
  view_.setFetchEnabled(false);
  state_.busy = true;
  if (rememberMode) {
    state_.rememberedMode = mode;
  } else {
    mode = state_.rememberedMode;
  }
  QueryRequest request = view_.readRequest();
  request.mode = mode;

  if (!displayOnly) {
    state_.responseBytes = source_ ? source_->fetch(request) : std::string();
    state_.responseText = decodeAnswer(state_.responseBytes);
  }

  // A refused answer must not replace the document of the day still on
  // display: a data grid opened after the failure reads it.
  JsonDocument answer;
  const bool parsed = answer.parse(state_.responseText);
  const CheckedAnswer check = checkAnswer(state_.responseText, parsed, answer, recordPrefix(mode));
  if (check.outcome != AnswerCheck::Ok) {
    return failRun({check.message, std::string(kFailureTitle), MessageIcon::Warning, check.detail});
  }
  state_.document = std::move(answer);

  present(request, mode, !displayOnly);
  state_.displayedMode = mode;
  view_.refreshTable();
  state_.busy = false;
  view_.setFetchEnabled(true);

  if (displayOnly || archive_ == nullptr) {
    state_.suggestedFileName.clear();
    return true;
  }
  state_.suggestedFileName = archive_->suggestFileName(request);
  archive_->autoSave(request, state_.suggestedFileName, state_.responseBytes);
  return true;
}

// Extracts the day from the parsed document and shows it: menu captions,
// charts, title and status panels.
void QueryPipeline::present(const QueryRequest& request, QueryMode mode, bool fetched) {
  extractDaySeries(state_.document, mode, request.windVariant, request.visibilityVariant,
                   state_.series);
  view_.showVariantCaptions(windMenuCaption(request.windVariant),
                            visibilityMenuCaption(request.visibilityVariant));
  attachPrecipitationLabels(state_.series);
  view_.drawDay(state_.series);
  const DailySummary summary = computeDailySummary(state_.series);
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
  return false;
}

void QueryPipeline::redisplay() {
  if (!state_.responseText.empty()) runQuery(state_.rememberedMode, false, true);
}

bool QueryPipeline::openDayText(std::string_view fileBytes, std::string_view fileName,
                                bool realtimeTicked) {
  state_.responseText = decodeAnswer(fileBytes);
  state_.sourceLabel = kLocalFileLabel;
  const int modeNumber = modeNumberFromFileName(fileName, realtimeTicked);
  if (!isKnownMode(modeNumber)) {
    // No request and no record prefix exist for such a mode.
    view_.setFetchEnabled(false);
    state_.busy = true;
    return failRun(
        {std::string(kUnknownModeMessage), std::string(kOpenFileTitle), MessageIcon::Warning, {}});
  }
  return runQuery(static_cast<QueryMode>(modeNumber), true, true);
}

}  // namespace skyrill
