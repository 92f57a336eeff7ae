// Skyrill: one weather station's hourly observations for one day.
#include <QAction>
#include <QApplication>
#include <QScreen>

#include "core/query_pipeline.h"
#include "net/data_service.h"
#include "stations/station_directory.h"
#include "store/history_archive.h"
#include "store/observation_files.h"
#include "store/program_paths.h"
#include "store/settings.h"
#include "ui/main_window.h"

namespace {

// "Skyrill（host） version".
QString baseTitle(const std::string& serverAddress) {
  return QStringLiteral("Skyrill（%1） %2")
      .arg(QString::fromStdString(skyrill::serverHostName(serverAddress)),
           QStringLiteral(SKYRILL_VERSION));
}

void applySettings(skyrill::MainWindow& window, const skyrill::Settings& settings) {
  window.setStationNumber(QString::fromStdString(settings.stationNumber));
  window.setRealtime(settings.realtime);
  window.setVariants(settings.windVariant, settings.visibilityVariant);
  window.setProxyAddress(QString::fromStdString(settings.proxyAddress));
  window.setProxyEnabled(settings.proxyEnabled);
  window.setApiKey(QString::fromStdString(settings.apiKey));
  window.setAutoSave(settings.autoSave);
}

void centreOnScreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (!screen) return;
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));

  const skyrill::Settings settings = skyrill::loadSettings(skyrill::settingsPath());
  const std::string serverAddress =
      settings.serverAddress.empty() ? skyrill::defaultServerAddress() : settings.serverAddress;

  skyrill::MainWindow window;
  skyrill::DataService service(serverAddress);
  skyrill::HistoryArchive archive(skyrill::programDirectory());
  skyrill::QueryPipeline pipeline(window, &service, &archive);
  window.setPipeline(&pipeline);
  skyrill::DirectoryService directoryService(settings.directoryAddress.empty()
                                                 ? std::string(skyrill::kDefaultDirectoryAddress)
                                                 : settings.directoryAddress);
  skyrill::StationDirectory stationDirectory(directoryService, skyrill::programDirectory());
  window.setStationDirectory(&stationDirectory);
  QObject::connect(&window.autoSaveAction(), &QAction::toggled,
                   [&archive](bool on) { archive.setAutoSave(on); });
  applySettings(window, settings);
  archive.setAutoSave(settings.autoSave);
  skyrill::ensureFolderPath(skyrill::historyFolder(skyrill::programDirectory()));
  window.setBaseTitle(baseTitle(serverAddress));

  window.adjustSize();
  centreOnScreen(window);
  window.show();
  return QApplication::exec();
}
