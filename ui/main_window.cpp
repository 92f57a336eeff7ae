#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "archive/history_archive.h"
#include "store/observation_files.h"
#include "ui/busy_panel.h"
#include "ui/canvas.h"
#include "ui/date_numbers.h"
#include "ui/day_chart.h"
#include "ui/light_palette.h"
#include "ui/place_keys.h"
#include "ui/station_field.h"
#include "ui/station_picker.h"
#include "ui/status_strip.h"
#include "ui/sunken_line_edit.h"
#include "ui/wind_strip.h"

namespace skyrill {

namespace {

const QColor kTitleColour(0x00, 0x00, 0x80);
const QString kFontFamily = QStringLiteral("Noto Sans CJK SC");
constexpr int kFontPoints = 9;
constexpr int kTitleFontPoints = 12;

constexpr int kStationTypedLimit = 5;
constexpr int kColumnX = 504;
constexpr int kColumnWidth = 128;
constexpr int kRowHeight = 24;
// Pixels between two hour slots on the chart.
constexpr int kSlotSpacing = 20;

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

// Message texts mark line breaks with "\r\n".
QString withLineBreaks(const std::string& text) {
  return fromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

template <typename Widget>
Widget* place(Widget* widget, const QString& name, const QRect& geometry) {
  widget->setObjectName(name);
  widget->setGeometry(geometry);
  return widget;
}

QLabel* placeLabel(QWidget* client, const QString& name, const QString& caption,
                   const QRect& geometry, Qt::Alignment alignment) {
  auto* label = place(new QLabel(caption, client), name, geometry);
  label->setAlignment(alignment);
  return label;
}

QComboBox* placeList(QWidget* client, const QString& name, const QRect& geometry) {
  return place(new QComboBox(client), name, geometry);
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

const DaySeries& emptySeries() {
  static const DaySeries series;
  return series;
}

// The readout boxes' captions, which name them to a screen reader too.
const std::array<QString, kReadoutCount>& readoutCaptions() {
  static const std::array<QString, kReadoutCount> captions = {
      QStringLiteral("时次："),        QStringLiteral("气温："),  QStringLiteral("气压："),
      QStringLiteral("相对湿度："),    QStringLiteral("风向："),  QStringLiteral("风速："),
      QStringLiteral("降水 [雪深]："), QStringLiteral("能见度：")};
  return captions;
}

// What the chart shows, for a screen reader, before any day.
const QString kEmptyChartDescription =
    QStringLiteral("逐小时图表，尚无数据。获取或打开一天的数据后，左右方向键逐小时读数。");

}  // namespace

MainWindow::MainWindow(DateLists::Clock clock, QWidget* parent) : QMainWindow(parent) {
  // Fixed border, close and minimize boxes, no maximize box.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(QFont(kFontFamily, kFontPoints));
  // The fixed grey grounds with text that reads on them, whatever the desktop's
  // palette; read-only boxes are grey too.
  QPalette colours = lightPalette();
  colours.setColor(QPalette::Base, kWindowGrey);
  setPalette(colours);

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);

  buildTopRow(client);
  buildChartArea(client);
  buildReadoutColumn(client);
  buildStatusBars(client);
  buildMenus();
  setFocusOrder();
  // The window is the menu bar plus the fixed client area.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  if (!clock) clock = [] { return QDate::currentDate(); };
  dateLists_ = std::make_unique<DateLists>(*yearList_, *monthList_, *dayList_, std::move(clock),
                                           [this] { return advancedSourceAction_->isChecked(); });
  dateLists_->startUp();
  connect(yearList_, &QComboBox::activated, this, [this] { dateLists_->fillDayList(); });
  connect(monthList_, &QComboBox::activated, this, [this] { dateLists_->fillDayList(); });
  connect(realtimeBox_, &QCheckBox::clicked, this, [this](bool ticked) {
    dateLists_->applyRealtimeMode(ticked);
    refreshCommands();
  });

  for (const StatusLine& line : initialStatusLines()) {
    statusPanel(line.bar, line.panel)->setText(fromUtf8(line.text));
  }
  refreshCommands();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildTopRow(QWidget* client) {
  realtimeBox_ = place(new QCheckBox(QStringLiteral("&R.实况"), client), QStringLiteral("选择框1"),
                       QRect(0, 0, 64, 25));
  QLabel* dateLabel = placeLabel(client, QStringLiteral("标签1"), QStringLiteral("&C.日期："),
                                 QRect(72, 0, 56, 25), kRight);
  yearList_ = placeList(client, QStringLiteral("组合框1"), QRect(128, 0, 64, 25));
  placeLabel(client, QStringLiteral("标签2"), QStringLiteral("年"), QRect(192, 0, 16, 25), kLeft);
  monthList_ = placeList(client, QStringLiteral("组合框2"), QRect(208, 0, 48, 25));
  placeLabel(client, QStringLiteral("标签3"), QStringLiteral("月"), QRect(256, 0, 16, 25), kLeft);
  dayList_ = placeList(client, QStringLiteral("组合框3"), QRect(272, 0, 48, 25));
  placeLabel(client, QStringLiteral("标签4"), QStringLiteral("日"), QRect(320, 0, 16, 25), kLeft);
  QLabel* stationLabel = placeLabel(client, QStringLiteral("标签5"),
                                    QStringLiteral("&S.气象站号："), QRect(344, 0, 72, 25), kRight);
  stationField_ = place(new StationField(kStationTypedLimit, client), QStringLiteral("编辑框1"),
                        QRect(416, 0, 56, 25));
  stationField_->setText(QStringLiteral("58453"));
  chooseStationButton_ = place(new QPushButton(QStringLiteral("&C.选择站点"), client),
                               QStringLiteral("选择站点按钮"), QRect(472, 0, 72, 25));
  fetchButton_ = place(new QPushButton(QStringLiteral("&G.获取"), client),
                       QStringLiteral("获取按钮"), QRect(552, 0, 80, 25));
  fetchButton_->setDefault(true);

  // A label's mnemonic moves the focus to the element it names.
  dateLabel->setBuddy(yearList_);
  stationLabel->setBuddy(stationField_);
  // Each list says which part of the date it holds; the field its number.
  yearList_->setAccessibleName(QStringLiteral("年"));
  monthList_->setAccessibleName(QStringLiteral("月"));
  dayList_->setAccessibleName(QStringLiteral("日"));
  stationField_->setAccessibleName(QStringLiteral("气象站号"));

  connect(fetchButton_, &QPushButton::clicked, this, &MainWindow::fetch);
  connect(chooseStationButton_, &QPushButton::clicked, this, &MainWindow::chooseStation);
}

void MainWindow::buildChartArea(QWidget* client) {
  chartCanvas_ = place(new Canvas(QSize(kChartWidth, kChartHeight), client),
                       QStringLiteral("画板1"), QRect(0, 25, 502, 442));
  stripCanvas_ = place(new Canvas(QSize(kStripWidth, kStripHeight), client),
                       QStringLiteral("画板2"), QRect(0, 466, 502, 22));
  connect(chartCanvas_, &Canvas::mouseMoved, this, &MainWindow::onPointerOverChart);
  // The hours can be read from the keyboard too: Tab or a click gives the
  // chart the focus, the arrow keys walk the hours.
  chartCanvas_->setFocusPolicy(Qt::StrongFocus);
  chartCanvas_->setAccessibleName(QStringLiteral("图表"));
  chartCanvas_->setAccessibleDescription(kEmptyChartDescription);
  chartCanvas_->installEventFilter(this);

  busyPanel_ = new BusyPanel(QStringLiteral("正在获取数据…"), client);
  const QSize panelSize(240, 96);
  const QRect chart = chartCanvas_->geometry();
  busyPanel_->setGeometry(
      QRect(chart.center() - QPoint(panelSize.width(), panelSize.height()) / 2, panelSize));
  connect(busyPanel_, &BusyPanel::cancelRequested, this, &MainWindow::cancelFetch);
}

void MainWindow::buildReadoutColumn(QWidget* client) {
  const auto& captions = readoutCaptions();
  for (int row = 0; row < kReadoutCount; ++row) {
    const int labelY = 25 + 2 * kRowHeight * row;
    placeLabel(client, QStringLiteral("标签%1").arg(6 + row), captions[row],
               QRect(kColumnX, labelY, kColumnWidth, kRowHeight), kLeft);
    auto* box = place(new SunkenLineEdit(client), QStringLiteral("编辑框%1").arg(2 + row),
                      QRect(kColumnX, labelY + kRowHeight, kColumnWidth, kRowHeight));
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);  // selectable and copyable, but not on the Tab road
    // A screen reader says what each value is.
    box->setAccessibleName(captions[row].chopped(1));
    readoutBoxes_[static_cast<std::size_t>(row)] = box;
  }

  titleLabel_ = placeLabel(client, QStringLiteral("标签14"), QString(), QRect(504, 413, 128, 75),
                           Qt::AlignCenter);
  titleLabel_->setWordWrap(true);
  titleLabel_->setFont(QFont(kFontFamily, kTitleFontPoints));
  QPalette colours = titleLabel_->palette();
  colours.setColor(QPalette::WindowText, kTitleColour);
  titleLabel_->setPalette(colours);
}

void MainWindow::buildStatusBars(QWidget* client) {
  struct Bar {
    int y;
    std::vector<int> widths;
  };
  const std::array<Bar, 3> bars = {Bar{488, {120, 120, 200}}, Bar{512, {140, 200, 150}},
                                   Bar{536, {140, 220}}};
  for (std::size_t index = 0; index < bars.size(); ++index) {
    const Bar& bar = bars[index];
    statusBars_[index] =
        place(new StatusStrip(bar.widths, QSize(kClientWidth, 24), client),
              QStringLiteral("状态条%1").arg(index + 1), QRect(0, bar.y, kClientWidth, 24));
  }
}

void MainWindow::setFocusOrder() {
  const std::array<QWidget*, 8> order = {realtimeBox_, yearList_,     monthList_,
                                         dayList_,     stationField_, chooseStationButton_,
                                         fetchButton_, chartCanvas_};
  for (std::size_t index = 0; index + 1 < order.size(); ++index) {
    setTabOrder(order[index], order[index + 1]);
  }
}

// Outside a dialog Qt gives the default button no Enter of its own: an Enter
// that no element used clicks the focused push button, or else the default one.
void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  auto* focused = qobject_cast<QPushButton*>(focusWidget());
  (focused ? focused : fetchButton_)->click();
  event->accept();
}

QLabel* MainWindow::statusPanel(int bar, int panel) const {
  return statusBars_.at(static_cast<std::size_t>(bar - 1))->panel(panel);
}

QueryRequest MainWindow::readRequest() {
  QueryRequest request;
  request.mode = realtimeBox_->isChecked() ? QueryMode::Today : QueryMode::History;
  request.stationNumber = stationField_->text().toStdString();
  const DateTexts date = dateLists_->selectedDateTexts();
  request.year = date.year;
  request.month = date.month;
  request.day = date.day;
  request.advancedSource = advancedSourceAction_->isChecked();
  request.apiKey = apiKey_.toStdString();
  request.proxyEnabled = proxyEnableAction_->isChecked();
  request.proxyAddress = proxyAddress_.toStdString();
  for (std::size_t index = 0; index < windActions_.size(); ++index) {
    if (windActions_[index]->isChecked()) {
      request.windVariant = static_cast<WindVariant>(index + 1);
    }
  }
  for (std::size_t index = 0; index < visibilityActions_.size(); ++index) {
    if (visibilityActions_[index]->isChecked()) {
      request.visibilityVariant = static_cast<VisibilityVariant>(index + 1);
    }
  }
  return request;
}

void MainWindow::setFetchEnabled(bool enabled) {
  // Qt moves the focus off a button it disables; give it back after the run.
  if (!enabled) fetchHadFocus_ = fetchButton_->hasFocus();
  fetchButton_->setEnabled(enabled);
  showBusy(!enabled);
  if (enabled && fetchHadFocus_) fetchButton_->setFocus();
  refreshCommands();
}

void MainWindow::runFinished() {
  refreshCommands();
  // A fetch just auto-saved is a day more in the archive.
  const bool saved = pipeline_ && autoSaveAction_->isChecked() && canSaveDay(pipeline_->state());
  updateOverview(saved);
  updateComparison(saved);
  updateClimate(saved);
}

void MainWindow::refreshCommands() {
  const bool busy = pipeline_ && pipeline_->state().busy;
  openAction_->setEnabled(!busy);
  saveAction_->setEnabled(!busy && pipeline_ && canSaveDay(pipeline_->state()));
  cancelAction_->setEnabled(busy);
  // Steps move the date lists, which say nothing in today mode.
  for (QAction* step : {previousDayAction_, nextDayAction_}) {
    step->setEnabled(!busy && !realtimeBox_->isChecked());
  }
  refreshExportItems();
}

void MainWindow::showMessage(const UserMessage& message) {
  showBusy(false);  // the user has to answer: no wait cursor over the box
  const QString title = message.title.empty() ? QStringLiteral("信息：") : fromUtf8(message.title);
  QMessageBox box(boxIcon(message.icon), title, withLineBreaks(message.text), QMessageBox::Ok,
                  this);
  // A detail line may carry a server's own words: never read as markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void MainWindow::showVariantCaptions(const std::string& windCaption,
                                     const std::string& visibilityCaption) {
  windMenu_->setTitle(fromUtf8(windCaption));
  visibilityMenu_->setTitle(fromUtf8(visibilityCaption));
}

void MainWindow::drawDay(const DaySeries& series) {
  // On a high-density screen the pictures are painted for its pixels too.
  const qreal ratio = devicePixelRatioF();
  const bool dense = ratio > 1;
  chartCanvas_->setBackgroundPicture(drawDayChart(series),
                                     dense ? drawDayChart(series, ratio) : QImage());
  stripCanvas_->removeBackgroundPicture();
  stripCanvas_->drawImage(drawWindStrip(series), QRect(0, 0, kStripWidth, kStripHeight),
                          dense ? drawWindStrip(series, ratio) : QImage());
  refreshReadout(series);
}

// The boxes must not show an hour of the day that was on display before:
// they show the new day's hour under the pointer, or the hour the keyboard
// was reading, or nothing.
void MainWindow::refreshReadout(const DaySeries& series) {
  // An hour chosen by the keyboard stays, wherever the pointer rests, until
  // the pointer moves.
  const bool overChart = QApplication::widgetAt(QCursor::pos()) == chartCanvas_;
  const QPoint pointer = chartCanvas_->mapFromGlobal(QCursor::pos());
  int slot = overChart ? hoverSlot(pointer.x() - chartCanvas_->contentsRect().x()) : 0;
  if (readoutByKeyboard_ || (!overChart && chartCanvas_->hasFocus())) slot = readoutSlot_;
  if (slot >= 1 && slot <= kSlotCount) {
    readoutSlot_ = slot;
    chartCanvas_->invertVerticalLine(kSlotSpacing * slot, 0, kChartHeight);
    showReadout(series, slot);
    return;
  }
  readoutSlot_ = 0;
  readoutByKeyboard_ = false;
  for (std::size_t index = 0; index < readoutBoxes_.size(); ++index) {
    readoutBoxes_[index]->clear();
    readoutBoxes_[index]->setAccessibleName(readoutCaptions()[index].chopped(1));
  }
}

void MainWindow::showReadout(const DaySeries& series, int slot) {
  const HourlyRecord& record = series.slot(slot);
  const auto texts = readoutTexts(record);
  const auto spoken = spokenReadoutTexts(record);
  for (std::size_t index = 0; index < texts.size(); ++index) {
    readoutBoxes_[index]->setText(fromUtf8(texts[index]));
    // A screen reader says what the value is and its unit.
    readoutBoxes_[index]->setAccessibleName(readoutCaptions()[index] + fromUtf8(spoken[index]));
    readoutBoxes_[index]->repaint();
  }
}

void MainWindow::showTitle(const std::string& title) {
  titleLabel_->setText(withLineBreaks(title));
}

void MainWindow::showStatusLines(const std::array<StatusLine, kStatusLineCount>& lines) {
  QStringList figures;
  for (const StatusLine& line : lines) {
    statusPanel(line.bar, line.panel)->setText(fromUtf8(line.text));
    figures << fromUtf8(line.text);
  }
  // The chart is a picture: a screen reader hears what it is of, and the
  // day's figures it draws, in words.
  chartCanvas_->setAccessibleDescription(
      QStringLiteral("%1的逐小时图表：降水柱、能见度方块，气温、气压和相对湿度曲线，雪深标记，"
                     "风向杆在其下方。%2。左右方向键逐小时读数。")
          .arg(titleLabel_->text().replace(QLatin1Char('\n'), QLatin1Char(' ')),
               figures.join(QStringLiteral("，"))));
}

void MainWindow::setStationNumber(const QString& number) {
  stationField_->setText(number);
}

void MainWindow::setRealtime(bool ticked) {
  realtimeBox_->setChecked(ticked);
  dateLists_->applyRealtimeMode(ticked);
  refreshCommands();
}

void MainWindow::setAutoSave(bool on) {
  autoSaveAction_->setChecked(on);
  refreshTitle();
}

void MainWindow::setApiKey(const QString& key) {
  apiKey_ = key;
  apiKeyAction_->setText(QStringLiteral("&C.当前密钥：") + key);
}

void MainWindow::setProxyAddress(const QString& address) {
  proxyAddress_ = address;
  proxyEnableAction_->setEnabled(!address.isEmpty());
  if (address.isEmpty()) proxyEnableAction_->setChecked(false);
  refreshTitle();
}

void MainWindow::setProxyEnabled(bool on) {
  proxyEnableAction_->setChecked(on && proxyEnableAction_->isEnabled());
  refreshTitle();
}

void MainWindow::setVariants(WindVariant wind, VisibilityVariant visibility) {
  tickWindVariant(wind);
  tickVisibilityVariant(visibility);
}

void MainWindow::tickWindVariant(WindVariant variant) {
  for (std::size_t index = 0; index < windActions_.size(); ++index) {
    windActions_[index]->setChecked(static_cast<WindVariant>(index + 1) == variant);
  }
}

void MainWindow::tickVisibilityVariant(VisibilityVariant variant) {
  for (std::size_t index = 0; index < visibilityActions_.size(); ++index) {
    visibilityActions_[index]->setChecked(static_cast<VisibilityVariant>(index + 1) == variant);
  }
}

void MainWindow::setBaseTitle(const QString& title) {
  baseTitle_ = title;
  refreshTitle();
}

void MainWindow::refreshTitle() {
  QString caption = baseTitle_;
  if (autoSaveAction_->isChecked()) caption += QStringLiteral("【保存】");
  if (proxyEnableAction_->isChecked()) caption += QStringLiteral("【代理】");
  if (advancedSourceAction_->isChecked()) caption += QStringLiteral("【高级】");
  setWindowTitle(caption);
}

void MainWindow::fetch() {
  if (!pipeline_) return;
  const QueryMode mode = realtimeBox_->isChecked() ? QueryMode::Today : QueryMode::History;
  pipeline_->runQuery(mode, true, false);
}

void MainWindow::cancelFetch() {
  if (pipeline_) pipeline_->cancelFetch();
}

void MainWindow::showPreviousDay() {
  stepDay(-1);
}

void MainWindow::showNextDay() {
  stepDay(1);
}

void MainWindow::stepDay(int days) {
  if (!pipeline_ || pipeline_->state().busy || realtimeBox_->isChecked()) return;
  if (!dateLists_->stepDate(days)) return;
  const int dateNumber = dateNumberOf(dateLists_->selectedDate());
  const QueryRequest request = readRequest();
  if (archive_ &&
      archive_->holdsPastDay(request.stationNumber, dateNumber, request.advancedSource)) {
    const auto file =
        archive_->pastDayFile(request.stationNumber, dateNumber, request.advancedSource);
    openDayFile(QString::fromStdString(file.string()));
    return;
  }
  fetch();
}

void MainWindow::chooseStation() {
  chooseStationButton_->setEnabled(false);
  if (stationDirectory_) {
    StationPicker picker(*stationDirectory_, this);
    if (picker.exec() == QDialog::Accepted) stationField_->setText(picker.confirmedStation());
  }
  chooseStationButton_->setEnabled(true);
}

void MainWindow::chooseWindVariant(WindVariant variant) {
  tickWindVariant(variant);
  if (pipeline_) pipeline_->redisplay();
}

void MainWindow::chooseVisibilityVariant(VisibilityVariant variant) {
  tickVisibilityVariant(variant);
  if (pipeline_) pipeline_->redisplay();
}

void MainWindow::toggleAdvancedSource() {
  // The tick has already flipped; the same year stays selected if listed.
  dateLists_->fillYearList(dateLists_->selectedYear());
  refreshTitle();
}

void MainWindow::onChartMouseMove(int x, int /*y*/) {
  if (pipeline_ && pipeline_->state().busy) return;
  chartCanvas_->clear();
  const int slot = hoverSlot(x);
  if (slot < 1 || slot > kSlotCount) return;
  readoutSlot_ = slot;
  chartCanvas_->invertVerticalLine(kSlotSpacing * slot, 0, kChartHeight);
  showReadout(pipeline_ ? pipeline_->state().series : emptySeries(), slot);
}

void MainWindow::showReadoutSlot(int slot) {
  onChartMouseMove(kSlotSpacing * slot, 0);
}

// The pointer counts once it moves: an event where it rested when a key
// chose the hour (Qt sends some when a window changes under it) does not.
void MainWindow::onPointerOverChart(int x, int y) {
  if (readoutByKeyboard_ && QPoint(x, y) == pointerAtKey_) return;
  readoutByKeyboard_ = false;
  onChartMouseMove(x, y);
}

bool MainWindow::stepReadoutByKey(int key) {
  // Places count from 0, slots from 1; slot 0 is none.
  const auto current = readoutSlot_ < 1 ? std::nullopt : std::optional<int>(readoutSlot_ - 1);
  const auto place = placeAfterKey(key, current, kSlotCount);
  if (!place) return false;
  showReadoutSlot(*place + 1);
  readoutByKeyboard_ = true;
  pointerAtKey_ =
      chartCanvas_->mapFromGlobal(QCursor::pos()) - chartCanvas_->contentsRect().topLeft();
  return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == chartCanvas_ && event->type() == QEvent::KeyPress) {
    return stepReadoutByKey(static_cast<QKeyEvent*>(event)->key());
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace skyrill
