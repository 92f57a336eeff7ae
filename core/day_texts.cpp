#include "core/day_texts.h"

#include "core/classifications.h"
#include "core/numeric_text.h"
#include "json/json_document.h"

namespace skyrill {

namespace {

// A panel's place and caption.
struct Panel {
  int bar;
  int panel;
  const char* caption;
};

constexpr Panel kHighestTemperature{1, 0, "最高气温："};
constexpr Panel kLowestTemperature{1, 1, "最低气温："};
constexpr Panel kPrecipitationTotal{1, 2, "降水量："};
constexpr Panel kLargestHourly{1, 3, "最大小时雨强："};
constexpr Panel kMeanTemperature{2, 0, "平均气温："};
constexpr Panel kHighestWind{2, 1, "最高风速："};
constexpr Panel kHighestPressure{2, 2, "最高气压："};
constexpr Panel kLowestPressure{2, 3, "最低气压："};
constexpr Panel kMeanPressure{3, 0, "平均气压："};
constexpr Panel kLowestVisibility{3, 1, "最低能见度："};
constexpr Panel kFetchTime{3, 2, "数据获取时间："};

constexpr const char* kNoData = "无数据";

// The value text of a statistic: rounded half away to `roundTo` decimals
// first unless `roundTo` is negative, then written with `decimals`.
std::string statisticText(double value, int roundTo, int decimals) {
  return formatFixed(roundTo < 0 ? value : roundHalfAway(value, roundTo), decimals);
}

double meanOf(double sum, int count) {
  return count > 0 ? sum / count : 0;
}

// Builds the panel lines of one element: each is the caption, value, unit,
// "*" when some hour lacked the element, and a label; or the no-data text.
class ElementLines {
 public:
  explicit ElementLines(const ElementCoverage& coverage) : coverage_(coverage) {}

  StatusLine line(const Panel& panel, const std::string& value, const char* unit,
                  std::string_view label = {}) const {
    std::string text = panel.caption;
    if (!coverage_.present) return {panel.bar, panel.panel, text + kNoData};
    text += value;
    text += unit;
    if (coverage_.incomplete) text += "*";
    text += label;
    return {panel.bar, panel.panel, text};
  }

 private:
  const ElementCoverage& coverage_;
};

std::string dayKind(QueryMode mode) {
  return mode == QueryMode::Today ? "天气实况" : "历史天气";
}

}  // namespace

std::string composeDayTitle(QueryMode mode, const JsonDocument& document) {
  return dayKind(mode) + "\r\n" + document.getText("date") + "\r\n" +
         document.getText("res[0].name") + " " + document.getText("wmo");
}

std::string composePictureCaption(QueryMode mode, const JsonDocument& document,
                                  std::string_view sourceLabel) {
  constexpr std::string_view kGap = "\u3000";  // an ideographic space
  const std::string source = sourceLabel == kLocalFileLabel
                                 ? std::string(sourceLabel)
                                 : "数据服务（" + std::string(sourceLabel) + " 获取）";
  return document.getText("res[0].name") + " " + document.getText("wmo") + std::string(kGap) +
         document.getText("date") + std::string(kGap) + dayKind(mode) + std::string(kGap) +
         "来源：" + source;
}

std::array<StatusLine, kStatusLineCount> composeStatusLines(const DailySummary& summary,
                                                            int maxVisibilityClass,
                                                            std::string_view sourceLabel) {
  const ElementLines temperature(summary.temperatureCoverage);
  const ElementLines pressure(summary.pressureCoverage);
  const ElementLines precipitation(summary.precipitationCoverage);
  const ElementLines wind(summary.windSpeedCoverage);
  const ElementLines visibility(summary.visibilityCoverage);
  const double meanTemperature = meanOf(summary.temperatureSum, summary.temperatureCount);
  const double meanPressure = meanOf(summary.pressureSum, summary.pressureCount);
  constexpr int kNoRounding = -1;
  return {
      temperature.line(kHighestTemperature, statisticText(summary.maxTemperature, 1, 1), "℃"),
      temperature.line(kLowestTemperature, statisticText(summary.minTemperature, 1, 1), "℃"),
      temperature.line(kMeanTemperature, statisticText(meanTemperature, 2, 2), "℃"),
      pressure.line(kHighestPressure, statisticText(summary.maxPressure, kNoRounding, 1), "hPa"),
      pressure.line(kLowestPressure, statisticText(summary.minPressure, kNoRounding, 1), "hPa"),
      pressure.line(kMeanPressure, statisticText(meanPressure, 1, 1), "hPa"),
      precipitation.line(kPrecipitationTotal, statisticText(summary.totalPrecipitation, 1, 1), "mm",
                         summary.dayPrecipitationLabel),
      precipitation.line(kLargestHourly, statisticText(summary.maxHourlyPrecipitation, 1, 1), "mm",
                         summary.maxHourlyLabel),
      wind.line(kHighestWind, statisticText(summary.maxWindSpeed, kNoRounding, 1), "m/s",
                summary.maxWindForceLabel),
      visibility.line(kLowestVisibility, statisticText(summary.minVisibility, kNoRounding, 3), "km",
                      visibilityClassLabel(maxVisibilityClass)),
      StatusLine{kFetchTime.bar, kFetchTime.panel,
                 std::string(kFetchTime.caption) + std::string(sourceLabel)},
  };
}

std::array<StatusLine, kStatusLineCount> initialStatusLines() {
  std::array<StatusLine, kStatusLineCount> lines;
  const std::array<Panel, kStatusLineCount> inBarOrder = {
      kHighestTemperature, kLowestTemperature, kPrecipitationTotal, kLargestHourly,
      kMeanTemperature,    kHighestWind,       kHighestPressure,    kLowestPressure,
      kMeanPressure,       kLowestVisibility,  kFetchTime};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    lines[i] = {inBarOrder[i].bar, inBarOrder[i].panel, inBarOrder[i].caption};
  }
  return lines;
}

}  // namespace skyrill
