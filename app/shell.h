#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

#include "core/query_pipeline.h"
#include "store/program_paths.h"
#include "store/settings.h"
#include "ui/date_lists.h"
#include "ui/server_dialog.h"

namespace skyrill {

class CertificateTrust;
class DataService;
class DirectoryService;
class StationDirectory;
class HistoryArchive;
class MainWindow;
class TerminationSignals;
class ThreadRunner;

// The program from start-up to shutdown: the main window, the pipeline that
// fills it, and the settings file read once at start and written once at
// the end, whichever way the program ends in order (the window closed, the
// application quit by the desktop, or SIGTERM, SIGINT or SIGHUP).
class Shell : public QObject {
  Q_OBJECT

 public:
  struct Options {
    // The executable; its folder holds the settings, History and the report.
    std::filesystem::path programFile;
    DateLists::Clock clock;        // today's date; the system clock when empty
    bool installCrashHook = true;  // off in tests that must not take over faults
    bool catchTermination = true;  // SIGTERM, SIGINT, SIGHUP end in order
    std::string dayFile;           // opened once the window shows, as a drop would
    // Where the files go; by default as the program in its folder decides.
    std::optional<ProgramPlaces> places;
    // The data service's built-in address; by default the build's.
    std::string builtInServer;
  };

  explicit Shell(Options options);
  ~Shell() override;

  // The start-up sequence, in order; shows the window. Fetches nothing.
  void start();
  // Writes the settings, the first time it is called only.
  void shutdown();

  MainWindow& window() { return *window_; }
  QueryPipeline& pipeline() { return *pipeline_; }
  const QString& baseTitle() const { return baseTitle_; }
  std::filesystem::path programDirectory() const { return options_.programFile.parent_path(); }
  // Where the settings, History and the directory caches are kept.
  const ProgramPlaces& places() const { return places_; }
  const std::filesystem::path& settingsFile() const { return places_.settingsFile; }

 private:
  void applySettings(const Settings& settings);
  void showOnceShown(const UserMessage& message);
  // Sends requests to the addresses from now on; they are saved at the end.
  void applyServiceAddresses(const ServiceAddresses& set);
  Settings currentSettings() const;
  // Trusts the certificate from now on, and writes it into the settings
  // file at once; false when the file could not be written.
  bool keepCertificate(const ServerCertificate& certificate);
  void onTerminationSignal();
  std::string builtInServer() const;

  // A folder removed once everything else of the shell is gone.
  struct RemovedAtEnd {
    RemovedAtEnd() = default;
    RemovedAtEnd(const RemovedAtEnd&) = delete;
    RemovedAtEnd& operator=(const RemovedAtEnd&) = delete;
    ~RemovedAtEnd();
    std::filesystem::path folder;
  };

  // First, so that it goes last: what stood in for unknown places is not kept.
  RemovedAtEnd standIn_;
  Options options_;
  ProgramPlaces places_;
  Settings loaded_;
  // Before the services that read it.
  std::unique_ptr<CertificateTrust> certificateTrust_;
  std::unique_ptr<DataService> service_;
  std::unique_ptr<HistoryArchive> archive_;
  // Between the service its requests use and the pipeline that cancels them
  // on the way out: it goes after the pipeline and before the service.
  std::unique_ptr<ThreadRunner> runner_;
  std::unique_ptr<QueryPipeline> pipeline_;
  std::unique_ptr<DirectoryService> directoryService_;
  std::unique_ptr<StationDirectory> stationDirectory_;
  std::unique_ptr<TerminationSignals> termination_;
  // Last, so that it goes first: it points at everything above.
  std::unique_ptr<MainWindow> window_;
  QString baseTitle_;
  bool shutDown_ = false;
};

// "Skyrill（host） version".
QString composeBaseTitle(const std::string& serverAddress);

}  // namespace skyrill
