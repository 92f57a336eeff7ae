#include "archive/day_figures.h"

#include <memory>

#include "archive/archive_names.h"
#include "core/calendar_date.h"
#include "core/classifications.h"
#include "core/csv_text.h"
#include "core/numeric_text.h"
#include "core/query_pipeline.h"
#include "json/json_document.h"

namespace skyrill {
namespace {

constexpr std::string_view kNoData = "无数据";
constexpr std::string_view kMark = "*";

// The panels in bar order, with the captions their texts start with.
const std::array<StatusLine, kStatusLineCount>& panelCaptions() {
  static const auto captions = initialStatusLines();
  return captions;
}

std::size_t barOrderIndex(const StatusLine& line) {
  const auto& captions = panelCaptions();
  for (std::size_t i = 0; i < captions.size(); ++i) {
    if (captions[i].bar == line.bar && captions[i].panel == line.panel) return i;
  }
  return 0;
}

// Takes a panel text apart: caption, value, unit, "*" and label, as the
// panel texts are composed.
StatisticCells splitPanelText(std::string_view text, std::size_t index) {
  const std::string_view caption = panelCaptions()[index].text;
  if (text.starts_with(caption)) text.remove_prefix(caption.size());
  StatisticCells cells;
  if (text == kNoData) return cells;
  const std::string_view unit = panelUnit(index);
  const std::size_t unitAt = unit.empty() ? std::string_view::npos : text.find(unit);
  if (unitAt == std::string_view::npos) {
    cells.value = text;
    return cells;
  }
  cells.value = text.substr(0, unitAt);
  text.remove_prefix(unitAt + unit.size());
  if (text.starts_with(kMark)) {
    cells.mark = kMark;
    text.remove_prefix(kMark.size());
  }
  cells.label = labelWithoutBrackets(text);
  return cells;
}

// The mean of the hours' relative humidity, as the readout would show it
// with one decimal; nothing when no hour has one.
std::optional<double> meanHumidity(const DaySeries& series, const DayNumbers& numbers) {
  double sum = 0;
  int count = 0;
  for (std::size_t i = 0; i < series.hours.size(); ++i) {
    const auto humidity = cellValue(numbers[i].humidity, series.hours[i].humidity);
    if (!humidity) continue;
    sum += *humidity;
    ++count;
  }
  if (count == 0) return std::nullopt;
  return roundHalfAway(sum / count, 1);
}

}  // namespace

DayFigures dayFiguresOf(const StatisticRow& statistics, const DaySeries& series,
                        const DayNumbers& numbers) {
  DayFigures figures;
  figures.highestTemperature = shownValue(statistics[kHighestTemperatureStat]);
  figures.lowestTemperature = shownValue(statistics[kLowestTemperatureStat]);
  figures.meanTemperature = shownValue(statistics[kMeanTemperatureStat]);
  figures.precipitationTotal = shownValue(statistics[kPrecipitationStat]);
  // Each hour's amount in its own phase, by the rule the day chart colours
  // its bars with.
  for (std::size_t i = 0; i < series.hours.size(); ++i) {
    const HourlyRecord& hour = series.hours[i];
    const auto amount = cellValue(numbers[i].precipitation, hour.precipitation);
    if (!amount || !isGreater(*amount, 0)) continue;
    const auto phase = precipitationPhase(cellValue(numbers[i].temperature, hour.temperature));
    figures.precipitation[static_cast<std::size_t>(phase)] += *amount;
  }
  if (!statistics[kLowestVisibilityStat].value.empty())
    figures.visibilityClass = series.maxVisibilityClass;
  figures.meanHumidity = meanHumidity(series, numbers);
  return figures;
}

namespace {

// A panel's cells from its figure, as splitting its text would give them.
StatisticCells cellsOf(const PanelFigure& figure) {
  if (!figure.present) return {};
  return {figure.value, labelWithoutBrackets(figure.label), figure.incomplete ? "*" : ""};
}

// The station name as the title's last line shows it: the name and the
// WMO number, after the last line break they hold.
std::string stationNameOf(const JsonDocument& document) {
  const std::string shown = document.getText("res[0].name") + " " + document.getText("wmo");
  const std::size_t lastBreak = shown.rfind('\n');
  return lastBreak == std::string::npos ? shown : shown.substr(lastBreak + 1);
}

// Reads days as the window opens a file, but builds only what the summary
// keeps: no title, no panel texts, no messages but a refusal's text, and
// of the hour slots what `texts` asks for. One per thread.
class DayReader {
 public:
  DayReader(DayVariants variants, SlotTexts texts) : variants_(variants), texts_(texts) {}

  std::optional<SummaryRow> read(std::string_view bytes, const std::string& pathText,
                                 std::string& message, FileProblem problem = FileProblem::None) {
    const std::string name = fileNameOfPath(pathText);
    problem = openedFileProblem(bytes, problem);
    text_ = decodeAnswer(bytes);
    const std::optional<QueryMode> mode = openedFileMode(name, false);
    if (!mode) {
      message = kUnknownModeMessage;
      return std::nullopt;
    }
    const CheckedAnswer check = parseAndCheckAnswer(text_, document_, *mode);
    if (check.outcome != AnswerCheck::Ok) {
      // A file is opened without an API key, so there is none to mask.
      message = refusalText(check, fileFailureNote(name, problem, check.outcome, text_), {});
      return std::nullopt;
    }
    const DayNumbers numbers =
        extractDaySeries(document_, *mode, variants_.wind, variants_.visibility, series_, texts_);
    attachPrecipitationLabels(series_, numbers);
    const DailySummary summary = computeDailySummary(series_, numbers);
    const auto panels = composePanelFigures(summary, series_.maxVisibilityClass, kLocalFileLabel);

    SummaryRow row;
    row.file = pathText;
    row.mode = *mode;
    if (const auto parts = readObservationName(name)) {
      row.station = parts->station;
      row.date = parts->date;
      row.fetchTime = parts->fetchTime;
    } else {
      row.station = document_.getText("wmo");
      row.date = readDateNumber(document_.getText("date")).value_or(0);
    }
    row.stationName = stationNameOf(document_);
    for (std::size_t i = 0; i < panels.size(); ++i) row.statistics[i] = cellsOf(panels[i]);
    row.figures = dayFiguresOf(row.statistics, series_, numbers);
    return row;
  }

  // The hour slots of the day read last.
  const DaySeries& series() const { return series_; }

 private:
  DayVariants variants_;
  SlotTexts texts_;
  std::string text_;
  JsonDocument document_;
  DaySeries series_;
};

// One reader a thread for each pair of variants and each kind of slot
// texts, made when first asked for.
DayReader& threadReader(DayVariants variants, SlotTexts texts) {
  constexpr std::size_t kVisibilityVariants = 2;
  constexpr std::size_t kTextKinds = 2;
  thread_local std::array<std::unique_ptr<DayReader>, 3 * kVisibilityVariants * kTextKinds> readers;
  const auto index =
      (static_cast<std::size_t>(static_cast<int>(variants.wind) - 1) * kVisibilityVariants +
       static_cast<std::size_t>(static_cast<int>(variants.visibility) - 1)) *
          kTextKinds +
      (texts == SlotTexts::Shown ? 1 : 0);
  auto& reader = readers.at(index);
  if (!reader) reader = std::make_unique<DayReader>(variants, texts);
  return *reader;
}

}  // namespace

std::string statisticName(std::size_t index) {
  std::string name = panelCaptions()[index].text;
  if (const auto colon = name.rfind("："); colon != std::string::npos) name.resize(colon);
  return name;
}

std::string_view statisticUnit(std::size_t index) {
  return panelUnit(index);
}

StatisticRow statisticRowOf(const std::array<StatusLine, kStatusLineCount>& lines) {
  StatisticRow row;
  for (const StatusLine& line : lines) {
    const std::size_t index = barOrderIndex(line);
    row[index] = splitPanelText(line.text, index);
  }
  return row;
}

std::optional<double> shownValue(const StatisticCells& cells) {
  if (cells.value.empty()) return std::nullopt;
  return numericValue(cells.value);
}

std::optional<SummaryRow> summariseDay(std::string_view bytes, const std::filesystem::path& path,
                                       std::string& message, DayVariants variants) {
  return threadReader(variants, SlotTexts::NumbersOnly).read(bytes, path.string(), message);
}

std::optional<SummaryRow> summariseDayFile(const DayFileBytes& day, const std::string& pathText,
                                           std::string& message, DayVariants variants) {
  return threadReader(variants, SlotTexts::NumbersOnly)
      .read(day.bytes, pathText, message, day.problem);
}

std::optional<DayWithHours> readDayWithHours(const DayFileBytes& day, const std::string& pathText,
                                             std::string& message, DayVariants variants) {
  DayReader& reader = threadReader(variants, SlotTexts::Shown);
  auto row = reader.read(day.bytes, pathText, message, day.problem);
  if (!row) return std::nullopt;
  return DayWithHours{std::move(*row), reader.series()};
}

}  // namespace skyrill
