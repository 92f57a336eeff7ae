#include "ui/overview_window.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "archive/history_archive.h"
#include "core/cancel_flag.h"
#include "ui/chart_colours.h"
#include "ui/date_field.h"
#include "ui/light_palette.h"

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
constexpr QRgb kMessageColour = 0xFF404040;
constexpr QRgb kHoverFill = 0x20000080;
constexpr QRgb kHoverLine = 0x90000080;

// Resizable border with close and maximize boxes. A dialog, so that the
// window manager keeps it above the main window (see TableWindow).
constexpr Qt::WindowFlags kWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;

QDate qDateOf(int date) {
  return QDate(date / 10000, date / 100 % 100, date % 100);
}

int dateNumberOf(QDate date) {
  return date.year() * 10000 + date.month() * 100 + date.day();
}

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
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
  PeriodDays days;
  SummaryChartDays chart;
  QImage picture;
};

OverviewWindow::OverviewWindow(const HistoryArchive& archive, const QString& station, int date,
                               QWidget* owner)
    : QWidget(owner, kWindowFlags),
      archiveRoot_(archive.root()),
      station_(station),
      period_(yearEndingAt(date)) {
  setObjectName(QStringLiteral("概览窗口"));
  setAttribute(Qt::WA_DeleteOnClose);
  // The program's light look whatever the desktop theme: the chart's ground
  // is light too.
  setPalette(lightPalette());
  setAutoFillBackground(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buildTopRow());
  chart_ = new OverviewChart(this);
  chart_->onHover = [this](std::optional<int> hovered) { hoverDate(hovered); };
  chart_->onDoubleClick = [this](int chosen) { chooseDate(chosen); };
  layout->addWidget(chart_, 1);
  readout_ = new QLabel(this);
  readout_->setObjectName(QStringLiteral("概览读数"));
  readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(readout_);

  resize(kInitialWidth, kInitialChartHeight + 80);
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
  row->addStretch(1);
  return row;
}

void OverviewWindow::showDay(const QString& station, int date) {
  if (station == station_ && period_.holds(date)) return;
  station_ = station;
  setPeriod(yearEndingAt(date));
}

void OverviewWindow::setPeriod(Period period) {
  period_ = period;
  showPeriodInChoosers();
  startReading();
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
  startReading();
}

void OverviewWindow::showPeriodInChoosers() {
  const QSignalBlocker quietFrom(fromChooser_);
  const QSignalBlocker quietTo(toChooser_);
  fromChooser_->setDate(qDateOf(period_.first));
  toChooser_->setDate(qDateOf(period_.last));
}

// A read of another station or period makes the one under way moot.
void OverviewWindow::startReading() {
  if (reading_) reading_->cancel.cancel();
  readPending_ = false;
  readAgain_ = false;
  auto reading = std::make_shared<Reading>();
  reading->station = station_.toStdString();
  reading->period = period_;
  reading->pictureSize = chart_->size();
  reading->pixelRatio = chart_->devicePixelRatioF();
  reading_ = reading;
  runner_.run(
      [reading, root = archiveRoot_, readFile = readFile_] {
        PeriodReadOptions options;
        options.readFile = readFile;
        options.stopped = [reading] { return reading->cancel.isCancelled(); };
        reading->days = readPeriodDays(HistoryArchive::inFolder(root), reading->station,
                                       reading->period, options);
        // The chart's copy and drawing are made here too, off the GUI thread.
        reading->chart = {reading->days.caption(), reading->period.first, reading->period.last,
                          reading->days.days};
        if (!reading->days.days.empty() && !reading->cancel.isCancelled())
          reading->picture =
              chartPicture(reading->chart, reading->pictureSize, reading->pixelRatio);
      },
      [this, reading] { finishReading(reading); });
  showReadingIfNew();
}

// The days on display stay while their own station and period is read again.
void OverviewWindow::showReadingIfNew() {
  const std::string station = station_.toStdString();
  if (shown_.station != station || !(shown_.period == period_)) {
    shown_ = {station, period_, {}, {}};
    chartDays_ = {};
    chart_->showDays(nullptr, period_, QStringLiteral("正在读取…"));
    readout_->clear();
  }
  showTitle();
}

void OverviewWindow::finishReading(const std::shared_ptr<Reading>& reading) {
  if (reading != reading_) return;  // a newer read took over
  reading_.reset();
  shown_ = std::move(reading->days);
  chartDays_ = std::move(reading->chart);
  chart_->showDays(&chartDays_, shown_.period,
                   shown_.days.empty() ? emptyPeriodMessage() : QString(),
                   std::move(reading->picture));
  readout_->setText(shown_.days.empty() ? QString() : fromUtf8(coverageText(shown_)));
  showTitle();
  emit daysShown();
  if (readAgain_) startReading();
}

void OverviewWindow::showTitle() {
  const std::string caption =
      shown_.station == station_.toStdString() ? shown_.caption() : station_.toStdString();
  setWindowTitle(QStringLiteral("时段概览 — ") + fromUtf8(caption));
}

void OverviewWindow::hoverDate(std::optional<int> date) {
  if (shown_.days.empty()) return;
  readout_->setText(fromUtf8(date ? dayReadout(shown_, *date) : coverageText(shown_)));
}

void OverviewWindow::chooseDate(int date) {
  if (const SummaryRow* day = shown_.dayOn(date)) emit dayChosen(fromUtf8(day->file));
}

QString OverviewWindow::chartMessage() const {
  return chart_->message();
}

}  // namespace skyrill
