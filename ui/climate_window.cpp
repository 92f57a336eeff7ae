#include "ui/climate_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "archive/archive_names.h"
#include "archive/climate_days.h"
#include "archive/history_archive.h"
#include "core/calendar_date.h"
#include "core/cancel_flag.h"
#include "store/whole_file.h"
#include "ui/chart_colours.h"
#include "ui/export_dialog.h"
#include "ui/light_palette.h"
#include "ui/owned_window.h"
#include "ui/picture_files.h"
#include "ui/print_sheet.h"
#include "ui/same_day_chart.h"
#include "ui/table_window.h"
#include "ui/text_table.h"

namespace skyrill {
namespace {

const QString kYearsCsvFilter = QStringLiteral("CSV 同日各年（*.csv） (*.csv)");
const QColor kShownRowGround(0xD8, 0xDC, 0xF0);
constexpr QRgb kMessageColour = 0xFF404040;

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

// "7 月 5 日" of YYYYMMDD.
QString calendarDayText(int date) {
  return QStringLiteral("%1 月 %2 日").arg(date / 100 % 100).arg(date % 100);
}

// The days around a calendar day serve every year of it.
std::string daysKeyOf(const ShownDay& day) {
  return day.station.toStdString() + "/" + std::to_string(day.date % 10000);
}

QStringList qtCells(const std::vector<std::string>& cells) {
  QStringList texts;
  for (const std::string& cell : cells) texts << fromUtf8(cell);
  return texts;
}

// The years of the date saved, as "1991、1995".
QString yearsText(const SameDayTable& table) {
  QStringList years;
  for (const ClimateDay& day : table.days) years << QString::number(day.date / 10000);
  return years.join(QStringLiteral("、"));
}

}  // namespace

// The chart of the date over the years, drawn to the widget's size; a
// message in its place while there is nothing to draw.
class SameDayChart : public QWidget {
 public:
  explicit SameDayChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("同期图"));
    setAccessibleName(QStringLiteral("同日各年图"));
    setMinimumSize(kSameDayChartWidth / 2, kSameDayChartHeight / 2);
  }

  void showClimate(const DayInClimate* climate, const QString& message) {
    climate_ = climate;
    message_ = message;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgba(kCanvasBackground));
    if (!climate_ || !message_.isEmpty()) {
      painter.setPen(QColor::fromRgba(kMessageColour));
      painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, message_);
      return;
    }
    // As large as fits, centred, never stretched; drawn for the screen's
    // pixels, so it is as sharp as they are.
    const double scale =
        std::min(width() / double(kSameDayChartWidth), height() / double(kSameDayChartHeight));
    painter.translate((width() - kSameDayChartWidth * scale) / 2,
                      (height() - kSameDayChartHeight * scale) / 2);
    painter.scale(scale, scale);
    paintSameDayChart(painter, *climate_);
  }

 private:
  const DayInClimate* climate_ = nullptr;
  QString message_;
};

// One read of the days around a date, or only the work on days read before.
struct ClimateWindow::Reading {
  ShownDay day;
  std::string daysKey;
  std::shared_ptr<const StationDays> days;  // given when read before
  CancelFlag cancel;
  DayInClimate climate;
};

ClimateWindow::ClimateWindow(const HistoryArchive& archive, ShownDay day, QWidget* owner)
    : QWidget(owner, kOwnedWindowFlags), archiveRoot_(archive.root()), day_(std::move(day)) {
  setObjectName(QStringLiteral("同期窗口"));
  setAttribute(Qt::WA_DeleteOnClose);
  setPalette(lightPalette());
  setAutoFillBackground(true);
  buildElements();
  addKeys();
  // Wide enough for the ranks' texts of all four elements side by side.
  resize(kSameDayChartWidth * 4 / 3, 900);
  showHeading();
  showClimate();
  readPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (readPending_) startReading();
      },
      Qt::QueuedConnection);
}

ClimateWindow::~ClimateWindow() {
  if (reading_) reading_->cancel.cancel();
}

void ClimateWindow::buildElements() {
  heading_ = new QLabel(this);
  heading_->setObjectName(QStringLiteral("同期标题"));
  heading_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont headingFont = heading_->font();
  headingFont.setPointSize(headingFont.pointSize() + 2);
  heading_->setFont(headingFont);
  QPalette navy = heading_->palette();
  navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
  heading_->setPalette(navy);

  fewYearsNote_ = new QLabel(this);
  fewYearsNote_->setObjectName(QStringLiteral("年数不足"));
  fewYearsNote_->setWordWrap(true);
  downloadButton_ = new QPushButton(QStringLiteral("&D.下载多日…"), this);
  downloadButton_->setObjectName(QStringLiteral("下载多日"));
  downloadButton_->setAutoDefault(false);
  connect(downloadButton_, &QPushButton::clicked, this, &ClimateWindow::downloadMissing);
  auto* noteRow = new QHBoxLayout;
  noteRow->addWidget(fewYearsNote_, 1);
  noteRow->addWidget(downloadButton_);

  figuresTable_ = makeTextTable(QStringLiteral("同期要素"), this);
  chart_ = new SameDayChart(this);
  yearsTable_ = makeTextTable(QStringLiteral("同日各年"), this);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  const auto addButton = [this, buttons](const QString& caption, const QString& name,
                                         void (ClimateWindow::*command)()) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, command);
    buttons->addWidget(button);
  };
  addButton(QStringLiteral("&E.导出…"), QStringLiteral("导出"), &ClimateWindow::exportClimate);
  addButton(QStringLiteral("&I.打印…"), QStringLiteral("打印"),
            qOverload<>(&ClimateWindow::printClimate));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addLayout(noteRow);
  layout->addWidget(figuresTable_);
  layout->addWidget(chart_, 2);
  layout->addWidget(yearsTable_, 3);
  layout->addLayout(buttons);
}

void ClimateWindow::addKeys() {
  addWindowKey(*this, QKeySequence(Qt::CTRL | Qt::Key_S), [this] { exportClimate(); });
  addWindowKey(*this, QKeySequence(Qt::CTRL | Qt::Key_C), [this] { copyClimate(); });
  addWindowKey(*this, QKeySequence(Qt::CTRL | Qt::Key_P), [this] { printClimate(); });
}

void ClimateWindow::showDay(ShownDay day) {
  const bool sameDay = day.station == day_.station && day.date == day_.date;
  day_ = std::move(day);
  showHeading();
  // The same day again: its values may have changed (another variant), the
  // saved days not.
  if (sameDay && !isReading()) {
    climate_ = dayInClimate(*days_, day_.date, day_.values);
    showClimate();
    emit climateShown();
    return;
  }
  startReading();
}

void ClimateWindow::setFileReader(
    std::function<std::string(const std::filesystem::path&)> readFile) {
  readFile_ = std::move(readFile);
  if (reading_) startReading();
}

void ClimateWindow::refresh() {
  days_.reset();
  daysKey_.clear();
  if (!readPending_) startReading();
}

void ClimateWindow::daysAdded(const QString& station) {
  if (station == day_.station) refresh();
}

// A read for another day makes the one under way moot; the days around the
// same calendar day are read once.
void ClimateWindow::startReading() {
  if (reading_) reading_->cancel.cancel();
  readPending_ = false;
  auto reading = std::make_shared<Reading>();
  reading->day = day_;
  reading->daysKey = daysKeyOf(day_);
  if (reading->daysKey == daysKey_) reading->days = days_;
  reading_ = reading;
  runner_.run(
      [reading, root = archiveRoot_, readFile = readFile_] {
        if (!reading->days) {
          PeriodReadOptions options;
          options.readFile = readFile;
          options.stopped = [reading] { return reading->cancel.isCancelled(); };
          reading->days = std::make_shared<const StationDays>(
              readDaysAround(HistoryArchive::inFolder(root), reading->day.station.toStdString(),
                             reading->day.date, options));
        }
        if (reading->cancel.isCancelled()) return;
        reading->climate = dayInClimate(*reading->days, reading->day.date, reading->day.values);
      },
      [this, reading] { finishReading(reading); });
  if (climate_.date != day_.date) {
    climate_ = {};
    showClimate();
  }
}

void ClimateWindow::finishReading(const std::shared_ptr<Reading>& reading) {
  if (reading != reading_) return;  // a newer day took over
  reading_.reset();
  days_ = reading->days;
  daysKey_ = reading->daysKey;
  climate_ = std::move(reading->climate);
  showClimate();
  emit climateShown();
}

void ClimateWindow::showHeading() {
  const QString caption = day_.caption.isEmpty() ? day_.station : day_.caption;
  setWindowTitle(QStringLiteral("历史同期 — %1　%2").arg(caption, calendarDayText(day_.date)));
  QString heading = caption + QStringLiteral("　") + fromUtf8(dateText(day_.date));
  if (climate_.date == day_.date) {
    const auto& years = climate_.sameDay.days;
    heading += years.empty() ? QStringLiteral("\n存档中没有这一天的数据")
                             : QStringLiteral("\n存档中 %1 年有%2的数据（%3–%4）")
                                   .arg(years.size())
                                   .arg(calendarDayText(day_.date))
                                   .arg(years.front().date / 10000)
                                   .arg(years.back().date / 10000);
  }
  heading_->setText(heading);
}

void ClimateWindow::showClimate() {
  const bool shown = climate_.date != 0;
  showHeading();
  const bool few = shown && climate_.fewYears();
  fewYearsNote_->setVisible(few);
  downloadButton_->setVisible(few);
  if (few) {
    const std::size_t years = climate_.sameDay.days.size();
    const QString held = years == 0
                             ? QStringLiteral("存档中没有%1的数据").arg(calendarDayText(day_.date))
                             : QStringLiteral("存档中只有 %1 年有%2的数据（%3）")
                                   .arg(years)
                                   .arg(calendarDayText(day_.date), yearsText(climate_.sameDay));
    fewYearsNote_->setText(
        held + QStringLiteral("；常年值、排位和纪录至少需要 %1 年。可下载此前几年这些日子的数据：")
                   .arg(kLeastClimateYears));
  }
  chart_->showClimate(shown ? &climate_ : nullptr, shown ? QString() : QStringLiteral("正在读取…"));
  showTextTable(*figuresTable_, dayInClimateHeader(),
                shown ? dayInClimateRows(climate_) : TextRows{});
  // Its six rows whole, with room for the scroll bar of a narrow window.
  figuresTable_->setFixedHeight(figuresTable_->horizontalHeader()->height() +
                                6 * figuresTable_->verticalHeader()->defaultSectionSize() +
                                figuresTable_->horizontalScrollBar()->sizeHint().height() + 4);
  showTextTable(*yearsTable_, sameDayHeader(), shown ? sameDayRows(climate_.sameDay) : TextRows{});
  // The day's own year stands out.
  const auto& years = climate_.sameDay.days;
  for (std::size_t row = 0; shown && row < years.size(); ++row) {
    if (years[row].date != climate_.date) continue;
    for (int column = 0; column < yearsTable_->columnCount(); ++column) {
      QTableWidgetItem* item = yearsTable_->item(static_cast<int>(row), column);
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
      item->setBackground(kShownRowGround);
    }
    yearsTable_->scrollToItem(yearsTable_->item(static_cast<int>(row), 0));
  }
}

void ClimateWindow::downloadMissing() {
  // Only past days are fetched into the archive.
  const QDate yesterday = QDate::currentDate().addDays(-1);
  const Period period = climateDownloadPeriod(
      day_.date, yesterday.year() * 10000 + yesterday.month() * 100 + yesterday.day());
  emit downloadRequested(day_.station, period.first, period.last);
}

QString ClimateWindow::exportBaseName() const {
  const std::string caption = (day_.caption.isEmpty() ? day_.station : day_.caption).toStdString();
  const std::size_t space = caption.rfind(' ');
  const std::string name = space == std::string::npos ? std::string() : caption.substr(0, space);
  return fromUtf8(
      readableDayName(name, day_.station.toStdString(), dateText(day_.date) + "_历史同期"));
}

void ClimateWindow::exportClimate() {
  if (climate_.date == 0) return;
  QStringList filters = pictureExportFilters();
  filters << kYearsCsvFilter;
  const ExportChoice choice =
      askExportFile(this, true, filters, exportBaseName() + QStringLiteral(".png"));
  if (choice.path.isEmpty()) return;
  bool written = false;
  if (choice.path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
    written = writeWholeFile(choice.path.toStdString(), sameDayCsv(climate_.sameDay));
  } else {
    if (!acceptPictureName(this, choice.path)) return;
    written = savePicture(
        choice.path, QSize(kSameDayChartWidth, kSameDayChartHeight),
        [this](QPainter& painter) { paintSameDayChart(painter, climate_); },
        [this] { return drawSameDayChart(climate_); });
  }
  if (!written) tellExportFailed(this, choice.path);
}

void ClimateWindow::copyClimate() {
  if (copyFocusedSelection({figuresTable_, yearsTable_})) return;
  if (climate_.date == 0) return;
  auto* data = new QMimeData;
  data->setImageData(drawSameDayChart(climate_));
  data->setText(tabSeparatedRows(dayInClimateHeader(), dayInClimateRows(climate_)) +
                QLatin1Char('\n') +
                tabSeparatedRows(sameDayHeader(), sameDayRows(climate_.sameDay)));
  QGuiApplication::clipboard()->setMimeData(data);
}

PrintSheet ClimateWindow::climateSheet() const {
  PrintSheet sheet;
  if (climate_.date == 0) return sheet;
  sheet.titleLines = heading_->text().split(QLatin1Char('\n'));
  sheet.titleLines.front().prepend(QStringLiteral("历史同期　"));
  const DayInClimate* climate = &climate_;
  sheet.pictures.push_back(
      {QSizeF(kSameDayChartWidth, kSameDayChartHeight),
       [climate](QPainter& painter) { paintSameDayChart(painter, *climate); }});
  // The day's figures first, then the date in every year, under one header.
  QStringList header = qtCells(sameDayHeader());
  header.front() = QStringLiteral("年份 / 项目");
  sheet.tableRows.push_back(header);
  for (std::vector<std::string> row : dayInClimateRows(climate_)) {
    row.insert(row.begin() + 1, row.front() == "当日" ? dateText(climate_.date) : std::string());
    sheet.tableRows.push_back(qtCells(row));
  }
  for (const auto& row : sameDayRows(climate_.sameDay)) sheet.tableRows.push_back(qtCells(row));
  sheet.tableHasHeader = true;
  sheet.caption = QStringLiteral("历史同期　") + heading_->text().replace(u'\n', u'　');
  return sheet;
}

bool ClimateWindow::printClimate(QPrinter& printer) const {
  return printSheet(printer, climateSheet());
}

void ClimateWindow::printClimate() {
  if (climate_.date == 0) return;
  printThroughDialog(this, exportBaseName(), false,
                     [this](QPrinter& printer) { return printClimate(printer); });
}

}  // namespace skyrill
