#include "ui/range_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <chrono>

#include "archive/history_archive.h"
#include "stations/station_directory.h"
#include "ui/date_field.h"
#include "ui/date_numbers.h"
#include "ui/light_palette.h"
#include "ui/range_run.h"
#include "ui/station_field.h"
#include "ui/station_picker.h"

namespace skyrill {
namespace {

constexpr int kStationDigits = 5;
constexpr int kDaysByDefault = 7;
constexpr qsizetype kProblemLineLength = 120;
const QString kDateFormat = QStringLiteral("yyyy/MM/dd");
const QColor kProblemRed(0xB0, 0x00, 0x00);

QString dateText(int date) {
  return qDateOf(date).toString(kDateFormat);
}

QString problemText(RangeProblem problem) {
  switch (problem) {
    case RangeProblem::NoStation:
      return QStringLiteral("请输入气象站号。");
    case RangeProblem::BadStation:
      return QStringLiteral("气象站号应为 1 到 5 位字母或数字。");
    case RangeProblem::BadDate:
      return QStringLiteral("日期无效。");
    case RangeProblem::LastBeforeFirst:
      return QStringLiteral("末日不能早于首日。");
    case RangeProblem::NotPast:
      return QStringLiteral("只能下载今天以前的日子。");
    case RangeProblem::TooLong:
      return QStringLiteral("日期范围不能超过 %1 年。").arg(kMaxRangeYears);
    case RangeProblem::None:
      break;
  }
  return {};
}

QString countsText(const RangeCounts& counts) {
  return QStringLiteral("已下载 %1，已有 %2，被拒 %3，失败 %4（共 %5 天）")
      .arg(counts.fetched)
      .arg(counts.alreadyThere)
      .arg(counts.refused)
      .arg(counts.failed)
      .arg(counts.total);
}

// What a day's message says went wrong, on one line. Its first line is the
// same headline for every day ("获取失败！…"), so the rest is shown.
QString problemLine(const std::string& message) {
  QStringList lines =
      QString::fromStdString(message).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  if (lines.size() > 1) lines.removeFirst();
  QString text = lines.join(QLatin1Char(' ')).simplified();
  if (text.size() > kProblemLineLength) text = text.left(kProblemLineLength) + QChar(0x2026);
  return text;
}

QString headline(const RangeReport& report) {
  const RangeCounts& counts = report.counts;
  if (!report.stopReason.empty()) {
    return QStringLiteral("已停止：%1").arg(QString::fromStdString(report.stopReason));
  }
  if (report.stopped) {
    return QStringLiteral("已停止：%1 天中完成了 %2 天。已保存的日子留在存档中，再次开始时跳过。")
        .arg(counts.total)
        .arg(counts.done());
  }
  return QStringLiteral("完成：已下载 %1 天，已有 %2 天，被拒 %3 天，失败 %4 天。")
      .arg(counts.fetched)
      .arg(counts.alreadyThere)
      .arg(counts.refused)
      .arg(counts.failed);
}

QString summaryText(const RangeReport& report) {
  QStringList lines{headline(report)};
  if (!report.problems.empty()) lines.append(QStringLiteral("被拒或失败的日子："));
  for (const DayResult& day : report.problems) {
    const QString outcome =
        day.outcome == DayOutcome::Refused ? QStringLiteral("被拒") : QStringLiteral("失败");
    lines.append(QStringLiteral("%1 %2 %3：%4")
                     .arg(QString::fromStdString(day.station), dateText(day.date), outcome,
                          problemLine(day.message)));
  }
  return lines.join(QLatin1Char('\n'));
}

DateField* dayEdit(const QString& name, const QString& caption, const QDate& date, QWidget* owner) {
  auto* edit = new DateField(owner);
  edit->setObjectName(name);
  edit->setFieldName(caption);
  // Only past days are kept: today's answer is not final yet.
  edit->setDateRange(QDate(), QDate::currentDate().addDays(-1));
  edit->setDate(date);
  return edit;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* owner) {
  auto* button = new QPushButton(caption, owner);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

RangeDialog::RangeDialog(const RangeRequest& settings, const HistoryArchive& archive,
                         const QString& station, StationDirectory* directory, QWidget* owner)
    : QDialog(owner), settings_(settings), archive_(archive), directory_(directory) {
  setWindowTitle(QStringLiteral("下载多日"));
  // Light whatever the desktop's theme, like the program's other windows.
  setPalette(lightPalette());
  setAutoFillBackground(true);
  buildElements();
  stationField_->setText(station);
}

// The run reports to this dialog: it is over before the dialog goes.
RangeDialog::~RangeDialog() = default;

void RangeDialog::buildElements() {
  problemLabel_ = new QLabel(this);
  problemLabel_->setObjectName(QStringLiteral("problemLabel"));
  problemLabel_->setWordWrap(true);
  problemLabel_->hide();
  QPalette problemColours = problemLabel_->palette();
  problemColours.setColor(QPalette::WindowText, kProblemRed);
  problemLabel_->setPalette(problemColours);

  progressBar_ = new QProgressBar(this);
  progressBar_->setObjectName(QStringLiteral("progressBar"));
  progressBar_->setRange(0, 1);
  progressBar_->setValue(0);
  countsLabel_ = new QLabel(this);
  countsLabel_->setObjectName(QStringLiteral("countsLabel"));
  // Room for the largest counts (20 years are fewer than 10000 days), so
  // that the window keeps its size during a run.
  countsLabel_->setMinimumWidth(
      countsLabel_->fontMetrics().horizontalAdvance(countsText({9999, 9999, 9999, 9999, 9999})));
  summaryText_ = new QPlainTextEdit(this);
  summaryText_->setObjectName(QStringLiteral("summaryText"));
  summaryText_->setReadOnly(true);
  summaryText_->setMinimumHeight(6 * fontMetrics().lineSpacing());

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(buildInputs());
  layout->addWidget(problemLabel_);
  layout->addWidget(progressBar_);
  layout->addWidget(countsLabel_);
  layout->addWidget(summaryText_);
  layout->addWidget(buildButtons());
}

QWidget* RangeDialog::buildInputs() {
  auto* inputs = new QWidget(this);
  stationField_ = new StationField(kStationDigits, inputs);
  stationField_->setObjectName(QStringLiteral("stationField"));
  stationField_->setFixedWidth(stationField_->fontMetrics().horizontalAdvance(QStringLiteral("0")) *
                               (kStationDigits + 3));
  pickButton_ = button(QStringLiteral("pickStationButton"), QStringLiteral("&C.选择站点"), inputs);
  pickButton_->setEnabled(directory_ != nullptr);
  connect(pickButton_, &QPushButton::clicked, this, &RangeDialog::pickStation);

  const QDate yesterday = QDate::currentDate().addDays(-1);
  firstDayEdit_ = dayEdit(QStringLiteral("firstDayEdit"), QStringLiteral("首日"),
                          yesterday.addDays(1 - kDaysByDefault), inputs);
  lastDayEdit_ = dayEdit(QStringLiteral("lastDayEdit"), QStringLiteral("末日"), yesterday, inputs);
  stationField_->setAccessibleName(QStringLiteral("气象站号"));

  auto* grid = new QGridLayout(inputs);
  grid->setContentsMargins(0, 0, 0, 0);
  const auto addLabel = [&](const QString& caption, QWidget* buddy, int row) {
    auto* label = new QLabel(caption, inputs);
    label->setBuddy(buddy);
    grid->addWidget(label, row, 0);
  };
  addLabel(QStringLiteral("&S.气象站号："), stationField_, 0);
  grid->addWidget(stationField_, 0, 1);
  grid->addWidget(pickButton_, 0, 2, Qt::AlignLeft);
  addLabel(QStringLiteral("&F.首日："), firstDayEdit_, 1);
  grid->addWidget(firstDayEdit_, 1, 1, 1, 2, Qt::AlignLeft);
  addLabel(QStringLiteral("&L.末日："), lastDayEdit_, 2);
  grid->addWidget(lastDayEdit_, 2, 1, 1, 2, Qt::AlignLeft);
  grid->setColumnStretch(2, 1);
  return inputs;
}

QWidget* RangeDialog::buildButtons() {
  auto* buttons = new QWidget(this);
  openLastDayButton_ =
      button(QStringLiteral("openLastDayButton"), QStringLiteral("打开最后一天"), buttons);
  openLastDayButton_->setEnabled(false);
  startButton_ = button(QStringLiteral("startButton"), QStringLiteral("开始"), buttons);
  startButton_->setDefault(true);
  cancelButton_ = button(QStringLiteral("cancelButton"), QStringLiteral("取消"), buttons);
  connect(openLastDayButton_, &QPushButton::clicked, this, [this] {
    emit openDayRequested(lastSaved_);
    accept();
  });
  connect(startButton_, &QPushButton::clicked, this, &RangeDialog::start);
  connect(cancelButton_, &QPushButton::clicked, this, &RangeDialog::cancel);

  auto* row = new QHBoxLayout(buttons);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(openLastDayButton_);
  row->addStretch();
  row->addWidget(startButton_);
  row->addWidget(cancelButton_);
  return buttons;
}

void RangeDialog::setStationAndDays(const QString& station, const QDate& first, const QDate& last) {
  if (running()) return;
  stationField_->setText(station);
  firstDayEdit_->setDate(first);
  lastDayEdit_->setDate(last);
}

void RangeDialog::pickStation() {
  if (!directory_) return;
  StationPicker picker(*directory_, this);
  if (picker.exec() == QDialog::Accepted) stationField_->setText(picker.confirmedStation());
}

RangeRequest RangeDialog::requestFromInputs() const {
  RangeRequest request = settings_;
  const QString station = stationField_->text().trimmed();
  request.stations.clear();
  if (!station.isEmpty()) request.stations.push_back(station.toStdString());
  request.firstDay = dateNumberOf(firstDayEdit_->date());
  request.lastDay = dateNumberOf(lastDayEdit_->date());
  return request;
}

void RangeDialog::start() {
  if (running()) return;
  // A typed day that was not taken is not run over as the day shown before.
  for (DateField* day : {firstDayEdit_, lastDayEdit_}) {
    if (!day->holdsDate()) {
      showProblem(day->problem().isEmpty() ? problemText(RangeProblem::BadDate)
                                           : day->problem() + QStringLiteral("。"));
      day->setFocus();
      return;
    }
  }
  const RangeRequest request = requestFromInputs();
  const RangeProblem problem =
      checkRange(request, localDateNumber(std::chrono::system_clock::now()));
  showProblem(problemText(problem));
  if (problem != RangeProblem::None) return;

  summaryText_->clear();
  lastSaved_.clear();
  RangeCounts counts;
  counts.total = request.stations.size() *
                 static_cast<std::size_t>(dayCount(request.firstDay, request.lastDay));
  showCounts(counts);
  runOnWorker(request);
}

void RangeDialog::showProblem(const QString& problem) {
  problemLabel_->setText(problem);
  problemLabel_->setVisible(!problem.isEmpty());
}

void RangeDialog::runOnWorker(const RangeRequest& request) {
  runStation_ = QString::fromStdString(request.stations.front());
  run_ = std::make_unique<RangeRun>(
      request, archive_,
      RangeRun::Handlers{
          [this](const DayResult&, const RangeCounts& counts) { showCounts(counts); },
          [this](const RangeReport& report) { finishRun(report); }});
  setRunning(true);
}

void RangeDialog::showCounts(const RangeCounts& counts) {
  progressBar_->setRange(0, static_cast<int>(counts.total));
  progressBar_->setValue(static_cast<int>(counts.done()));
  countsLabel_->setText(countsText(counts));
}

void RangeDialog::finishRun(const RangeReport& report) {
  run_.reset();
  setRunning(false);
  showCounts(report.counts);
  summaryText_->setPlainText(summaryText(report));
  lastSaved_ = QString::fromStdString(report.lastSaved);
  openLastDayButton_->setEnabled(!lastSaved_.isEmpty());
  // Nothing is left to cancel: the button now closes the window.
  cancelButton_->setText(QStringLiteral("关闭"));
  if (report.counts.fetched > 0) emit daysSaved(runStation_);
}

void RangeDialog::cancel() {
  if (running()) {
    stopRun();
  } else {
    reject();
  }
}

void RangeDialog::done(int result) {
  stopRun();
  QDialog::done(result);
}

void RangeDialog::stopRun() {
  if (run_) run_->stop();
}

void RangeDialog::setRunning(bool running) {
  for (QWidget* input :
       {static_cast<QWidget*>(stationField_), static_cast<QWidget*>(firstDayEdit_),
        static_cast<QWidget*>(lastDayEdit_), static_cast<QWidget*>(startButton_)}) {
    input->setEnabled(!running);
  }
  pickButton_->setEnabled(!running && directory_ != nullptr);
  if (running) {
    openLastDayButton_->setEnabled(false);
    cancelButton_->setText(QStringLiteral("取消"));
  }
}

}  // namespace skyrill
