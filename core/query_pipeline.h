#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/answer_check.h"
#include "core/cancel_flag.h"
#include "core/day_series.h"
#include "core/day_texts.h"
#include "core/failure_notes.h"
#include "core/query_types.h"
#include "core/server_certificate.h"
#include "core/task_runner.h"
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
  // The API key of the request that brought the held text (for an opened
  // file, the key set then): an answer may echo it, and the crash report
  // must not.
  std::string heldTextKey;
};

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
  // A run has ended, shown, refused or cancelled: what the commands can act
  // on may have changed.
  virtual void runFinished() {}
  // The server's certificate that a fetch just refused, after its failure
  // message: the user may decide to trust it.
  virtual void offerCertificate(const ServerCertificate& /*certificate*/) {}
};

// What a request brought back.
struct FetchedAnswer {
  std::string bytes;  // the body as received; empty on network failure
  std::string note;   // one line on what went wrong on the way; empty when nothing did
  // The server's certificate, when the request refused it.
  std::optional<ServerCertificate> refusedCertificate = std::nullopt;
};

// Fetches the answer of a request. Called on the runner's thread; a raised
// cancel flag asks it to give up at once.
class AnswerSource {
 public:
  virtual ~AnswerSource() = default;
  virtual FetchedAnswer fetch(const QueryRequest& request, CancelFlag* cancel) = 0;
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
  // The runner carries out the requests; without one they run inline.
  QueryPipeline(QueryView& view, AnswerSource* source, DayArchive* archive,
                TaskRunner* runner = nullptr);
  ~QueryPipeline();
  QueryPipeline(const QueryPipeline&) = delete;
  QueryPipeline& operator=(const QueryPipeline&) = delete;

  // One run. With rememberMode the mode is used and remembered, otherwise the
  // remembered mode is used. displayOnly re-shows the held text without a
  // request. True when the day was shown. A fetching run whose runner works
  // in the background ends after the call, in the view; the call then gives
  // false. No run starts while another is under way.
  bool runQuery(QueryMode mode, bool rememberMode, bool displayOnly);

  // Ends the fetching run under way as if it had never started: nothing is
  // shown or saved and the day on display stays. False when none runs.
  bool cancelFetch();

  // A variant was chosen: re-shows the held text, when there is one.
  void redisplay();

  // Shows an opened observation file from its bytes. The mode comes from the
  // file name; a name carrying a mode other than 0 or 1 is refused with a
  // message and drops the held text. What was wrong with the file, if
  // anything, explains a refusal. Nothing happens while a run is under way.
  bool openDayText(std::string_view fileBytes, std::string_view fileName, bool realtimeTicked,
                   FileProblem problem = FileProblem::None);

  // How the answer of the last run that checked one was found.
  AnswerCheck lastOutcome() const { return lastOutcome_; }

  const QueryState& state() const { return state_; }
  QueryState& state() { return state_; }

  void setClock(Clock clock) { clock_ = std::move(clock); }

 private:
  struct PendingFetch;
  // Explains a refused answer in one line; empty when there is nothing to add.
  using Explanation = std::function<std::string(AnswerCheck)>;

  // Steps 1 to 4: the run is under way with the mode, and its request read.
  QueryRequest beginRun(QueryMode mode);
  void startFetch(const QueryRequest& request, QueryMode previousMode);
  void endFetch(PendingFetch& fetch);
  // Steps from the parse on; `fetched` when the text was just fetched.
  bool showAnswer(QueryRequest request, QueryMode mode, bool fetched, const Explanation& explain);
  bool failRun(const UserMessage& message);
  void present(const QueryRequest& request, QueryMode mode, bool fetched);
  void endRun();

  QueryView& view_;
  AnswerSource* source_;
  DayArchive* archive_;
  InlineRunner inlineRunner_;
  TaskRunner& runner_;
  QueryState state_;
  Clock clock_;
  std::shared_ptr<PendingFetch> pending_;  // the fetch under way, if any
  bool lastRunShown_ = false;
  AnswerCheck lastOutcome_ = AnswerCheck::Ok;
};

// The message an opened file gets when its name carries a mode other than
// 0 or 1.
inline constexpr std::string_view kUnknownModeMessage =
    "无法识别文件名中的数据模式，未打开该文件。";

// The mode an opened file's name gives; nothing for a mode number no
// request exists for.
std::optional<QueryMode> openedFileMode(std::string_view fileName, bool realtimeTicked);
// What was wrong with an opened file: no bytes at all is a problem of its
// own when nothing else was.
FileProblem openedFileProblem(std::string_view fileBytes, FileProblem problem);
// Parses an answer text into `answer` and checks it for the mode's records.
CheckedAnswer parseAndCheckAnswer(std::string_view text, JsonDocument& answer, QueryMode mode);
// The text of a refused answer's message: the check's message and the note,
// with the API key masked out.
std::string refusalText(const CheckedAnswer& check, std::string_view note, std::string_view apiKey);

// Local time in a strftime format; by default YYYY/MM/DD HH:MM:SS.
std::string formatLocalTime(std::chrono::system_clock::time_point time,
                            const char* format = "%Y/%m/%d %H:%M:%S");

}  // namespace skyrill
