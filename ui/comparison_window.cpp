#include "ui/comparison_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDate>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>

#include "core/calendar_date.h"
#include "core/cancel_flag.h"
#include "core/picture_format.h"
#include "core/query_types.h"
#include "stations/station_directory.h"
#include "store/whole_file.h"
#include "ui/comparison_view.h"
#include "ui/date_field.h"
#include "ui/date_numbers.h"
#include "ui/export_dialog.h"
#include "ui/file_dialogs.h"
#include "ui/light_palette.h"
#include "ui/print_sheet.h"
#include "ui/range_run.h"
#include "ui/station_picker.h"

namespace skyrill {
namespace {

// Resizable border with close and maximize boxes. A dialog, so that the
// window manager keeps it above the main window (see TableWindow).
constexpr Qt::WindowFlags kWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;

constexpr int kListRows = 6;  // the station list shows every station it may hold
const QColor kNoteRed(0xB0, 0x00, 0x00);

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

int today() {
  return localDateNumber(std::chrono::system_clock::now());
}

// A field for one date, typed whole or picked from a calendar, up to today.
DateField* dateField(const QString& name, QWidget* owner) {
  auto* field = new DateField(owner);
  field->setObjectName(name);
  field->setFieldName(name);
  field->setDateRange(QDate(), QDate::currentDate());
  return field;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* owner) {
  auto* button = new QPushButton(caption, owner);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

// The wind variant as the element list names it: "风速（上小时最大瞬时风）".
QString windElementName(WindVariant variant) {
  const std::string caption = windMenuCaption(variant);  // "&W.上小时最大瞬时风"
  return QStringLiteral("风速（%1）").arg(fromUtf8(caption.substr(caption.find('.') + 1)));
}

// The plot of a comparison read: a day's hours or a period's days. A
// station whose days read name no city is named as the archive's list
// names it.
ComparisonPlot plotOf(ComparisonWindow::Mode mode, const PeriodComparison& period,
                      const std::vector<ComparedDay>& days, int date, ComparedElement element,
                      const std::map<std::string, std::string>& captions) {
  const std::string name = comparedElementName(element);
  ComparisonPlot plot =
      mode == ComparisonWindow::Mode::Day
          ? dayPlot(days, date, hourElementOf(element).value_or(HourElement::Temperature), name)
          : periodPlot(period, dailyElementsOf(element), name);
  for (std::string& label : plot.stations) {
    if (const auto caption = captions.find(label); caption != captions.end())
      label = caption->second;
  }
  return plot;
}

}  // namespace

// One read of a comparison: what it reads, how to stop it, what it found.
struct ComparisonWindow::Reading {
  Mode mode = Mode::Day;
  std::vector<std::string> stations;
  int date = 0;
  Period period;
  DayVariants variants;
  ComparedElement element = ComparedElement::Temperature;
  std::map<std::string, std::string> captions;  // as the window knows them
  QSize pictureSize;                            // the chart's, when the read began
  qreal pixelRatio = 1;
  CancelFlag cancel;
  PeriodComparison periodData;
  std::vector<ComparedDay> dayData;
  ComparisonPlot plot;
  QImage picture;
};

ComparisonWindow::ComparisonWindow(const HistoryArchive& archive, FetchSettings fetchSettings,
                                   int date, QWidget* owner)
    : QWidget(owner, kWindowFlags),
      archive_(HistoryArchive::inFolder(archive.root())),
      fetchSettings_(std::move(fetchSettings)),
      // A day that is not over yet is not compared: its day before is.
      date_(date != 0 && date < today() ? date : previousDay(today())),
      period_(yearEndingAt(date_)) {
  setObjectName(QStringLiteral("多站对比窗口"));
  setWindowTitle(QStringLiteral("多站对比"));
  setAttribute(Qt::WA_DeleteOnClose);
  // The program's light look whatever the desktop theme: the chart's ground
  // is light too.
  setPalette(lightPalette());
  setAutoFillBackground(true);

  auto* top = new QHBoxLayout;
  top->addWidget(buildStationBox(), 3);
  top->addWidget(buildChoiceBox(), 2);
  view_ = new ComparisonView(this);
  view_->setObjectName(QStringLiteral("对比图"));
  view_->setAccessibleName(QStringLiteral("多站对比图"));
  view_->onPlace = [this](std::optional<int> place) { showPlace(place); };
  view_->onDoubleClick = [this](const ComparisonHit& hit) { openStationDay(hit); };
  readout_ = new QLabel(this);
  readout_->setObjectName(QStringLiteral("对比读数"));
  readout_->setAccessibleName(QStringLiteral("读数"));
  readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  readout_->setWordWrap(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(view_, 1);
  layout->addWidget(readout_);
  layout->addWidget(buildFooter());

  // Esc stops a fetch under way, and closes the window when none is.
  auto* escape = new QAction(this);
  escape->setShortcut(QKeySequence(Qt::Key_Escape));
  escape->setShortcutContext(Qt::WindowShortcut);
  connect(escape, &QAction::triggered, this, [this] {
    if (isFetching())
      cancelFetch();
    else
      close();
  });
  addAction(escape);

  connectInputs();
  showModeInInputs();
  modeOrDatesChanged();
  showStations();
  resize(kComparisonChartWidth + 40, kComparisonChartHeight + 260);
  loadArchivedStations();
  stationInput_->setFocus();
}

// A fetch under way is stopped and waited for as the run goes.
ComparisonWindow::~ComparisonWindow() {
  if (reading_) reading_->cancel.cancel();
}

QWidget* ComparisonWindow::buildStationBox() {
  auto* box = new QGroupBox(QStringLiteral("站点（2 到 6 个）"), this);
  stationInput_ = new QComboBox(box);
  stationInput_->setObjectName(QStringLiteral("站号输入"));
  stationInput_->setAccessibleName(QStringLiteral("站号或存档中的站点"));
  stationInput_->setEditable(true);
  stationInput_->setInsertPolicy(QComboBox::NoInsert);
  stationInput_->lineEdit()->setPlaceholderText(QStringLiteral("站号，或存档中的站点"));
  stationInput_->completer()->setFilterMode(Qt::MatchContains);
  stationInput_->completer()->setCompletionMode(QCompleter::PopupCompletion);
  addButton_ = button(QStringLiteral("添加"), QStringLiteral("&A.添加"), box);
  displayedButton_ = button(QStringLiteral("本站"), QStringLiteral("&H.本站"), box);
  pickButton_ = button(QStringLiteral("选择站点"), QStringLiteral("&C.选择站点…"), box);
  pickButton_->setEnabled(false);

  stationList_ = new QListWidget(box);
  stationList_->setObjectName(QStringLiteral("对比站点"));
  stationList_->setAccessibleName(QStringLiteral("对比站点"));
  stationList_->setFixedHeight(stationList_->fontMetrics().lineSpacing() * kListRows + 8);
  upButton_ = button(QStringLiteral("上移"), QStringLiteral("&U.上移"), box);
  downButton_ = button(QStringLiteral("下移"), QStringLiteral("&N.下移"), box);
  removeButton_ = button(QStringLiteral("删除"), QStringLiteral("&D.删除"), box);
  noteLabel_ = new QLabel(box);
  noteLabel_->setObjectName(QStringLiteral("站点提示"));
  QPalette noteColours = noteLabel_->palette();
  noteColours.setColor(QPalette::WindowText, kNoteRed);
  noteLabel_->setPalette(noteColours);

  auto* grid = new QGridLayout(box);
  grid->addWidget(stationInput_, 0, 0);
  grid->addWidget(addButton_, 0, 1);
  grid->addWidget(stationList_, 1, 0, 4, 1);
  grid->addWidget(upButton_, 1, 1);
  grid->addWidget(downButton_, 2, 1);
  grid->addWidget(removeButton_, 3, 1);
  auto* sources = new QHBoxLayout;
  sources->addWidget(displayedButton_);
  sources->addWidget(pickButton_);
  sources->addWidget(noteLabel_, 1);
  grid->addLayout(sources, 5, 0, 1, 2);
  grid->setColumnStretch(0, 1);
  grid->setRowStretch(4, 1);
  return box;
}

QWidget* ComparisonWindow::buildChoiceBox() {
  auto* box = new QGroupBox(QStringLiteral("对比"), this);
  dayButton_ = new QRadioButton(QStringLiteral("&Y.一天"), box);
  dayButton_->setObjectName(QStringLiteral("一天"));
  periodButton_ = new QRadioButton(QStringLiteral("&P.时段"), box);
  periodButton_->setObjectName(QStringLiteral("时段"));
  dayField_ = dateField(QStringLiteral("日期"), box);
  fromField_ = dateField(QStringLiteral("起始日期"), box);
  toField_ = dateField(QStringLiteral("结束日期"), box);
  elementList_ = new QComboBox(box);
  elementList_->setObjectName(QStringLiteral("要素"));
  elementList_->setAccessibleName(QStringLiteral("要素"));
  for (const ComparedElement element : kComparedElements)
    elementList_->addItem(fromUtf8(comparedElementName(element)), static_cast<int>(element));
  auto* elementLabel = new QLabel(QStringLiteral("&E.要素："), box);
  elementLabel->setBuddy(elementList_);

  auto* grid = new QGridLayout(box);
  grid->addWidget(dayButton_, 0, 0);
  grid->addWidget(dayField_, 0, 1, 1, 3, Qt::AlignLeft);
  grid->addWidget(periodButton_, 1, 0);
  grid->addWidget(fromField_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("至"), box), 1, 2);
  grid->addWidget(toField_, 1, 3);
  grid->addWidget(elementLabel, 2, 0);
  grid->addWidget(elementList_, 2, 1, 1, 3);
  grid->setColumnStretch(4, 1);
  grid->setRowStretch(3, 1);
  return box;
}

QWidget* ComparisonWindow::buildFooter() {
  auto* footer = new QWidget(this);
  progress_ = new QProgressBar(footer);
  progress_->setObjectName(QStringLiteral("下载进度"));
  progress_->setAccessibleName(QStringLiteral("下载缺少的日子"));
  progressLabel_ = new QLabel(footer);
  progressLabel_->setObjectName(QStringLiteral("下载说明"));
  cancelButton_ = button(QStringLiteral("取消下载"), QStringLiteral("取消"), footer);
  exportButton_ = button(QStringLiteral("导出"), QStringLiteral("&X.导出…"), footer);
  printButton_ = button(QStringLiteral("打印"), QStringLiteral("&R.打印…"), footer);
  auto* closeButton = button(QStringLiteral("关闭"), QStringLiteral("关闭"), footer);
  progress_->hide();
  cancelButton_->hide();
  connect(cancelButton_, &QPushButton::clicked, this, &ComparisonWindow::cancelFetch);
  connect(exportButton_, &QPushButton::clicked, this, &ComparisonWindow::exportComparison);
  connect(printButton_, &QPushButton::clicked, this, [this] { printComparison(); });
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

  auto* row = new QHBoxLayout(footer);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(progress_);
  row->addWidget(progressLabel_, 1);
  row->addWidget(cancelButton_);
  row->addWidget(exportButton_);
  row->addWidget(printButton_);
  row->addWidget(closeButton);
  return footer;
}

void ComparisonWindow::connectInputs() {
  connect(addButton_, &QPushButton::clicked, this, &ComparisonWindow::addTypedStation);
  connect(stationInput_->lineEdit(), &QLineEdit::returnPressed, this,
          &ComparisonWindow::addTypedStation);
  connect(displayedButton_, &QPushButton::clicked, this, &ComparisonWindow::addStationOnDisplay);
  connect(pickButton_, &QPushButton::clicked, this, &ComparisonWindow::pickStation);
  connect(upButton_, &QPushButton::clicked, this,
          [this] { moveStation(stationList_->currentRow(), -1); });
  connect(downButton_, &QPushButton::clicked, this,
          [this] { moveStation(stationList_->currentRow(), +1); });
  connect(removeButton_, &QPushButton::clicked, this,
          [this] { removeStation(stationList_->currentRow()); });
  connect(stationList_, &QListWidget::currentRowChanged, this, [this](int row) {
    const int count = stationList_->count();
    upButton_->setEnabled(row > 0);
    downButton_->setEnabled(row >= 0 && row + 1 < count);
    removeButton_->setEnabled(row >= 0);
  });
  for (QRadioButton* mode : {dayButton_, periodButton_})
    connect(mode, &QRadioButton::toggled, this, [this](bool on) {
      if (on) takeModeAndDates();
    });
  for (DateField* field : {dayField_, fromField_, toField_})
    connect(field, &DateField::dateChanged, this, &ComparisonWindow::takeModeAndDates);
  connect(elementList_, &QComboBox::currentIndexChanged, this, &ComparisonWindow::elementChosen);
}

void ComparisonWindow::setStationOnDisplay(const QString& station) {
  stationOnDisplay_ = station;
  displayedButton_->setEnabled(!station.isEmpty());
  displayedButton_->setToolTip(station.isEmpty() ? QString()
                                                 : QStringLiteral("添加 %1").arg(station));
  // The first station of a new window is the one on display.
  if (choices_.stations().empty() && !station.isEmpty()) addStation(station);
}

void ComparisonWindow::setStationDirectory(StationDirectory* directory) {
  directory_ = directory;
  pickButton_->setEnabled(directory_ != nullptr);
}

void ComparisonWindow::setVariants(DayVariants variants) {
  const bool changed =
      variants.wind != variants_.wind || variants.visibility != variants_.visibility;
  variants_ = variants;
  showElementChoices();
  if (changed) scheduleReading();
}

bool ComparisonWindow::addStation(const QString& text) {
  QString typed = text.trimmed();
  // An entry of the list of archived stations stands for its number.
  if (const int entry = stationInput_->findText(typed); entry >= 0)
    typed = stationInput_->itemData(entry).toString();
  else if (typed.contains(QLatin1Char(' ')))
    typed = typed.section(QLatin1Char(' '), -1);
  const std::string station = typed.toStdString();
  if (!isStationText(station)) {
    showNote(typed.isEmpty() ? QStringLiteral("请输入站号。")
                             : QStringLiteral("站号应为 1 到 5 位字母或数字。"));
    return false;
  }
  switch (choices_.add(station)) {
    case StationChoices::Added::AlreadyThere:
      showNote(QStringLiteral("%1 已在列表中。").arg(typed));
      return false;
    case StationChoices::Added::Full:
      showNote(QStringLiteral("最多对比 %1 个站点。").arg(kMostComparedStations));
      return false;
    case StationChoices::Added::Yes:
      break;
  }
  showNote({});
  showStations();
  stationList_->setCurrentRow(stationList_->count() - 1);
  scheduleReading();
  return true;
}

void ComparisonWindow::removeStation(int row) {
  if (row < 0 || row >= stationList_->count()) return;
  choices_.remove(static_cast<std::size_t>(row));
  showNote({});
  showStations();
  stationList_->setCurrentRow(std::min(row, stationList_->count() - 1));
  scheduleReading();
}

void ComparisonWindow::moveStation(int row, int step) {
  const int to = row + step;
  if (row < 0 || to < 0 || to >= stationList_->count()) return;
  choices_.move(static_cast<std::size_t>(row), step);
  showStations();
  stationList_->setCurrentRow(to);
  scheduleReading();
}

void ComparisonWindow::showStations() {
  const int current = stationList_->currentRow();
  stationList_->clear();
  for (const std::string& station : choices_.stations()) {
    const auto caption = captions_.find(station);
    stationList_->addItem(caption != captions_.end() ? caption->second : fromUtf8(station));
  }
  stationList_->setCurrentRow(std::min(current, stationList_->count() - 1));
  addButton_->setEnabled(choices_.stations().size() < kMostComparedStations);
}

void ComparisonWindow::showNote(const QString& note) {
  noteLabel_->setText(note);
}

// The archive's stations, by number and name, offered in the input's list;
// listed off the GUI thread, as a station's name takes a read of its day.
void ComparisonWindow::loadArchivedStations() {
  auto found = std::make_shared<std::vector<ArchivedStation>>();
  runner_.run(
      [found, root = archive_.root()] {
        *found = archivedStations(HistoryArchive::inFolder(root));
      },
      [this, found] {
        const QString typed = stationInput_->currentText();
        for (const ArchivedStation& station : *found) {
          const QString caption = fromUtf8(station.caption);
          stationInput_->addItem(caption, fromUtf8(station.station));
          captions_.try_emplace(station.station, caption);
        }
        stationInput_->setCurrentIndex(-1);
        stationInput_->setEditText(typed);
        showStations();
        // The legend names the stations whose days read name none.
        if (hasData_ && !isReading()) rebuildPlot();
      });
}

void ComparisonWindow::addTypedStation() {
  if (addStation(stationInput_->currentText())) stationInput_->clearEditText();
}

void ComparisonWindow::addStationOnDisplay() {
  if (!stationOnDisplay_.isEmpty()) addStation(stationOnDisplay_);
}

void ComparisonWindow::pickStation() {
  if (!directory_) return;
  StationPicker picker(*directory_, this);
  if (picker.exec() == QDialog::Accepted) addStation(picker.confirmedStation());
}

void ComparisonWindow::compareDay(int date) {
  date_ = date;
  mode_ = Mode::Day;
  showModeInInputs();
  modeOrDatesChanged();
}

void ComparisonWindow::comparePeriod(Period period) {
  period_ = period;
  mode_ = Mode::Period;
  showModeInInputs();
  modeOrDatesChanged();
}

void ComparisonWindow::modeOrDatesChanged() {
  dayField_->setEnabled(mode_ == Mode::Day);
  fromField_->setEnabled(mode_ == Mode::Period);
  toField_->setEnabled(mode_ == Mode::Period);
  showElementChoices();
  scheduleReading();
}

void ComparisonWindow::setElement(ComparedElement element) {
  elementList_->setCurrentIndex(elementList_->findData(static_cast<int>(element)));
}

// Either end of the period may be chosen past the other: it runs between them.
void ComparisonWindow::takeModeAndDates() {
  mode_ = periodButton_->isChecked() ? Mode::Period : Mode::Day;
  date_ = dateNumberOf(dayField_->date());
  const int from = dateNumberOf(fromField_->date());
  const int to = dateNumberOf(toField_->date());
  period_ = {std::min(from, to), std::max(from, to)};
  modeOrDatesChanged();
}

void ComparisonWindow::showModeInInputs() {
  const QSignalBlocker quietDay(dayField_), quietFrom(fromField_), quietTo(toField_),
      quietDayMode(dayButton_), quietPeriodMode(periodButton_);
  dayButton_->setChecked(mode_ == Mode::Day);
  periodButton_->setChecked(mode_ == Mode::Period);
  dayField_->setDate(qDateOf(date_));
  fromField_->setDate(qDateOf(period_.first));
  toField_->setDate(qDateOf(period_.last));
}

// The highest and lowest temperature are a period's; the wind is named by
// the variant in use.
void ComparisonWindow::showElementChoices() {
  auto* model = qobject_cast<QStandardItemModel*>(elementList_->model());
  const QSignalBlocker quiet(elementList_);
  for (int row = 0; row < elementList_->count(); ++row) {
    const auto element = static_cast<ComparedElement>(elementList_->itemData(row).toInt());
    if (element == ComparedElement::WindSpeed)
      elementList_->setItemText(row, windElementName(variants_.wind));
    if (model) model->item(row)->setEnabled(mode_ == Mode::Period || hourElementOf(element));
  }
  if (mode_ == Mode::Day && !hourElementOf(element_)) element_ = ComparedElement::Temperature;
  elementList_->setCurrentIndex(elementList_->findData(static_cast<int>(element_)));
}

// Another element of the days read: only the chart changes.
void ComparisonWindow::elementChosen() {
  element_ = static_cast<ComparedElement>(elementList_->currentData().toInt());
  if (!hasData_ || isReading()) return;
  rebuildPlot();
}

// Changes made together (a station added, then the mode) read once.
void ComparisonWindow::scheduleReading() {
  if (readPending_) return;
  readPending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (readPending_) startReading();
  });
}

void ComparisonWindow::refresh() {
  scheduleReading();
}

void ComparisonWindow::daysAdded(const QString& station) {
  const auto& stations = choices_.stations();
  if (std::find(stations.begin(), stations.end(), station.toStdString()) != stations.end())
    scheduleReading();
}

// A read of other stations or days makes the one under way moot.
void ComparisonWindow::startReading() {
  readPending_ = false;
  if (reading_) reading_->cancel.cancel();
  reading_.reset();
  if (!choices_.enough()) {
    hasData_ = false;
    plot_ = {};
    view_->showPlot(nullptr,
                    QStringLiteral("请添加 2 到 6 个站点：输入站号、选择存档中的站点、“本站”或"
                                   "“选择站点…”。"));
    readout_->clear();
    return;
  }
  auto reading = std::make_shared<Reading>();
  reading->mode = mode_;
  reading->stations = choices_.stations();
  reading->date = date_;
  reading->period = period_;
  reading->variants = variants_;
  reading->element = element_;
  reading->captions = knownCaptions();
  reading->pictureSize = view_->size();
  reading->pixelRatio = view_->devicePixelRatioF();
  reading_ = reading;
  if (!hasData_) view_->showPlot(nullptr, QStringLiteral("正在读取…"));
  runner_.run(
      [reading, root = archive_.root()] {
        const HistoryArchive archive = HistoryArchive::inFolder(root);
        PeriodReadOptions options;
        options.variants = reading->variants;
        options.stopped = [reading] { return reading->cancel.isCancelled(); };
        if (reading->mode == Mode::Day)
          reading->dayData = readDayComparison(archive, reading->stations, reading->date, options);
        else
          reading->periodData =
              readPeriodComparison(archive, reading->stations, reading->period, options);
        if (reading->cancel.isCancelled()) return;
        // The chart is drawn here too, off the GUI thread.
        reading->plot = plotOf(reading->mode, reading->periodData, reading->dayData, reading->date,
                               reading->element, reading->captions);
        reading->picture =
            ComparisonView::pictureFor(reading->plot, reading->pictureSize, reading->pixelRatio);
      },
      [this, reading] { finishReading(reading); });
}

void ComparisonWindow::finishReading(const std::shared_ptr<Reading>& reading) {
  if (reading != reading_) return;  // a newer read took over
  reading_.reset();
  shownMode_ = reading->mode;
  shownDate_ = reading->date;
  periodData_ = std::move(reading->periodData);
  dayData_ = std::move(reading->dayData);
  // Days read name their stations' cities.
  const auto learn = [this](const std::string& station, const std::string& caption) {
    if (caption != station) captions_[station] = fromUtf8(caption);
  };
  for (const PeriodDays& station : periodData_.stations) learn(station.station, station.caption());
  for (const ComparedDay& day : dayData_) learn(day.station, day.caption());
  showStations();
  hasData_ = true;
  // The element changed during the read, or the archive's list named a
  // station meanwhile: drawn afresh.
  if (reading->element == element_ && reading->captions == knownCaptions()) {
    plot_ = std::move(reading->plot);
    view_->showPlot(&plot_, {}, std::move(reading->picture));
  } else {
    rebuildPlot();
  }
  showPlace(view_->place());
  emit comparisonShown();
  if (const auto request = missingDaysRequest()) startFetch(*request);
}

std::map<std::string, std::string> ComparisonWindow::knownCaptions() const {
  std::map<std::string, std::string> captions;
  for (const auto& [station, caption] : captions_) captions[station] = caption.toStdString();
  return captions;
}

void ComparisonWindow::rebuildPlot() {
  plot_ = plotOf(shownMode_, periodData_, dayData_, shownDate_, element_, knownCaptions());
  view_->showPlot(&plot_, {});
  view_->plotChanged();
  showPlace(view_->place());
}

QString ComparisonWindow::coverageText() const {
  QStringList parts;
  if (shownMode_ == Mode::Day) {
    QStringList missing;
    for (const ComparedDay& day : dayData_) {
      if (!day.day) missing << fromUtf8(day.caption());
    }
    return missing.isEmpty()
               ? QStringLiteral("每个站点都有这一天。")
               : QStringLiteral("没有这一天：%1").arg(missing.join(QStringLiteral("，")));
  }
  for (const PeriodDays& station : periodData_.stations) {
    QString part =
        QStringLiteral("%1 %2 天").arg(fromUtf8(station.caption())).arg(station.days.size());
    if (station.gapCount() > 0) part += QStringLiteral("（缺 %1 天）").arg(station.gapCount());
    parts << part;
  }
  return QStringLiteral("已保存：") + parts.join(QStringLiteral("，"));
}

void ComparisonWindow::showPlace(std::optional<int> place) {
  if (!hasData_) return;
  readout_->setText(place ? fromUtf8(placeReadout(plot_, *place)) : coverageText());
}

void ComparisonWindow::openStationDay(const ComparisonHit& hit) {
  const auto station = stationAt(plot_, hit.place, hit.fraction, hit.value);
  if (!station) return;
  if (shownMode_ == Mode::Day) {
    if (*station < dayData_.size() && dayData_[*station].day)
      emit dayChosen(fromUtf8(dayData_[*station].day->row.file));
    return;
  }
  if (*station >= periodData_.stations.size()) return;
  if (const SummaryRow* day = periodData_.stations[*station].dayOn(plot_.period.dateAt(hit.place)))
    emit dayChosen(fromUtf8(day->file));
}

std::string ComparisonWindow::comparisonKey() const {
  std::vector<std::string> stations = choices_.stations();
  std::sort(stations.begin(), stations.end());
  std::string key;
  for (const std::string& station : stations) key += station + ",";
  const Period period =
      shownMode_ == Mode::Day ? Period{shownDate_, shownDate_} : periodData_.period;
  return key + std::to_string(period.first) + "-" + std::to_string(period.last);
}

// The days of the comparison on display that the archive lacks are asked
// for once a comparison; not when the day is today or later, nor over a
// range longer than a fetch may be.
std::optional<RangeRequest> ComparisonWindow::missingDaysRequest() {
  if (isFetching() || !fetchSettings_) return std::nullopt;
  const RangeRequest settings = fetchSettings_();
  if (settings.server.empty()) return std::nullopt;
  const bool missing = shownMode_ == Mode::Day
                           ? std::any_of(dayData_.begin(), dayData_.end(),
                                         [](const ComparedDay& d) { return !d.day; })
                           : periodData_.gapCount() > 0;
  if (!missing || !triedRanges_.insert(comparisonKey()).second) return std::nullopt;
  const Period period =
      shownMode_ == Mode::Day ? Period{shownDate_, shownDate_} : periodData_.period;
  auto request = pastDaysRequest(settings, choices_.stations(), period.first, period.last, today());
  if (!request) return std::nullopt;
  switch (checkRange(*request, today())) {
    case RangeProblem::None:
      return request;
    case RangeProblem::TooLong:
      progressLabel_->setText(QStringLiteral("时段超过 %1 年：缺少的日子请用“下载多日…”分段下载。")
                                  .arg(kMaxRangeYears));
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void ComparisonWindow::startFetch(const RangeRequest& request) {
  fetchedStations_.clear();
  RangeCounts counts;
  counts.total = request.stations.size() *
                 static_cast<std::size_t>(dayCount(request.firstDay, request.lastDay));
  showFetchProgress({}, counts);
  progress_->show();
  cancelButton_->show();
  run_ = std::make_unique<RangeRun>(
      request, archive_,
      RangeRun::Handlers{
          [this](const DayResult& day, const RangeCounts& done) { showFetchProgress(day, done); },
          [this](const RangeReport& report) { finishFetch(report); }});
}

void ComparisonWindow::showFetchProgress(const DayResult& day, const RangeCounts& counts) {
  if (day.outcome == DayOutcome::Fetched) fetchedStations_.insert(day.station);
  progress_->setRange(0, static_cast<int>(counts.total));
  progress_->setValue(static_cast<int>(counts.done()));
  progressLabel_->setText(QStringLiteral("正在下载缺少的日子：%1 / %2 天（Esc 取消）")
                              .arg(counts.done())
                              .arg(counts.total));
}

void ComparisonWindow::finishFetch(const RangeReport& report) {
  run_.reset();
  progress_->hide();
  cancelButton_->hide();
  const RangeCounts& counts = report.counts;
  QString text = report.stopped ? QStringLiteral("已停止下载：已下载 %1 天。").arg(counts.fetched)
                                : QStringLiteral("已下载 %1 天。").arg(counts.fetched);
  if (counts.refused + counts.failed > 0)
    text += QStringLiteral(" %1 天无法获取。").arg(counts.refused + counts.failed);
  if (!report.stopReason.empty()) text += QStringLiteral(" ") + fromUtf8(report.stopReason);
  progressLabel_->setText(text);
  for (const std::string& station : fetchedStations_) emit daysSaved(fromUtf8(station));
  emit fetchFinished();
  if (counts.fetched > 0) scheduleReading();
}

void ComparisonWindow::cancelFetch() {
  if (run_) run_->stop();
}

void ComparisonWindow::closeEvent(QCloseEvent* event) {
  if (reading_) reading_->cancel.cancel();
  cancelFetch();
  QWidget::closeEvent(event);
}

QString ComparisonWindow::chartMessage() const {
  return view_->message();
}

QString ComparisonWindow::readoutText() const {
  return readout_->text();
}

std::string ComparisonWindow::comparisonCsvText() const {
  if (!hasData_) return {};
  if (shownMode_ == Mode::Day) {
    const auto hour = hourElementOf(element_).value_or(HourElement::Temperature);
    return dayComparisonCsv(dayData_, shownDate_, hour, comparedElementName(element_));
  }
  return comparisonCsv(periodData_, dailyElementsOf(element_));
}

// "多站对比_气温_2024-01-20" or "多站对比_降水量_2024-01-01_2024-12-31".
QString ComparisonWindow::exportBaseName() const {
  QString name = QStringLiteral("多站对比_") + fromUtf8(comparedElementName(element_)).remove('/');
  if (shownMode_ == Mode::Day) return name + QLatin1Char('_') + fromUtf8(dateText(shownDate_));
  return name + QLatin1Char('_') + fromUtf8(dateText(periodData_.period.first)) + QLatin1Char('_') +
         fromUtf8(dateText(periodData_.period.last));
}

// The chart by the name's ending (PNG, JPEG, SVG, PDF), or the values as CSV.
void ComparisonWindow::exportComparison() {
  if (!hasData_) return;
  const QStringList pictures = pictureExportFilters();
  const QString suggested =
      exportBaseName() + QLatin1Char('.') + suffixOfFilter(pictures.constFirst());
  const ExportChoice choice =
      askExportFile(this, true, pictures + csvExportFilters(), suggested, std::nullopt);
  if (choice.path.isEmpty()) return;
  const bool table = choice.path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
  if (!table && !pictureFormatOf(choice.path.toStdString())) {
    QMessageBox::warning(
        this, QStringLiteral("导出"),
        QStringLiteral("文件名须以 %1 或 .csv 结尾：\n%2")
            .arg(QString::fromStdString(pictureEndingsText("、", "、")), choice.path));
    return;
  }
  const bool written =
      table ? writeWholeFile(std::filesystem::path(choice.path.toStdString()), comparisonCsvText())
            : saveComparisonChart(plot_, choice.path);
  if (!written) tellExportFailed(this, choice.path);
}

PrintSheet ComparisonWindow::comparisonSheet() const {
  PrintSheet sheet;
  if (!hasData_) return sheet;
  sheet.titleLines = {QStringLiteral("多站对比"), fromUtf8(plot_.title)};
  // The sheet is painted after this returns, from the plot the window holds.
  const ComparisonPlot* plot = &plot_;
  sheet.pictures.push_back({QSizeF(kComparisonChartWidth, kComparisonChartHeight),
                            [plot](QPainter& painter) { paintComparisonChart(painter, *plot); }});
  for (const auto& row : plotTable(plot_)) {
    QStringList cells;
    for (const std::string& cell : row) cells << fromUtf8(cell);
    sheet.tableRows.push_back(cells);
  }
  sheet.tableHasHeader = true;
  QStringList stations;
  for (const std::string& station : plot_.stations) stations << fromUtf8(station);
  sheet.caption = stations.join(QStringLiteral("、")) + QStringLiteral("　来源：本地存档");
  return sheet;
}

bool ComparisonWindow::printComparison(QPrinter& printer) const {
  return printSheet(printer, comparisonSheet());
}

void ComparisonWindow::printComparison() {
  if (!hasData_) return;
  printThroughDialog(this, exportBaseName(), false,
                     [this](QPrinter& printer) { return printComparison(printer); });
}

}  // namespace skyrill
