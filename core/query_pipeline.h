#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "core/day_series.h"
#include "core/day_texts.h"
#include "core/query_types.h"
#include "json/json_document.h"

namespace skyrill {

// What survives between runs.
struct QueryState {
  QueryMode rememberedMode = QueryMode::History;  // mode of the last run allowed to set it
  std::string responseBytes;                      // last fetched body exactly as received
  std::string responseText;  // the text being shown; non-empty means a day is loaded
  JsonDocument document;     // parse of the answer on display; a refused one leaves it
  DaySeries series;
  bool busy = false;        // true while a run is under way
  std::string sourceLabel;  // fetch time YYYY/MM/DD HH:MM:SS, or "本地文件"
  QueryMode displayedMode = QueryMode::History;
  std::string suggestedFileName;  // set by fetching runs, emptied by display-only runs
};

// Source label of a day opened from a file.
inline constexpr std::string_view kLocalFileLabel = "本地文件";

enum class MessageIcon { None, Information, Warning, Question, Error };

struct UserMessage {
  std::string text;  // lines separated by "\r\n"
  std::string title;
  MessageIcon icon = MessageIcon::None;
  std::string detail;  // what a long text loses in the box, for a log; not shown
};

// What a run needs of the main window.
class QueryView {
 public:
  virtual ~QueryView() = default;
  // The inputs of the run as the window shows them now.
  virtual QueryRequest readRequest() = 0;
  // Disables the fetch button at the start of a run, enables it at the end.
  virtual void setFetchEnabled(bool enabled) = 0;
  // Shows a modal message and returns when the user has closed it.
  virtual void showMessage(const UserMessage& message) = 0;
  // New captions of the wind and visibility menu titles.
  virtual void showVariantCaptions(const std::string& windCaption,
                                   const std::string& visibilityCaption) = 0;
  // Draws the chart and the wind strip of the series.
  virtual void drawDay(const DaySeries& series) = 0;
  virtual void showTitle(const std::string& title) = 0;
  // The eleven status panels, in writing order.
  virtual void showStatusLines(const std::array<StatusLine, kStatusLineCount>& lines) = 0;
  // Refills the data grid when its window is open.
  virtual void refreshTable() {}
};

// Fetches the answer bytes of a request; empty on any network failure.
class AnswerSource {
 public:
  virtual ~AnswerSource() = default;
  virtual std::string fetch(const QueryRequest& request) = 0;
};

// Names fetched days and saves them when auto-save is on.
class DayArchive {
 public:
  virtual ~DayArchive() = default;
  virtual std::string suggestFileName(const QueryRequest& request) = 0;
  virtual void autoSave(const QueryRequest& request, std::string_view fileName,
                        std::string_view bytes) = 0;
};

// The one road from a station-day to what the window shows.
class QueryPipeline {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // source and archive may be null: runs then fetch nothing / save nothing.
  QueryPipeline(QueryView& view, AnswerSource* source, DayArchive* archive);

  // One run. With rememberMode the mode is used and remembered, otherwise the
  // remembered mode is used. displayOnly re-shows the held text without a
  // request. True when the day was shown.
  bool runQuery(QueryMode mode, bool rememberMode, bool displayOnly);

  // A variant was chosen: re-shows the held text, when there is one.
  void redisplay();

  // Shows an opened observation file from its bytes. The mode comes from the
  // file name; a name carrying a mode other than 0 or 1 is refused with a
  // message and drops the held text.
  bool openDayText(std::string_view fileBytes, std::string_view fileName, bool realtimeTicked);

  const QueryState& state() const { return state_; }
  QueryState& state() { return state_; }

  void setClock(Clock clock) { clock_ = std::move(clock); }

 private:
  bool failRun(const UserMessage& message);
  void present(const QueryRequest& request, QueryMode mode, bool fetched);

  QueryView& view_;
  AnswerSource* source_;
  DayArchive* archive_;
  QueryState state_;
  Clock clock_;
};

// Local time in a strftime format; by default YYYY/MM/DD HH:MM:SS.
std::string formatLocalTime(std::chrono::system_clock::time_point time,
                            const char* format = "%Y/%m/%d %H:%M:%S");

}  // namespace skyrill
