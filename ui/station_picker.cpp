#include "ui/station_picker.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include <array>

#include "ui/search_box.h"
#include "ui/window_placement.h"

namespace skyrill {
namespace {

const QColor kWindowColour(0xEC, 0xEC, 0xEC);
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
  colours.setColor(QPalette::Base, kWindowColour);
  list->setPalette(colours);
  return list;
}

// The row of the selected item; -1 when none is selected.
int selectedRow(const QListWidget& list) {
  const QList<QListWidgetItem*> selected = list.selectedItems();
  return selected.isEmpty() ? -1 : list.row(selected.first());
}

QStringList itemTexts(const std::vector<std::string>& texts) {
  QStringList items;
  items.reserve(static_cast<qsizetype>(texts.size()));
  for (const std::string& text : texts) items.append(QString::fromStdString(text));
  return items;
}

}  // namespace

StationPicker::StationPicker(StationDirectory& directory, QWidget* owner)
    : QDialog(owner), directory_(directory) {
  // Fixed border with a close box, neither minimize nor maximize box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setWindowTitle(
      QStringLiteral("选择气象站点（%1）").arg(QString::fromStdString(directory_.hostName())));
  setFont(QFont(kFontFamily, kFontPoints));
  QPalette colours = palette();
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button}) {
    colours.setColor(role, kWindowColour);
  }
  setPalette(colours);
  setAutoFillBackground(true);

  buildElements();
  setFocusOrder();
  setFixedSize(kClientWidth, kClientHeight);
  fitClientAndCenter(*this, kClientWidth, kClientHeight, owner);
  directory_.readDirectoryCaches(*this);
}

StationPicker::~StationPicker() {
  // Hiding the window on the way out takes the focus from a search box,
  // whose placeholder then comes back: no search may run on a picker that
  // is half destroyed.
  disconnect(provinceSearchBox_, nullptr, this, nullptr);
  disconnect(stationSearchBox_, nullptr, this, nullptr);
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

  connect(provinceRefreshButton_, &QPushButton::clicked, this, &StationPicker::refreshProvinces);
  connect(stationRefreshButton_, &QPushButton::clicked, this,
          &StationPicker::refreshStationsOfSelection);
  connect(provinceList_, &QListWidget::itemDoubleClicked, this,
          &StationPicker::refreshStationsOfSelection);
  connect(stationList_, &QListWidget::itemDoubleClicked, this, &StationPicker::confirmStation);
  connect(confirmButton_, &QPushButton::clicked, this, &StationPicker::confirmStation);
  connect(cancelButton_, &QPushButton::clicked, this, &StationPicker::reject);
  connect(provinceSearchBox_, &QLineEdit::textChanged, this,
          [this] { searchList(*provinceList_, *provinceSearchBox_); });
  connect(stationSearchBox_, &QLineEdit::textChanged, this,
          [this] { searchList(*stationList_, *stationSearchBox_); });
}

void StationPicker::setFocusOrder() {
  const std::array<QWidget*, 8> order = {provinceRefreshButton_, provinceSearchBox_, provinceList_,
                                         stationRefreshButton_,  stationSearchBox_,  stationList_,
                                         confirmButton_,         cancelButton_};
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
  provinceList_->addItems(itemTexts(texts));
}

void StationPicker::addStationItems(const std::vector<std::string>& texts) {
  stationList_->addItems(itemTexts(texts));
}

void StationPicker::showFailed() {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("信息："), QStringLiteral("Failed"),
                  QMessageBox::Ok, this);
  box.exec();
}

void StationPicker::refreshProvinces() {
  directory_.downloadProvinces(*this);
}

void StationPicker::refreshStationsOfSelection() {
  const int row = selectedRow(*provinceList_);
  const auto& provinces = directory_.provinces();
  if (row < 0 || static_cast<std::size_t>(row) >= provinces.size()) return;
  directory_.downloadStations(*this, provinces[static_cast<std::size_t>(row)].code);
}

void StationPicker::confirmStation() {
  const int row = selectedRow(*stationList_);
  const auto& stations = directory_.stations();
  if (row < 0 || static_cast<std::size_t>(row) >= stations.size()) return;
  confirmedStation_ = QString::fromStdString(stations[static_cast<std::size_t>(row)].code);
  directory_.writeDirectoryCaches();
  accept();
}

void StationPicker::searchList(QListWidget& list, const SearchBox& box) {
  const QString typed = box.text();
  if (typed.isEmpty() || box.showsPlaceholder()) return;
  // From the top, a prefix match that ignores letter case.
  for (int row = 0; row < list.count(); ++row) {
    if (list.item(row)->text().startsWith(typed, Qt::CaseInsensitive)) {
      list.setCurrentRow(row);
      list.scrollToItem(list.item(row));
      return;
    }
  }
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

void StationPicker::showEvent(QShowEvent* event) {
  // The frame is known once the window is on its way to the screen.
  fitClientAndCenter(*this, kClientWidth, kClientHeight, parentWidget());
  QDialog::showEvent(event);
}

}  // namespace skyrill
