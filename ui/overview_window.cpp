#include "ui/overview_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "archive/climate_days.h"
#include "archive/history_archive.h"
#include "core/calendar_date.h"
#include "core/cancel_flag.h"
#include "ui/chart_colours.h"
#include "ui/date_field.h"
#include "ui/date_numbers.h"
#include "ui/light_palette.h"
#include "ui/owned_window.h"

namespace skyrill {
namespace {

// The summary chart's plot in its own drawing: days run from left to right,
// their values from the top of the temperatures to the foot of the
// visibility strip.
constexpr double kPlotLeft = 64;
constexpr double kPlotRight = 944;
constexpr double kPlotTop = 40;
constexpr double kPlotBottom = 412;

constexpr int kInitialWidth = kSummaryChartWidth;
constexpr int kInitialChartHeight = kSummaryChartHeight;
constexpr int kInitialTablesHeight = 230;
constexpr QRgb kMessageColour = 0xFF404040;
constexpr QRgb kHoverFill = 0x20000080;
constexpr QRgb kHoverLine = 0x90000080;

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

QString reading() {
  return QStringLiteral("正在读取…");
}

QString emptyPeriodMessage() {
  return QStringLiteral(
      "这一时段没有保存的日子。可用“数据” → “下载多日…”或 skyrill-fetch 下载一段时间的数据。");
}

// From the chart's own 960 × 480 drawing to an area of `size`: as large as
// fits, centred, never stretched.
QTransform chartTransform(QSizeF size) {
  const double scale =
      std::min(size.width() / kSummaryChartWidth, size.height() / kSummaryChartHeight);
  return QTransform()
      .translate((size.width() - kSummaryChartWidth * scale) / 2,
                 (size.height() - kSummaryChartHeight * scale) / 2)
      .scale(scale, scale);
}

// The chart drawn afresh for an area of `size` at the screen's own pixels,
// so that it is as sharp as they are; on any thread. Over years of days a
// drawing takes tens of milliseconds: it is made once and shown many times.
QImage chartPicture(const SummaryChartDays& days, QSize size, qreal pixelRatio) {
  QImage picture(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
  picture.setDevicePixelRatio(pixelRatio);
  picture.fill(kCanvasBackground);
  QPainter painter(&picture);
  painter.setTransform(chartTransform(size));
  paintSummaryChart(painter, days);
  return picture;
}

}  // namespace

std::optional<int> summaryChartDateAt(double chartX, const Period& period) {
  if (chartX < kPlotLeft || chartX >= kPlotRight) return std::nullopt;
  const double dayWidth = (kPlotRight - kPlotLeft) / period.length();
  const int index =
      std::min(period.length() - 1, static_cast<int>((chartX - kPlotLeft) / dayWidth));
  return period.dateAt(index);
}

// The chart at the widget's size, the hovered day marked on it; a message in
// its place while there is nothing to draw.
class OverviewChart : public QWidget {
 public:
  explicit OverviewChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("概览图"));
    setMouseTracking(true);
    setMinimumSize(kSummaryChartWidth / 3, kSummaryChartHeight / 3);
  }

  std::function<void(std::optional<int>)> onHover;
  std::function<void(int)> onDoubleClick;

  // Draws the days, or shows the message while it is not empty. `picture`
  // is the chart drawn already, when it was drawn for the widget's size.
  void showDays(const SummaryChartDays* days, const Period& period, const QString& message,
                QImage picture = {}) {
    days_ = days;
    period_ = period;
    message_ = message;
    picture_ = std::move(picture);
    hovered_.reset();
    update();
  }
  const QString& message() const { return message_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    if (!message_.isEmpty() || !days_) {
      painter.fillRect(rect(), QColor::fromRgba(kCanvasBackground));
      paintMessage(painter);
      return;
    }
    const qreal pixelRatio = devicePixelRatioF();
    if (picture_.deviceIndependentSize() != QSizeF(size()) ||
        picture_.devicePixelRatio() != pixelRatio) {
      picture_ = chartPicture(*days_, size(), pixelRatio);
    }
    painter.drawImage(QPointF(0, 0), picture_);
    if (hovered_) paintHoverMark(painter, *hovered_);
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    const std::optional<int> date = dateAt(event->position());
    if (date == hovered_) return;
    hovered_ = date;
    update();
    if (onHover) onHover(date);
  }

  void leaveEvent(QEvent*) override {
    if (!hovered_) return;
    hovered_.reset();
    update();
    if (onHover) onHover(std::nullopt);
  }

  void mouseDoubleClickEvent(QMouseEvent* event) override {
    const std::optional<int> date = dateAt(event->position());
    if (date && onDoubleClick) onDoubleClick(*date);
  }

 private:
  std::optional<int> dateAt(QPointF point) const {
    if (!message_.isEmpty() || !days_) return std::nullopt;
    const QPointF inChart = chartTransform(size()).inverted().map(point);
    if (inChart.y() < 0 || inChart.y() > kSummaryChartHeight) return std::nullopt;
    return summaryChartDateAt(inChart.x(), period_);
  }

  void paintMessage(QPainter& painter) {
    QFont font = this->font();
    font.setPixelSize(16);
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(kMessageColour));
    painter.drawText(rect().adjusted(24, 24, -24, -24), Qt::AlignCenter | Qt::TextWordWrap,
                     message_);
  }

  // The hovered day's column across the plot, lightly, and a line at its
  // middle that shows even when days are narrower than a pixel.
  void paintHoverMark(QPainter& painter, int date) {
    painter.setTransform(chartTransform(size()));
    const double dayWidth = (kPlotRight - kPlotLeft) / period_.length();
    const double centre = kPlotLeft + (period_.indexOf(date) + 0.5) * dayWidth;
    painter.fillRect(QRectF(centre - dayWidth / 2, kPlotTop, dayWidth, kPlotBottom - kPlotTop),
                     QColor::fromRgba(kHoverFill));
    painter.setPen(QPen(QColor::fromRgba(kHoverLine), 0));  // one pixel at any scale
    painter.drawLine(QPointF(centre, kPlotTop), QPointF(centre, kPlotBottom));
  }

  const SummaryChartDays* days_ = nullptr;
  Period period_;
  QString message_;
  QImage picture_;
  std::optional<int> hovered_;
};

// One read of a period: what it reads, how to stop it, what it found.
struct OverviewWindow::Reading {
  std::string station;
  Period period;
  CancelFlag cancel;
  QSize pictureSize;  // the chart's, when the read began
  qreal pixelRatio = 1;
  std::shared_ptr<const StationDays> climate;  // for the band and records, when drawn
  std::shared_ptr<const PeriodDays> days;
  SummaryChartDays chart;
  std::vector<MonthStatistics> months;
  QImage picture;
};

// One read of the station's days of every year, those of the period on
// display taken as they are, and the climate table they make.
struct OverviewWindow::ClimateReading {
  std::shared_ptr<const PeriodDays> known;
  CancelFlag cancel;
  std::shared_ptr<const StationDays> days;
  TextRows rows;
  std::string csv;
};

// The chart of the days on display drawn again, with or without the band
// of normals and the records.
struct OverviewWindow::Drawing {
  std::shared_ptr<const PeriodDays> days;
  std::shared_ptr<const StationDays> climate;  // none: without them
  QSize pictureSize;
  qreal pixelRatio = 1;
  SummaryChartDays chart;
  QImage picture;
};

namespace {

// The chart's days, with the band of normals and the record marks when
// `climate` is given.
SummaryChartDays chartDaysOf(const PeriodDays& days, const StationDays* climate) {
  SummaryChartDays chart{days.caption(), days.period.first, days.period.last, days.days};
  if (climate) {
    chart.normals = normalBand(*climate, days.period);
    chart.records = recordDays(*climate, days.period);
  }
  return chart;
}

}  // namespace

OverviewWindow::OverviewWindow(const HistoryArchive& archive, const QString& station, int date,
                               QWidget* owner)
    : QWidget(owner, kOwnedWindowFlags),
      archiveRoot_(archive.root()),
      station_(station),
      period_(yearEndingAt(date)),
      anchor_(date),
      today_([] { return QDate::currentDate(); }),
      shown_(std::make_shared<PeriodDays>()) {
  setObjectName(QStringLiteral("概览窗口"));
  setAttribute(Qt::WA_DeleteOnClose);
  // The program's light look whatever the desktop theme: the chart's ground
  // is light too.
  setPalette(lightPalette());
  setAutoFillBackground(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buildTopRow());
  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->setObjectName(QStringLiteral("概览分隔"));
  splitter->setChildrenCollapsible(false);
  auto* chartArea = new QWidget(splitter);
  auto* chartLayout = new QVBoxLayout(chartArea);
  chartLayout->setContentsMargins(0, 0, 0, 0);
  chart_ = new OverviewChart(chartArea);
  chart_->onHover = [this](std::optional<int> hovered) { hoverDate(hovered); };
  chart_->onDoubleClick = [this](int chosen) { chooseDate(chosen); };
  chartLayout->addWidget(chart_, 1);
  readout_ = new QLabel(chartArea);
  readout_->setObjectName(QStringLiteral("概览读数"));
  readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  chartLayout->addWidget(readout_);
  splitter->addWidget(chartArea);
  splitter->addWidget(buildTables());
  splitter->setStretchFactor(0, 1);
  layout->addWidget(splitter, 1);
  addKeys();

  // As large as the chart's own drawing with the tables under it, where the
  // screen has room for that.
  QSize size(kInitialWidth, kInitialChartHeight + kInitialTablesHeight + 100);
  if (const QScreen* screen = this->screen()) size = size.boundedTo(screen->availableSize());
  resize(size);
  splitter->setSizes({size.height() - kInitialTablesHeight, kInitialTablesHeight});
  showPeriodInChoosers();
  showReadingIfNew();
  readPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (readPending_) startReading();
      },
      Qt::QueuedConnection);
}

OverviewWindow::~OverviewWindow() {
  if (reading_) reading_->cancel.cancel();
  if (climateReading_) climateReading_->cancel.cancel();
}

QHBoxLayout* OverviewWindow::buildTopRow() {
  auto* row = new QHBoxLayout;
  const auto addChooser = [this, row](const QString& caption, const QString& name,
                                      const QString& spoken) {
    auto* label = new QLabel(caption, this);
    auto* chooser = new DateField(this);
    chooser->setObjectName(name);
    chooser->setFieldName(spoken);
    label->setBuddy(chooser);
    row->addWidget(label);
    row->addWidget(chooser);
    connect(chooser, &DateField::dateChanged, this, &OverviewWindow::choosePeriodFromChoosers);
    return chooser;
  };
  fromChooser_ =
      addChooser(QStringLiteral("&F.从"), QStringLiteral("起始日期"), QStringLiteral("起始日期"));
  toChooser_ =
      addChooser(QStringLiteral("&T.到"), QStringLiteral("结束日期"), QStringLiteral("结束日期"));

  auto* presetLabel = new QLabel(QStringLiteral("&P.时段："), this);
  presetChooser_ = new QComboBox(this);
  presetChooser_->setObjectName(QStringLiteral("时段预设"));
  presetChooser_->setAccessibleName(QStringLiteral("时段预设"));
  presetChooser_->setPlaceholderText(QStringLiteral("自定"));
  for (const PeriodPreset preset : kPeriodPresets)
    presetChooser_->addItem(fromUtf8(presetName(preset)), static_cast<int>(preset));
  presetChooser_->setCurrentIndex(-1);
  presetLabel->setBuddy(presetChooser_);
  connect(presetChooser_, &QComboBox::activated, this, [this](int index) {
    choosePreset(static_cast<PeriodPreset>(presetChooser_->itemData(index).toInt()));
  });
  row->addSpacing(12);
  row->addWidget(presetLabel);
  row->addWidget(presetChooser_);

  climateBox_ = new QCheckBox(QStringLiteral("&N.常年值和纪录"), this);
  climateBox_->setObjectName(QStringLiteral("常年值和纪录"));
  climateBox_->setChecked(true);
  connect(climateBox_, &QCheckBox::toggled, this, [this] {
    if (!shown_->days.empty()) startDrawing();
  });
  row->addSpacing(12);
  row->addWidget(climateBox_);
  row->addStretch(1);

  const auto addButton = [this, row](const QString& caption, const QString& name,
                                     void (OverviewWindow::*command)()) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, command);
    row->addWidget(button);
  };
  addButton(QStringLiteral("&E.导出…"), QStringLiteral("导出"), &OverviewWindow::exportOverview);
  addButton(QStringLiteral("&I.打印…"), QStringLiteral("打印"),
            qOverload<>(&OverviewWindow::printOverview));
  return row;
}

QWidget* OverviewWindow::buildTables() {
  tables_ = new QTabWidget(this);
  tables_->setObjectName(QStringLiteral("概览表格"));
  monthTable_ = makeTextTable(QStringLiteral("月统计"), tables_);
  tables_->addTab(monthTable_, QStringLiteral("&M.月统计"));

  auto* climatePage = new QWidget(tables_);
  auto* climateLayout = new QVBoxLayout(climatePage);
  climateLayout->setContentsMargins(0, 0, 0, 0);
  auto* noteRow = new QHBoxLayout;
  climateNote_ = new QLabel(climatePage);
  climateNote_->setObjectName(QStringLiteral("气候表说明"));
  climateNote_->setWordWrap(true);
  auto* exportClimate = new QPushButton(QStringLiteral("&X.导出气候表…"), climatePage);
  exportClimate->setObjectName(QStringLiteral("导出气候表"));
  exportClimate->setAutoDefault(false);
  connect(exportClimate, &QPushButton::clicked, this, &OverviewWindow::exportClimateTable);
  noteRow->addWidget(climateNote_, 1);
  noteRow->addWidget(exportClimate);
  climateLayout->addLayout(noteRow);
  climateTable_ = makeTextTable(QStringLiteral("气候表"), climatePage);
  climateLayout->addWidget(climateTable_, 1);
  tables_->addTab(climatePage, QStringLiteral("&K.气候表"));
  showClimateTable();
  return tables_;
}

// The window's own keys, whichever of its parts has the focus.
void OverviewWindow::addKeys() {
  addWindowKey(*this, QKeySequence(Qt::CTRL | Qt::Key_S), [this] { exportOverview(); });
  addWindowKey(*this, QKeySequence(Qt::CTRL | Qt::Key_C), [this] { copyOverview(); });
  addWindowKey(*this, QKeySequence(Qt::CTRL | Qt::Key_P), [this] { printOverview(); });
}

void OverviewWindow::showDay(const QString& station, int date) {
  anchor_ = date;
  if (station == station_ && period_.holds(date)) return;
  station_ = station;
  setPeriod(yearEndingAt(date));
}

void OverviewWindow::setPeriod(Period period) {
  period_ = period;
  presetChooser_->setCurrentIndex(-1);
  showPeriodInChoosers();
  startReading();
}

void OverviewWindow::choosePreset(PeriodPreset preset) {
  if (preset == PeriodPreset::All) return chooseAllDays();
  const QDate today = today_();
  const auto period = presetPeriod(preset, anchor_, dateNumberOf(today));
  if (!period) return;
  setPeriod(*period);
  presetChooser_->setCurrentIndex(presetChooser_->findData(static_cast<int>(preset)));
}

// The station's first to last saved day, found by the files' names off the
// GUI thread.
void OverviewWindow::chooseAllDays() {
  auto found = std::make_shared<std::optional<Period>>();
  const std::string station = station_.toStdString();
  runner_.run(
      [found, station, root = archiveRoot_] {
        *found = savedPeriod(HistoryArchive::inFolder(root), station);
      },
      [this, found, station] {
        if (!*found || station != station_.toStdString()) return;
        setPeriod(**found);
        presetChooser_->setCurrentIndex(
            presetChooser_->findData(static_cast<int>(PeriodPreset::All)));
      });
}

void OverviewWindow::setFileReader(
    std::function<std::string(const std::filesystem::path&)> readFile) {
  readFile_ = std::move(readFile);
  if (reading_) startReading();
}

bool OverviewWindow::isReading() const {
  return readPending_ || reading_ != nullptr;
}

void OverviewWindow::refresh() {
  // Days saved since make the climate read before out of date.
  forgetClimate();
  if (reading_) {
    readAgain_ = true;
  } else if (!readPending_) {
    startReading();
  }
}

void OverviewWindow::daysAdded(const QString& station) {
  if (station == station_) refresh();
}

// Either end may be chosen past the other: the period runs between them.
void OverviewWindow::choosePeriodFromChoosers() {
  const int from = dateNumberOf(fromChooser_->date());
  const int to = dateNumberOf(toChooser_->date());
  period_ = {std::min(from, to), std::max(from, to)};
  presetChooser_->setCurrentIndex(-1);
  startReading();
}

void OverviewWindow::showPeriodInChoosers() {
  const QSignalBlocker quietFrom(fromChooser_);
  const QSignalBlocker quietTo(toChooser_);
  fromChooser_->setDate(qDateOf(period_.first));
  toChooser_->setDate(qDateOf(period_.last));
}

bool OverviewWindow::holdsClimate() const {
  return climate_ && climateStation_ == station_.toStdString();
}

bool OverviewWindow::drawsClimate() const {
  return climateBox_->isChecked();
}

void OverviewWindow::forgetClimate() {
  if (climateReading_) climateReading_->cancel.cancel();
  climateReading_.reset();
  climate_.reset();
  climateStation_.clear();
  climateRows_.clear();
  climateCsv_.clear();
  showClimateTable();
}

// A read of another station or period makes the one under way moot.
void OverviewWindow::startReading() {
  if (reading_) reading_->cancel.cancel();
  if (!holdsClimate() && !climateStation_.empty()) forgetClimate();
  readPending_ = false;
  readAgain_ = false;
  auto reading = std::make_shared<Reading>();
  reading->station = station_.toStdString();
  reading->period = period_;
  reading->pictureSize = chart_->size();
  reading->pixelRatio = chart_->devicePixelRatioF();
  if (holdsClimate() && drawsClimate()) reading->climate = climate_;
  reading_ = reading;
  runner_.run(
      [reading, root = archiveRoot_, readFile = readFile_] {
        PeriodReadOptions options;
        options.readFile = readFile;
        options.stopped = [reading] { return reading->cancel.isCancelled(); };
        reading->days = std::make_shared<const PeriodDays>(readPeriodDays(
            HistoryArchive::inFolder(root), reading->station, reading->period, options));
        if (reading->cancel.isCancelled()) return;
        // The chart's copy, its drawing and the months are made here too,
        // off the GUI thread.
        reading->chart = chartDaysOf(*reading->days, reading->climate.get());
        reading->months = monthStatistics(reading->days->days, reading->period);
        if (!reading->days->days.empty())
          reading->picture =
              chartPicture(reading->chart, reading->pictureSize, reading->pixelRatio);
      },
      [this, reading] { finishReading(reading); });
  showReadingIfNew();
}

// The days on display stay while their own station and period is read again.
void OverviewWindow::showReadingIfNew() {
  const std::string station = station_.toStdString();
  if (shown_->station != station || !(shown_->period == period_)) {
    shown_ = std::make_shared<const PeriodDays>(PeriodDays{station, period_, {}, {}});
    chartDays_ = {};
    months_.clear();
    chart_->showDays(nullptr, period_, reading());
    readout_->clear();
    showMonths();
  }
  showTitle();
}

void OverviewWindow::finishReading(const std::shared_ptr<Reading>& reading) {
  if (reading != reading_) return;  // a newer read took over
  reading_.reset();
  shown_ = reading->days;
  chartDays_ = std::move(reading->chart);
  months_ = std::move(reading->months);
  chart_->showDays(&chartDays_, shown_->period,
                   shown_->days.empty() ? emptyPeriodMessage() : QString(),
                   std::move(reading->picture));
  readout_->setText(shown_->days.empty() ? QString() : fromUtf8(coverageText(*shown_)));
  showMonths();
  showTitle();
  emit daysShown();
  if (readAgain_) {
    startReading();
  } else if (!holdsClimate()) {
    startClimateReading();
  } else if (drawsClimate() && !reading->climate) {
    startDrawing();  // the climate came in during the read
  } else {
    emit climateShown();
  }
}

// The station's days beyond the period on display, read once for the
// station: a read under way for it goes on.
void OverviewWindow::startClimateReading() {
  if (climateReading_) return;
  auto reading = std::make_shared<ClimateReading>();
  reading->known = shown_;
  climateReading_ = reading;
  climateStation_ = shown_->station;
  showClimateTable();
  runner_.run(
      [reading, root = archiveRoot_, readFile = readFile_] {
        PeriodReadOptions options;
        options.readFile = readFile;
        options.stopped = [reading] { return reading->cancel.isCancelled(); };
        reading->days = std::make_shared<const StationDays>(
            readStationDaysBeyond(HistoryArchive::inFolder(root), *reading->known, options));
        if (reading->cancel.isCancelled()) return;
        const ClimateTable table = climateTable(*reading->days);
        reading->rows = climateRows(table);
        reading->csv = climateCsv(table);
      },
      [this, reading] { finishClimateReading(reading); });
}

void OverviewWindow::finishClimateReading(const std::shared_ptr<ClimateReading>& reading) {
  if (reading != climateReading_) return;  // the station changed or days came meanwhile
  climateReading_.reset();
  climate_ = reading->days;
  climateRows_ = std::move(reading->rows);
  climateCsv_ = std::move(reading->csv);
  showClimateTable();
  if (drawsClimate() && !reading_ && !shown_->days.empty()) {
    startDrawing();
  } else if (!reading_) {
    emit climateShown();
  }
}

// The chart of the days on display again, with the climate as the box says.
void OverviewWindow::startDrawing() {
  auto drawing = std::make_shared<Drawing>();
  drawing->days = shown_;
  if (holdsClimate() && drawsClimate()) drawing->climate = climate_;
  drawing->pictureSize = chart_->size();
  drawing->pixelRatio = chart_->devicePixelRatioF();
  drawing_ = drawing;
  runner_.run(
      [drawing] {
        drawing->chart = chartDaysOf(*drawing->days, drawing->climate.get());
        drawing->picture = chartPicture(drawing->chart, drawing->pictureSize, drawing->pixelRatio);
      },
      [this, drawing] { finishDrawing(drawing); });
}

void OverviewWindow::finishDrawing(const std::shared_ptr<Drawing>& drawing) {
  if (drawing != drawing_) return;
  drawing_.reset();
  if (drawing->days != shown_ || reading_) return;  // other days since
  chartDays_ = std::move(drawing->chart);
  chart_->showDays(&chartDays_, shown_->period, QString(), std::move(drawing->picture));
  if (holdsClimate()) emit climateShown();
}

void OverviewWindow::showMonths() {
  showTextTable(*monthTable_, monthStatisticsHeader(), monthStatisticsRows(months_));
}

void OverviewWindow::showClimateTable() {
  if (!climateTable_) return;
  if (!holdsClimate()) {
    climateNote_->setText(climateReading_ ? QStringLiteral("正在读取本站历年保存的日子…")
                                          : QString());
    showTextTable(*climateTable_, climateHeader(), {});
    return;
  }
  const auto& days = climate_->all();
  climateNote_->setText(
      days.empty()
          ? QStringLiteral("本站没有保存的日子。")
          : QStringLiteral(
                "本站 %1 至 %2 保存的 %3 天；月值按 WMO“3/5 规则”取舍，“年数”为计入的年数。")
                .arg(fromUtf8(dateText(days.front().date)), fromUtf8(dateText(days.back().date)))
                .arg(days.size()));
  showTextTable(*climateTable_, climateHeader(), climateRows_);
}

void OverviewWindow::showTitle() {
  const std::string caption =
      shown_->station == station_.toStdString() ? shown_->caption() : station_.toStdString();
  setWindowTitle(QStringLiteral("时段概览 — ") + fromUtf8(caption));
}

void OverviewWindow::hoverDate(std::optional<int> date) {
  if (shown_->days.empty()) return;
  readout_->setText(fromUtf8(date ? dayReadout(*shown_, *date) : coverageText(*shown_)));
}

void OverviewWindow::chooseDate(int date) {
  if (const SummaryRow* day = shown_->dayOn(date)) emit dayChosen(fromUtf8(day->file));
}

QString OverviewWindow::chartMessage() const {
  return chart_->message();
}

}  // namespace skyrill
