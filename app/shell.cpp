#include "app/shell.h"

#include <QAction>
#include <QApplication>

#include "app/crash_hook.h"
#include "app/termination_signals.h"
#include "archive/history_archive.h"
#include "net/certificate_trust.h"
#include "net/data_service.h"
#include "stations/directory_service.h"
#include "stations/station_directory.h"
#include "store/observation_files.h"
#include "store/program_paths.h"
#include "ui/main_window.h"
#include "ui/thread_runner.h"
#include "ui/window_placement.h"

namespace skyrill {

namespace {

// Follows a fetch that failed at the built-in address: the user may not
// know there is another.
constexpr std::string_view kBuiltInServerHint =
    "这是程序内置的地址，可在菜单“数据 → 服务器…”中更改。";

std::string orBuiltIn(const std::string& address, std::string_view builtIn) {
  return address.empty() ? std::string(builtIn) : address;
}

}  // namespace

QString composeBaseTitle(const std::string& serverAddress) {
  return QStringLiteral("Skyrill（%1） %2")
      .arg(QString::fromStdString(serverHostName(serverAddress)), QStringLiteral(SKYRILL_VERSION));
}

Shell::Shell(Options options)
    : options_(std::move(options)),
      places_(options_.places.value_or(programPlaces(programDirectory()))),
      window_(std::make_unique<MainWindow>(options_.clock)) {}

Shell::~Shell() {
  if (options_.installCrashHook) releaseCrashHook();
}

Shell::RemovedAtEnd::~RemovedAtEnd() {
  std::error_code error;
  if (!folder.empty()) std::filesystem::remove_all(folder, error);
}

void Shell::start() {
  const PreparedPlaces prepared = preparePlaces(places_, programDirectory());
  standIn_.folder = prepared.standIn;
  removeSettingsLeftovers(settingsFile());
  loaded_ = loadSettings(settingsFile());
  const std::string serverAddress = orBuiltIn(loaded_.serverAddress, builtInServer());
  certificateTrust_ =
      std::make_unique<CertificateTrust>(loaded_.trustedCertificates, loaded_.acceptAnyCertificate);
  service_ = std::make_unique<DataService>(serverAddress, WebLimits{}, certificateTrust_.get());
  if (loaded_.serverAddress.empty())
    service_->setServerFailureHint(std::string(kBuiltInServerHint));
  archive_ = std::make_unique<HistoryArchive>(places_.dataFolder);
  runner_ = std::make_unique<ThreadRunner>();
  pipeline_ =
      std::make_unique<QueryPipeline>(*window_, service_.get(), archive_.get(), runner_.get());
  window_->setPipeline(pipeline_.get());
  window_->setArchive(archive_.get());
  window_->setServerAddress(serverAddress);
  window_->setCertificateTrust(
      certificateTrust_.get(),
      [this](const ServerCertificate& certificate) { return keepCertificate(certificate); });
  directoryService_ = std::make_unique<DirectoryService>(
      orBuiltIn(loaded_.directoryAddress, kDefaultDirectoryAddress), DirectoryService::kLimits,
      certificateTrust_.get());
  window_->setServiceAddresses({QString::fromStdString(loaded_.serverAddress),
                                QString::fromStdString(loaded_.directoryAddress)},
                               {QString::fromStdString(builtInServer()),
                                QString::fromStdString(std::string(kDefaultDirectoryAddress))});
  connect(window_.get(), &MainWindow::serviceAddressesChanged, this, &Shell::applyServiceAddresses);
  stationDirectory_ = std::make_unique<StationDirectory>(*directoryService_, places_.cacheFolder);
  stationDirectory_->setCertificateKeeper(
      [this](const ServerCertificate& certificate) { return keepCertificate(certificate); });
  window_->setStationDirectory(stationDirectory_.get());

  // From here on a kill ends in order: a signal waits in the event loop.
  if (options_.catchTermination) {
    termination_ = std::make_unique<TerminationSignals>();
    connect(termination_.get(), &TerminationSignals::received, this, &Shell::onTerminationSignal);
  }
  if (options_.installCrashHook) {
    installCrashHook(options_.programFile, &pipeline_->state().responseText,
                     &pipeline_->state().heldTextKey);
  }
  window_->adjustSize();
  fitClientAndCenter(*window_, kClientWidth, kClientHeight);
  baseTitle_ = composeBaseTitle(serverAddress);
  // The date lists were filled with today's date when the window was made.
  applySettings(loaded_);
  window_->setBaseTitle(baseTitle_);
  const std::filesystem::path history = historyFolder(places_.dataFolder);
  ensureFolderPath(history);
  window_->setDialogFolder(QString::fromStdString(history.string()));
  window_->setDataPlaces(QString::fromStdString(settingsFile().string()),
                         QString::fromStdString(history.string()));
  window_->acceptFileDrops();

  connect(window_.get(), &MainWindow::closing, this, &Shell::shutdown);
  if (qApp) connect(qApp, &QCoreApplication::aboutToQuit, this, &Shell::shutdown);
  window_->show();
  // Said once, over the window: settings changed now would be lost quietly.
  if (!prepared.settingsKept) {
    showOnceShown({"找不到可以写入的文件夹，本次更改的设置在程序关闭后不会保留。\r\n" +
                       settingsFile().string(),
                   "设置",
                   MessageIcon::Warning,
                   {}});
  }
  // Days of an earlier version out of sight: where they are, and why.
  if (prepared.earlierFilesLeft) {
    showOnceShown({earlierFilesLeftMessage(*prepared.earlierFilesLeft),
                   std::string(kEarlierFilesLeftTitle),
                   MessageIcon::Warning,
                   {}});
  }
  // Opened from the event loop, so that a message about the file stands over
  // a window already drawn.
  if (!options_.dayFile.empty()) {
    QMetaObject::invokeMethod(
        window_.get(),
        [window = window_.get(), file = QString::fromStdString(options_.dayFile)] {
          window->openDroppedFiles({file});
        },
        Qt::QueuedConnection);
  }
}

// Shown from the event loop, over a window already drawn.
void Shell::showOnceShown(const UserMessage& message) {
  QMetaObject::invokeMethod(
      window_.get(), [window = window_.get(), message] { window->showMessage(message); },
      Qt::QueuedConnection);
}

// In the order the settings file lists them; each step may depend on the
// one before (the proxy tick needs the address).
void Shell::applySettings(const Settings& settings) {
  window_->setStationNumber(QString::fromStdString(settings.stationNumber));
  window_->setRealtime(settings.realtime);
  window_->setVariants(settings.windVariant, settings.visibilityVariant);
  window_->setProxyAddress(QString::fromStdString(settings.proxyAddress));
  window_->setProxyEnabled(settings.proxyEnabled);
  window_->setApiKey(QString::fromStdString(settings.apiKey));
  window_->setAutoSave(settings.autoSave);
  archive_->setAutoSave(settings.autoSave);
  connect(&window_->autoSaveAction(), &QAction::toggled, this,
          [this](bool on) { archive_->setAutoSave(on); });
}

std::string Shell::builtInServer() const {
  return options_.builtInServer.empty() ? defaultServerAddress() : options_.builtInServer;
}

void Shell::applyServiceAddresses(const ServiceAddresses& set) {
  const std::string server = set.server.toStdString();
  const std::string directory = set.directory.toStdString();
  if (server != loaded_.serverAddress) {
    loaded_.serverAddress = server;
    loaded_.serverAddressChanged = true;
    const std::string address = orBuiltIn(server, builtInServer());
    service_->setBaseAddress(address);
    service_->setServerFailureHint(server.empty() ? std::string(kBuiltInServerHint) : "");
    window_->setServerAddress(address);
    baseTitle_ = composeBaseTitle(address);
    window_->setBaseTitle(baseTitle_);
  }
  if (directory != loaded_.directoryAddress) {
    loaded_.directoryAddress = directory;
    loaded_.directoryAddressChanged = true;
    directoryService_->setBaseAddress(orBuiltIn(directory, kDefaultDirectoryAddress));
  }
}

// The values the window shows now, and the service addresses set in it.
Settings Shell::currentSettings() const {
  const QueryRequest shown = window_->readRequest();
  Settings settings;
  settings.stationNumber = shown.stationNumber;
  settings.realtime = shown.mode == QueryMode::Today;
  settings.windVariant = shown.windVariant;
  settings.visibilityVariant = shown.visibilityVariant;
  settings.proxyAddress = shown.proxyAddress;
  settings.proxyEnabled = shown.proxyEnabled;
  settings.apiKey = shown.apiKey;
  settings.autoSave = window_->autoSaveAction().isChecked();
  settings.serverAddress = loaded_.serverAddress;
  settings.serverAddressChanged = loaded_.serverAddressChanged;
  settings.directoryAddress = loaded_.directoryAddress;
  settings.directoryAddressChanged = loaded_.directoryAddressChanged;
  return settings;
}

bool Shell::keepCertificate(const ServerCertificate& certificate) {
  certificateTrust_->pin(certificate.server, certificate.sha256);
  return saveTrustedCertificate(settingsFile(), certificate.server, certificate.sha256);
}

void Shell::shutdown() {
  if (shutDown_ || !pipeline_) return;
  shutDown_ = true;
  saveSettings(settingsFile(), currentSettings());
}

void Shell::onTerminationSignal() {
  shutdown();
  QCoreApplication::quit();  // leaves every event loop, a modal box's too
}

}  // namespace skyrill
