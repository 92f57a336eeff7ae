#include "ui/station_picker.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QThreadPool>

#include <array>

#include "stations/pinyin_match.h"
#include "ui/certificate_question.h"
#include "ui/light_palette.h"
#include "ui/search_box.h"
#include "ui/thread_runner.h"
#include "ui/window_placement.h"

namespace skyrill {
namespace {

const QString kFontFamily = QStringLiteral("Noto Sans CJK SC");
constexpr int kFontPoints = 9;

template <typename Widget>
Widget* place(Widget* widget, const QString& name, const QRect& geometry) {
  widget->setObjectName(name);
  widget->setGeometry(geometry);
  return widget;
}

QPushButton* placeButton(QWidget* owner, const QString& name, const QString& caption,
                         const QRect& geometry) {
  auto* button = place(new QPushButton(caption, owner), name, geometry);
  // Enter is the picker's own business (see keyPressEvent).
  button->setAutoDefault(false);
  return button;
}

QListWidget* placeList(QWidget* owner, const QString& name, const QRect& geometry) {
  auto* list = place(new QListWidget(owner), name, geometry);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  // Like the platform's plain list box: a long item is cut, not scrolled to.
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QPalette colours = list->palette();
  colours.setColor(QPalette::Base, kWindowGrey);
  list->setPalette(colours);
  return list;
}

// The row of the selected item; -1 when none is selected.
int selectedRow(const QListWidget& list) {
  const QList<QListWidgetItem*> selected = list.selectedItems();
  return selected.isEmpty() ? -1 : list.row(selected.first());
}

// Selects the row a search found and scrolls it into view.
void selectFound(QListWidget& list, std::size_t row) {
  if (row >= static_cast<std::size_t>(list.count())) return;
  list.setCurrentRow(static_cast<int>(row));
  list.scrollToItem(list.currentItem());
}

QStringList itemTexts(const std::vector<std::string>& texts) {
  QStringList items;
  items.reserve(static_cast<qsizetype>(texts.size()));
  for (const std::string& text : texts) items.append(QString::fromStdString(text));
  return items;
}

// The width an item's text has in the list, counted as if the scroll bar
// showed: an item that fits only without it still gets its tooltip.
int textRoom(const QListWidget& list) {
  const QStyle* style = list.style();
  const int scrollBar = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
  const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
  return list.width() - 2 * list.frameWidth() - scrollBar - 2 * textMargin;
}

// Adds the items; those too wide for the list, which cuts them, carry their
// whole text as a tooltip.
void addItems(QListWidget& list, const std::vector<std::string>& texts) {
  const int first = list.count();
  list.addItems(itemTexts(texts));
  const int room = textRoom(list);
  const QFontMetrics metrics(list.font());
  for (int row = first; row < list.count(); ++row) {
    QListWidgetItem* item = list.item(row);
    if (metrics.horizontalAdvance(item->text()) > room) item->setToolTip(item->text());
  }
}

}  // namespace

StationPicker::StationPicker(StationDirectory& directory, QWidget* owner, TaskRunner* runner)
    : QDialog(owner),
      directory_(directory),
      ownRunner_(runner ? nullptr : std::make_unique<ThreadRunner>()),
      runner_(runner ? *runner : *ownRunner_) {
  // Fixed border with a close box, neither minimize nor maximize box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setWindowTitle(
      QStringLiteral("选择气象站点（%1）").arg(QString::fromStdString(directory_.hostName())));
  setFont(QFont(kFontFamily, kFontPoints));
  // Light whatever the desktop's theme: the grounds are fixed light greys.
  setPalette(lightPalette());
  setAutoFillBackground(true);

  buildElements();
  setFocusOrder();
  setFixedSize(kClientWidth, kClientHeight);
  fitClientAndCenter(*this, kClientWidth, kClientHeight, owner);
  directory_.readDirectoryCaches(*this);
  // Searches by pinyin need a moment's preparing the first time: done
  // while the user reads the lists, not at the first letter typed.
  QThreadPool::globalInstance()->start([] { preparePinyinReading(); });
}

StationPicker::~StationPicker() {
  // Hiding the window on the way out takes the focus from a search box,
  // whose placeholder then comes back: no search may run on a picker that
  // is half destroyed.
  disconnect(provinceSearchBox_, nullptr, this, nullptr);
  disconnect(stationSearchBox_, nullptr, this, nullptr);
  // The picker may go without being closed, e.g. when the program ends.
  directory_.cancelDownload();
}

void StationPicker::buildElements() {
  place(new QLabel(QStringLiteral("省份："), this), QStringLiteral("provinceLabel"),
        QRect(0, 0, 88, 24));
  provinceRefreshButton_ = placeButton(this, QStringLiteral("provinceRefreshButton"),
                                       QStringLiteral("&P.刷新"), QRect(88, 0, 48, 24));
  place(new QLabel(QStringLiteral("站点："), this), QStringLiteral("stationLabel"),
        QRect(136, 0, 88, 24));
  stationRefreshButton_ = placeButton(this, QStringLiteral("stationRefreshButton"),
                                      QStringLiteral("&S.刷新"), QRect(224, 0, 48, 24));
  provinceList_ = placeList(this, QStringLiteral("provinceList"), QRect(0, 24, 136, 184));
  stationList_ = placeList(this, QStringLiteral("stationList"), QRect(136, 24, 136, 184));
  provinceSearchBox_ = place(new SearchBox(QStringLiteral("搜索省份 .."), this),
                             QStringLiteral("provinceSearchBox"), QRect(0, 208, 136, 24));
  stationSearchBox_ = place(new SearchBox(QStringLiteral("搜索站点 .."), this),
                            QStringLiteral("stationSearchBox"), QRect(136, 208, 136, 24));
  cancelButton_ = placeButton(this, QStringLiteral("cancelButton"), QStringLiteral("&C.取消"),
                              QRect(272, 160, 80, 32));
  confirmButton_ = placeButton(this, QStringLiteral("confirmButton"), QStringLiteral("&O.确定"),
                               QRect(272, 200, 80, 32));
  allStationsButton_ = placeButton(this, QStringLiteral("allStationsButton"),
                                   QStringLiteral("&A.全部下载"), QRect(272, 24, 80, 32));
  allStationsButton_->setToolTip(QStringLiteral("下载每个省份的站点列表，搜索可找到任何站点"));
  allStationsBar_ =
      place(new QProgressBar(this), QStringLiteral("allStationsBar"), QRect(276, 62, 72, 12));
  allStationsBar_->setTextVisible(false);
  allStationsBar_->setAccessibleName(QStringLiteral("全部下载进度"));
  allStationsBar_->hide();
  allStationsLabel_ =
      place(new QLabel(this), QStringLiteral("allStationsLabel"), QRect(272, 76, 80, 60));
  allStationsLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  allStationsLabel_->setWordWrap(true);

  connect(provinceRefreshButton_, &QPushButton::clicked, this, &StationPicker::refreshProvinces);
  connect(stationRefreshButton_, &QPushButton::clicked, this,
          &StationPicker::refreshStationsOfSelection);
  connect(provinceList_, &QListWidget::itemDoubleClicked, this,
          &StationPicker::refreshStationsOfSelection);
  connect(stationList_, &QListWidget::itemDoubleClicked, this, &StationPicker::confirmStation);
  connect(confirmButton_, &QPushButton::clicked, this, &StationPicker::confirmStation);
  connect(allStationsButton_, &QPushButton::clicked, this, &StationPicker::downloadAllStations);
  connect(cancelButton_, &QPushButton::clicked, this, &StationPicker::reject);
  connect(provinceSearchBox_, &QLineEdit::textChanged, this, &StationPicker::searchProvinces);
  connect(stationSearchBox_, &QLineEdit::textChanged, this, &StationPicker::searchStations);
}

void StationPicker::setFocusOrder() {
  const std::array<QWidget*, 9> order = {
      provinceRefreshButton_, provinceSearchBox_, provinceList_,
      stationRefreshButton_,  stationSearchBox_,  stationList_,
      confirmButton_,         cancelButton_,      allStationsButton_};
  for (std::size_t index = 0; index + 1 < order.size(); ++index) {
    setTabOrder(order[index], order[index + 1]);
  }
}

void StationPicker::clearProvinceList() {
  provinceList_->clear();
  provinceSearchBox_->resetSearchBox();
  clearStationList();
}

void StationPicker::clearStationList() {
  stationList_->clear();
  stationSearchBox_->resetSearchBox();
}

void StationPicker::addProvinceItems(const std::vector<std::string>& texts) {
  addItems(*provinceList_, texts);
}

void StationPicker::addStationItems(const std::vector<std::string>& texts) {
  addItems(*stationList_, texts);
}

void StationPicker::replaceStationItems(const std::vector<std::string>& texts) {
  stationList_->clear();
  addItems(*stationList_, texts);
}

void StationPicker::offerCertificate(const ServerCertificate& certificate) {
  askAndKeepCertificate(this, certificate, [this](const ServerCertificate& trusted) {
    return directory_.keepCertificate(trusted);
  });
}

void StationPicker::showFailed() {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("信息："), QStringLiteral("Failed"),
                  QMessageBox::Ok, this);
  box.exec();
}

void StationPicker::showDownloading(bool running) {
  // A refresh button with the focus lends it to the button that now stops
  // the download, rather than to the search box after it, and gets it back.
  if (running && (provinceRefreshButton_->hasFocus() || stationRefreshButton_->hasFocus() ||
                  allStationsButton_->hasFocus())) {
    focusBeforeDownload_ = qobject_cast<QPushButton*>(focusWidget());
    cancelButton_->setFocus();
  }
  provinceRefreshButton_->setEnabled(!running);
  stationRefreshButton_->setEnabled(!running);
  allStationsButton_->setEnabled(!running);
  // A download of every province that ends without finishing was stopped.
  if (!running && allStationsRunning_) {
    allStationsRunning_ = false;
    allStationsLabel_->setText(
        QStringLiteral("已停止：\n%1/%2 省").arg(allStations_.done).arg(allStations_.total));
  }
  if (!running && focusBeforeDownload_ && cancelButton_->hasFocus()) {
    focusBeforeDownload_->setFocus();
  }
  if (!running) focusBeforeDownload_ = nullptr;
  // The picker stays usable while it waits: searching, choosing, cancelling.
  if (running) {
    setCursor(Qt::BusyCursor);
  } else {
    unsetCursor();
  }
}

void StationPicker::showAllStationsProgress(const AllStationsProgress& progress) {
  allStations_ = progress;
  allStationsRunning_ = !progress.finished;
  allStationsBar_->show();
  allStationsBar_->setRange(0, static_cast<int>(std::max<std::size_t>(progress.total, 1)));
  allStationsBar_->setValue(static_cast<int>(progress.done));
  QString text = QStringLiteral("%1：\n%2/%3 省")
                     .arg(progress.finished ? QStringLiteral("已下载") : QStringLiteral("下载中"))
                     .arg(progress.done - (progress.finished ? progress.failed : 0))
                     .arg(progress.total);
  if (progress.failed > 0) text += QStringLiteral("\n失败 %1").arg(progress.failed);
  allStationsLabel_->setText(text);
}

void StationPicker::downloadAllStations() {
  directory_.downloadAllStations(*this, runner_);
}

void StationPicker::refreshProvinces() {
  directory_.downloadProvinces(*this, runner_);
}

void StationPicker::refreshStationsOfSelection() {
  const int row = selectedRow(*provinceList_);
  const auto& provinces = directory_.provinces();
  if (row < 0 || static_cast<std::size_t>(row) >= provinces.size()) return;
  directory_.downloadStations(*this, runner_, provinces[static_cast<std::size_t>(row)].code);
}

void StationPicker::confirmStation() {
  const int row = selectedRow(*stationList_);
  const auto& stations = directory_.stations();
  if (row < 0 || static_cast<std::size_t>(row) >= stations.size()) return;
  confirmedStation_ = QString::fromStdString(stations[static_cast<std::size_t>(row)].code);
  directory_.writeDirectoryCaches();
  accept();
}

void StationPicker::reject() {
  if (directory_.cancelDownload()) return;
  QDialog::reject();
}

void StationPicker::done(int result) {
  directory_.cancelDownload();
  QDialog::done(result);
}

void StationPicker::searchProvinces() {
  const QString typed = provinceSearchBox_->typedText();
  const auto found = directory_.findProvince(typed.toStdString());
  provinceSearchBox_->showNotFound(!typed.isEmpty() && !found);
  if (found) selectFound(*provinceList_, *found);
}

void StationPicker::searchStations() {
  const QString typed = stationSearchBox_->typedText();
  const auto found = directory_.findStation(typed.toStdString());
  stationSearchBox_->showNotFound(!typed.isEmpty() && !found);
  if (!found) return;
  if (found->province) {
    directory_.showHeldStations(*this, *found->province);
    selectFound(*provinceList_, *found->province);
  }
  selectFound(*stationList_, found->station);
}

// Enter clicks the focused button, or else confirms the selected station.
void StationPicker::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
    QDialog::keyPressEvent(event);
    return;
  }
  auto* focused = qobject_cast<QPushButton*>(focusWidget());
  (focused ? focused : confirmButton_)->click();
  event->accept();
}

void StationPicker::closeEvent(QCloseEvent* event) {
  // The close box closes at once, a download or not.
  directory_.cancelDownload();
  QDialog::closeEvent(event);
}

void StationPicker::showEvent(QShowEvent* event) {
  // The frame is known once the window is on its way to the screen.
  fitClientAndCenter(*this, kClientWidth, kClientHeight, parentWidget());
  QDialog::showEvent(event);
}

}  // namespace skyrill
