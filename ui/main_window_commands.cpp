// The commands of the data, key and proxy menus, and files dropped on the
// main window.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "core/calendar_date.h"
#include "store/observation_files.h"
#include "ui/busy_panel.h"
#include "ui/climate_window.h"
#include "ui/comparison_window.h"
#include "ui/date_numbers.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/overview_window.h"
#include "ui/range_dialog.h"
#include "ui/station_field.h"

namespace skyrill {

namespace {

const QString kApiKeyCaption = QStringLiteral("&C.当前密钥：");

// The file dialog's one filter; the pattern in the description is the
// user's hint, the one in brackets the filter itself.
const QString kDayFileFilter = QStringLiteral("JSON 文件（*.json） (*.json)");

// Asks for a text; nullopt when the user cancels.
std::optional<QString> askText(QWidget* owner, const QString& title, const QString& prompt,
                               const QString& initial) {
  QInputDialog dialog(owner);
  dialog.setWindowTitle(title);
  dialog.setLabelText(prompt);
  dialog.setTextValue(initial);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

// The local files among dropped URLs, in drop order.
QStringList localFiles(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  return paths;
}

}  // namespace

void MainWindow::connectCommands() {
  connect(openAction_, &QAction::triggered, this, &MainWindow::openDayFromDialog);
  connect(saveAction_, &QAction::triggered, this, &MainWindow::saveDayAs);
  connect(apiKeyAction_, &QAction::triggered, this, &MainWindow::enterApiKey);
  connect(proxyConfigureAction_, &QAction::triggered, this, &MainWindow::configureProxy);
  connect(serverAction_, &QAction::triggered, this, &MainWindow::configureServers);
}

void MainWindow::setServiceAddresses(const ServiceAddresses& set, const ServiceAddresses& builtIn) {
  serviceAddresses_ = set;
  builtInAddresses_ = builtIn;
}

void MainWindow::configureServers() {
  // The test asks for yesterday at the station shown, as a fetch would.
  QueryRequest probe = readRequest();
  probe.mode = QueryMode::History;
  const QDate yesterday = dateLists_->today().addDays(-1);
  probe.year = std::to_string(yesterday.year());
  probe.month = std::to_string(yesterday.month());
  probe.day = std::to_string(yesterday.day());
  ServerDialog dialog(serviceAddresses_, builtInAddresses_, probe, this, certificateTrust_);
  dialog.setObjectName(QStringLiteral("服务器对话框"));
  if (dialog.exec() != QDialog::Accepted || dialog.addresses() == serviceAddresses_) return;
  serviceAddresses_ = dialog.addresses();
  const QString server =
      serviceAddresses_.server.isEmpty() ? builtInAddresses_.server : serviceAddresses_.server;
  serverAddress_ = server.toStdString();
  emit serviceAddressesChanged(serviceAddresses_);
}

void MainWindow::enterApiKey() {
  const auto key =
      askText(this, QStringLiteral("密钥"), QStringLiteral("请输入API Key："), apiKey_);
  if (key) setApiKey(*key);
}

void MainWindow::configureProxy() {
  const auto address =
      askText(this, QStringLiteral("配置代理"),
              QStringLiteral("请输入代理地址（如127.0.0.1:7890）："), proxyAddress_);
  if (!address) return;
  proxyAddress_ = *address;
  if (address->isEmpty()) {
    proxyEnableAction_->setChecked(false);
    proxyEnableAction_->setEnabled(false);
  } else {
    proxyEnableAction_->setEnabled(true);
    if (!proxyEnableAction_->isChecked()) {
      const auto answer = QMessageBox::question(this, QStringLiteral("配置代理"),
                                                QStringLiteral("代理配置完成，是否启用？"),
                                                QMessageBox::Yes | QMessageBox::No);
      proxyEnableAction_->setChecked(answer == QMessageBox::Yes);
    }
  }
  refreshTitle();
}

QFileDialog& MainWindow::fileDialog() {
  if (!fileDialog_) {
    fileDialog_ = new QFileDialog(this);
    fileDialog_->setObjectName(QStringLiteral("文件对话框"));
    prepareFileDialog(*fileDialog_);
    fileDialog_->setOption(QFileDialog::HideNameFilterDetails);
    fileDialog_->setNameFilter(kDayFileFilter);
    fileDialog_->setDefaultSuffix(QStringLiteral("json"));
    fileDialog_->setDirectory(dialogFolder_);
  }
  return *fileDialog_;
}

void MainWindow::setDialogFolder(const QString& folder) {
  dialogFolder_ = folder;
  if (fileDialog_) fileDialog_->setDirectory(folder);
}

void MainWindow::openDayFromDialog() {
  QFileDialog& dialog = fileDialog();
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  openDayFile(dialog.selectedFiles().constFirst());
}

void MainWindow::saveDayAs() {
  // Only a fetched answer has a name to offer; opened files and redisplays
  // leave none, and a failed fetch leaves no bytes.
  if (!pipeline_ || pipeline_->state().busy || !canSaveDay(pipeline_->state())) return;
  QFileDialog& dialog = fileDialog();
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.selectFile(QString::fromStdString(pipeline_->state().suggestedFileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().constFirst();
  // The file is replaced through a temporary one, so a failed write leaves
  // an existing file whole; the user is told, as nothing was saved.
  if (!writeDayFile(path.toStdString(), pipeline_->state().responseBytes)) {
    QMessageBox::warning(this, QStringLiteral("保存文件"),
                         QStringLiteral("文件保存失败：\n") + path);
  }
}

void MainWindow::acceptFileDrops() {
  setAcceptDrops(true);
}

// A file is taken only while no run is under way.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (pipeline_ && pipeline_->state().busy) return;
  if (!localFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QStringList paths = localFiles(event->mimeData());
  if (paths.isEmpty() || (pipeline_ && pipeline_->state().busy)) return;
  event->acceptProposedAction();
  openDroppedFiles(paths);
}

void MainWindow::openDroppedFiles(const QStringList& paths) {
  if (paths.isEmpty()) return;
  if (paths.size() > 1) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("打开文件"),
                    QStringLiteral("只能同时打开1个文件。"), QMessageBox::Ok, this);
    box.exec();
  }
  openDayFile(paths.constFirst());
}

void MainWindow::openDayFile(const QString& path) {
  if (!pipeline_) return;
  const std::string name = path.toStdString();
  const DayFileBytes file = loadDayFile(name);
  pipeline_->openDayText(file.bytes, fileNameOfPath(name), realtimeBox_->isChecked(), file.problem);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  if (!event->isAccepted()) return;
  cancelFetch();  // a request still waiting must not hold the program
  emit closing();
}

// The window stays usable while a request waits: a busy cursor (pointer
// and hourglass), not one that forbids clicking, and the panel to cancel.
void MainWindow::showBusy(bool busy) {
  busyPanel_->setWaiting(busy);
  if (busy == showingBusy_) return;
  showingBusy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void MainWindow::downloadDays() {
  openRangeDialog();
}

RangeDialog* MainWindow::openRangeDialog() {
  if (!archive_) return nullptr;
  if (auto* open = findChild<RangeDialog*>(QString(), Qt::FindDirectChildrenOnly)) {
    open->raise();
    open->activateWindow();
    return open;
  }
  auto* dialog =
      new RangeDialog(rangeSettings(), *archive_,
                      QString::fromStdString(readRequest().stationNumber), stationDirectory_, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &RangeDialog::openDayRequested, this, [this](const QString& path) {
    if (pipeline_ && !pipeline_->state().busy) openDayFile(path);
  });
  connect(dialog, &RangeDialog::daysSaved, this, [this](const QString& station) {
    if (overview_) overview_->daysAdded(station);
    if (comparison_) comparison_->daysAdded(station);
    if (climate_) climate_->daysAdded(station);
  });
  dialog->show();
  return dialog;
}

std::pair<QString, int> MainWindow::dayAroundDisplay() const {
  auto [station, date] = dayOnDisplay();
  if (date == 0) date = dateNumberOf(dateLists_->selectedDate());
  return {station, date};
}

// Asked as the window asks: its key, proxy, source and limits.
RangeRequest MainWindow::rangeSettings() {
  const QueryRequest shown = readRequest();
  RangeRequest settings;
  settings.apiKey = shown.apiKey;
  settings.advancedSource = shown.advancedSource;
  if (shown.proxyEnabled) settings.proxy = shown.proxyAddress;
  settings.server = serverAddress_;
  settings.trust = certificateTrust_;
  return settings;
}

std::pair<QString, int> MainWindow::dayOnDisplay() const {
  if (!pipeline_ || pipeline_->state().responseText.empty()) {
    return {stationField_->text(), 0};
  }
  const JsonDocument& day = pipeline_->state().document;
  const QString station = QString::fromStdString(day.getText("wmo"));
  return {station.isEmpty() ? stationField_->text() : station,
          readDateNumber(day.getText("date")).value_or(0)};
}

void MainWindow::showOverview() {
  if (!archive_) return;
  if (overview_) {
    overview_->raise();
    overview_->activateWindow();
    return;
  }
  const auto [station, date] = dayAroundDisplay();
  overview_ = new OverviewWindow(*archive_, station, date, this);
  connect(overview_, &OverviewWindow::dayChosen, this, [this](const QString& path) {
    if (pipeline_ && !pipeline_->state().busy) openDayFile(path);
  });
  overview_->show();
}

void MainWindow::updateOverview(bool daysSaved) {
  if (!overview_) return;
  const auto [station, date] = dayOnDisplay();
  if (daysSaved) overview_->daysAdded(station);
  if (date != 0) overview_->showDay(station, date);
}

void MainWindow::showComparison() {
  if (!archive_) return;
  if (comparison_) {
    comparison_->raise();
    comparison_->activateWindow();
    return;
  }
  comparison_ = new ComparisonWindow(
      *archive_, [this] { return rangeSettings(); }, dayAroundDisplay().second, this);
  comparison_->setStationDirectory(stationDirectory_);
  connect(comparison_, &ComparisonWindow::dayChosen, this, [this](const QString& path) {
    if (pipeline_ && !pipeline_->state().busy) openDayFile(path);
  });
  connect(comparison_, &ComparisonWindow::daysSaved, this, [this](const QString& saved) {
    if (overview_) overview_->daysAdded(saved);
  });
  updateComparison(false);
  comparison_->show();
}

void MainWindow::updateComparison(bool daysSaved) {
  if (!comparison_) return;
  const QueryRequest shown = readRequest();
  comparison_->setVariants({shown.windVariant, shown.visibilityVariant});
  const QString station = dayOnDisplay().first;
  comparison_->setStationOnDisplay(station);
  if (daysSaved) comparison_->daysAdded(station);
}

}  // namespace skyrill
