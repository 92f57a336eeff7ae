// The display path of an answer file, as the window runs it: the answer
// opened in both modes, shown again with every wind and visibility variant,
// and the data grid of the day on display. A view without a window checks
// everything the pipeline hands it; the numbers the extraction keeps are
// checked against its texts.

#include <string>
#include <utility>
#include <vector>

#include "core/answer_check.h"
#include "core/daily_summary.h"
#include "core/data_grid.h"
#include "core/encoding.h"
#include "core/numeric_text.h"
#include "core/query_pipeline.h"
#include "fuzz/fuzz_check.h"

namespace skyrill {
namespace {

// A message box shows at most this much of the answer, plus its own words.
constexpr std::size_t kLongestMessageBytes = kShownAnswerBytes + 512;

bool isValidUtf8(std::string_view text) {
  return sanitizeUtf8(text) == text;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// "" or YYYY/MM/DD HH:MM:SS.
bool isShownTime(std::string_view text) {
  if (text.empty()) return true;
  constexpr std::string_view kPattern = "0000/00/00 00:00:00";
  if (text.size() != kPattern.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (kPattern[i] == '0' ? !isDigit(text[i]) : text[i] != kPattern[i]) return false;
  }
  return true;
}

// A number written by the program: never inf or nan.
bool hasNoBrokenNumber(std::string_view text) {
  return text.find("inf") == std::string_view::npos && text.find("nan") == std::string_view::npos;
}

// The window, reduced to checks of what it is asked to show.
class CheckingView : public QueryView {
 public:
  QueryRequest inputs;
  bool messageShown = false;

  QueryRequest readRequest() override { return inputs; }
  void setFetchEnabled(bool) override {}
  void showMessage(const UserMessage& message) override {
    messageShown = true;
    require(isValidUtf8(message.text) && isValidUtf8(message.title), "a message is UTF-8");
    require(gb18030Length(message.text) <= kLongestMessageBytes, "a message is cut short");
  }
  void showVariantCaptions(const std::string& wind, const std::string& visibility) override {
    require(!wind.empty() && !visibility.empty(), "the menus have captions");
  }
  void drawDay(const DaySeries& series) override {
    for (const HourlyRecord& hour : series.hours) {
      require(isShownTime(hour.timeText), "a slot time reads YYYY/MM/DD HH:MM:SS");
      for (const std::string* text :
           {&hour.temperature, &hour.pressure, &hour.humidity, &hour.windDirection, &hour.windSpeed,
            &hour.precipitation, &hour.visibility, &hour.snowDepth}) {
        require(isValidUtf8(*text), "a slot text is UTF-8");
        // An empty slot's precipitation may still carry the label of no rain.
        if (hour.timeText.empty() && text != &hour.precipitation) {
          require(text->empty(), "an empty slot has no values");
        }
      }
    }
  }
  void showTitle(const std::string& title) override {
    require(isValidUtf8(title), "the title is UTF-8");
  }
  void showStatusLines(const std::array<StatusLine, kStatusLineCount>& lines) override {
    for (const StatusLine& line : lines) {
      require(line.bar >= 1 && line.bar <= 3 && line.panel >= 0, "a panel has a place");
      require(isValidUtf8(line.text) && hasNoBrokenNumber(line.text), "a panel text is sound");
    }
  }
};

void checkGrid(const QueryState& state) {
  const DataGrid grid = buildDataGrid(state.document, state.displayedMode);
  require(isValidUtf8(grid.caption), "the grid caption is UTF-8");
  const int records = state.document.count(recordPrefix(state.displayedMode));
  require(grid.rows.size() == static_cast<std::size_t>(records), "a grid row per record");
  for (const GridRow& row : grid.rows) {
    // A time that does not read is shown as sent; every other cell is a number.
    require(isValidUtf8(row[0].text), "a grid time is UTF-8");
    for (std::size_t column = 1; column < row.size(); ++column) {
      require(hasNoBrokenNumber(row[column].text), "a grid number is a number");
    }
  }
}

// The numbers the extraction keeps are the ones its texts read as, so the
// labels and statistics made with them are those made from the texts.
void checkKeptNumbers(const QueryState& state, const QueryRequest& inputs) {
  DaySeries series;
  const DayNumbers numbers = extractDaySeries(state.document, state.displayedMode,
                                              inputs.windVariant, inputs.visibilityVariant, series);
  for (std::size_t i = 0; i < series.hours.size(); ++i) {
    const HourlyRecord& hour = series.hours[i];
    const SlotNumbers& kept = numbers[i];
    for (const auto& [number, text] :
         {std::pair(kept.temperature, &hour.temperature), std::pair(kept.pressure, &hour.pressure),
          std::pair(kept.humidity, &hour.humidity), std::pair(kept.windSpeed, &hour.windSpeed),
          std::pair(kept.precipitation, &hour.precipitation),
          std::pair(kept.visibility, &hour.visibility)}) {
      if (!number) continue;
      require(numericValue(*text) == *number && slotNumber(*text) == *number && hasSlotText(*text),
              "a kept number is what its text reads as");
    }
  }
  DaySeries fromTexts = series;
  attachPrecipitationLabels(fromTexts);
  attachPrecipitationLabels(series, numbers);
  require(fromTexts.hours == series.hours, "kept numbers label the day as its texts do");
  const auto lines = [&series](const DailySummary& summary) {
    std::vector<std::string> texts;
    for (const StatusLine& line : composeStatusLines(summary, series.maxVisibilityClass, "")) {
      texts.push_back(line.text);
    }
    return texts;
  };
  require(lines(computeDailySummary(series, numbers)) == lines(computeDailySummary(series)),
          "kept numbers give the statistics the texts give");
}

// One file name per mode: the name carries the mode.
constexpr std::array<std::string_view, 2> kFileNames = {"0_57083_0_20190705.json",
                                                        "1_57083_0_20190705_130500.json"};

// The wind and visibility variants shown again after opening: together with
// the first run's, every variant of each is shown once.
constexpr std::array<std::pair<WindVariant, VisibilityVariant>, 2> kOtherVariants = {{
    {WindVariant::TwoMinuteMean, VisibilityVariant::Reported},
    {WindVariant::HourlyInstant, VisibilityVariant::TenMinuteMean},
}};

void showInBothModes(std::string_view answer) {
  for (const std::string_view fileName : kFileNames) {
    CheckingView view;
    QueryPipeline pipeline(view, nullptr, nullptr);
    const bool shown = pipeline.openDayText(answer, fileName, false);
    require(shown != view.messageShown, "a day is shown or a message says why not");
    if (!shown) {
      require(pipeline.state().responseText.empty(), "a refused answer is not held");
      continue;
    }
    checkGrid(pipeline.state());
    checkKeptNumbers(pipeline.state(), view.inputs);
    for (const auto& [wind, visibility] : kOtherVariants) {
      view.inputs.windVariant = wind;
      view.inputs.visibilityVariant = visibility;
      pipeline.redisplay();
      require(!view.messageShown, "a shown day shows again with other variants");
      checkKeptNumbers(pipeline.state(), view.inputs);
    }
  }
}

}  // namespace
}  // namespace skyrill

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  skyrill::showInBothModes(skyrill::inputText(data, size));
  return 0;
}
