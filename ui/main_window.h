#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

#include "core/query_pipeline.h"
#include "fetch/range_fetcher.h"
#include "ui/date_lists.h"
#include "ui/hover_readout.h"
#include "ui/server_dialog.h"

class QAction;
class QCheckBox;
class QFileDialog;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QPushButton;

namespace skyrill {

class Canvas;
class BusyPanel;
class CertificateTrust;
class ComparisonWindow;
class ClimateWindow;
class OverviewWindow;
class RangeDialog;
struct ShownDay;
class HistoryArchive;
struct PrintSheet;
class StationDirectory;
class StationField;
class StatusStrip;

// Size of the client area below the menu bar.
inline constexpr int kClientWidth = 632;
inline constexpr int kClientHeight = 560;

// The fixed-size main window: mode, date and station on top, the chart and
// the wind strip on the left, the hour readout on the right and three status
// bars at the bottom. Every element sits at a fixed place.
class MainWindow : public QMainWindow, public QueryView {
  Q_OBJECT

 public:
  // The clock gives today's local date (for the date lists).
  explicit MainWindow(DateLists::Clock clock = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The pipeline the fetch button and the variant menus drive.
  void setPipeline(QueryPipeline* pipeline) { pipeline_ = pipeline; }
  // The directory the station picker shows; without one the picker stays shut.
  void setStationDirectory(StationDirectory* directory) { stationDirectory_ = directory; }
  // The archive days are looked up in before they are fetched; without one
  // every day is fetched, and no range can be downloaded.
  void setArchive(const HistoryArchive* archive) { archive_ = archive; }
  // The data service's base address, for the range downloads.
  void setServerAddress(const std::string& address) { serverAddress_ = address; }
  // The certificates requests trust (for the range downloads), and what
  // keeps a certificate the user decides to trust, false when it could not
  // be written down; without it a refused certificate is not offered.
  using KeepCertificate = std::function<bool(const ServerCertificate&)>;
  void setCertificateTrust(const CertificateTrust* trust, KeepCertificate keep);
  // The service addresses as set (empty for the built-in ones) and the
  // built-in ones, for "服务器…".
  void setServiceAddresses(const ServiceAddresses& set, const ServiceAddresses& builtIn);

  // QueryView
  QueryRequest readRequest() override;
  void setFetchEnabled(bool enabled) override;
  void showMessage(const UserMessage& message) override;
  void showVariantCaptions(const std::string& windCaption,
                           const std::string& visibilityCaption) override;
  void drawDay(const DaySeries& series) override;
  void showTitle(const std::string& title) override;
  void showStatusLines(const std::array<StatusLine, kStatusLineCount>& lines) override;
  // Refills the data grid window when it is open.
  void refreshTable() override;
  void runFinished() override;
  // Asks whether to trust the certificate; trusted, the fetch goes again.
  void offerCertificate(const ServerCertificate& certificate) override;

  // Opens the data grid window filled with the day on display, or brings
  // the open one to the front.
  void showTable();

  // Start-up values (from the settings).
  void setStationNumber(const QString& number);
  void setRealtime(bool ticked);
  void setAutoSave(bool on);
  void setApiKey(const QString& key);
  // An empty address greys out and unticks the proxy switch.
  void setProxyAddress(const QString& address);
  void setProxyEnabled(bool on);
  void setVariants(WindVariant wind, VisibilityVariant visibility);
  // The caption without the indicator marks.
  void setBaseTitle(const QString& title);
  // Caption := base title + the marks of auto-save, proxy and advanced source.
  void refreshTitle();

  // The "&A.自动保存" tick; it toggles when the user chooses the item.
  QAction& autoSaveAction() { return *autoSaveAction_; }

  // The folder the open and save dialog starts in.
  void setDialogFolder(const QString& folder);
  // Where the settings and the archive are kept, for the about box.
  void setDataPlaces(const QString& settingsFile, const QString& archiveFolder);
  // Lets files be dropped on the window; a drop opens the first of them.
  void acceptFileDrops();
  // Opens the first path; more than one brings a notice first.
  void openDroppedFiles(const QStringList& paths);
  // Shows an observation file as the pipeline shows a fetched answer.
  void openDayFile(const QString& path);

  DateLists& dateLists() { return *dateLists_; }
  Canvas& chartCanvas() { return *chartCanvas_; }
  Canvas& stripCanvas() { return *stripCanvas_; }
  // Panel `panel` (from 0) of status bar `bar` (1 to 3).
  QLabel* statusPanel(int bar, int panel) const;

 public slots:
  void fetch();
  void chooseStation();
  void chooseWindVariant(WindVariant variant);
  void chooseVisibilityVariant(VisibilityVariant variant);
  void toggleAdvancedSource();
  void openDayFromDialog();
  void saveDayAs();
  void enterApiKey();
  void configureProxy();
  // "服务器…": the two service addresses; a change is told by
  // serviceAddressesChanged.
  void configureServers();
  // Gives up the fetch under way; the day on display stays.
  void cancelFetch();
  // Moves the date lists a day back or on and shows that day: from the
  // archive when it holds it, else fetched.
  void showPreviousDay();
  void showNextDay();
  // The readout at an hour slot (1 to 24), as the pointer there would show it.
  void showReadoutSlot(int slot);
  void showAbout();
  // "打印…": the day on display on one page, through the print dialog.
  void printDay();
  // Opens the window that downloads many days into the archive.
  void downloadDays();
  // Opens the overview of the station's saved days around the day on display.
  void showOverview();
  // Opens the window that compares stations, or brings the open one to the front.
  void showComparison();
  // Opens "历史同期", the day on display in its station's climate.
  void showClimate();
  // Opens the window that downloads many days, filled in with the station
  // and the days (YYYYMMDD).
  void downloadDaysOf(const QString& station, int first, int last);
  // The hour readout: marks the hour under the pointer and shows its texts.
  void onChartMouseMove(int x, int y);
  // The pointer moved over the chart, as the canvas tells it.
  void onPointerOverChart(int x, int y);

 signals:
  // The window has agreed to close: the last moment its state can be read.
  void closing();
  // The user has set other service addresses (empty for the built-in ones).
  void serviceAddressesChanged(const ServiceAddresses& set);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildTopRow(QWidget* client);
  void buildChartArea(QWidget* client);
  void buildReadoutColumn(QWidget* client);
  void buildStatusBars(QWidget* client);
  void buildMenus();
  void setFocusOrder();
  // Ticks the item of the variant and unticks the others.
  void tickWindVariant(WindVariant variant);
  void tickVisibilityVariant(VisibilityVariant variant);
  void connectCommands();
  // The one open/save dialog; it keeps the last name it held.
  QFileDialog& fileDialog();
  // The wait cursor and the busy panel of a run.
  void showBusy(bool busy);
  // The commands that act on the day held are enabled only when they can.
  void refreshCommands();
  // The readout of a day just drawn: the slot under the pointer, or nothing.
  void refreshReadout(const DaySeries& series);
  void showReadout(const DaySeries& series, int slot);
  void stepDay(int days);
  // The station and date (YYYYMMDD) of the day on display; 0 when none.
  std::pair<QString, int> dayOnDisplay() const;
  // The same, with the date lists' day when no day is on display.
  std::pair<QString, int> dayAroundDisplay() const;
  // Tells the open overview about the day on display and the days saved.
  void updateOverview(bool daysSaved);
  // Tells the open comparison the station on display, the variants in use
  // and the days saved.
  void updateComparison(bool daysSaved);
  // How the window asks the data service for many days: its key, proxy,
  // source and server.
  RangeRequest rangeSettings();
  // The same for the open climate window (main_window_climate.cpp).
  void updateClimate(bool daysSaved);
  // The day on display as the climate window follows it.
  ShownDay shownDay() const;
  // The open download window, or a new one.
  RangeDialog* openRangeDialog();
  // Left, Right, Home and End on the chart step the readout hour by hour.
  bool stepReadoutByKey(int key);
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The export items of the data menu (main_window_export.cpp): enabled
  // while a day is on display; each asks for a file and writes it with
  // `write` (given the file and whether to add the caption line), telling
  // the user when that fails.
  enum class ExportKind { Table, Picture };
  void buildExportMenu(QMenu* data);
  bool hasDayToExport() const;
  void refreshExportItems();
  QString exportBaseName() const;
  QString pictureCaption() const;
  void exportDay(ExportKind kind, const QString& nameEnding,
                 const std::function<bool(const QString&, bool)>& write);
  void exportSlotsCsv();
  void exportGridCsv();
  void exportChart();
  void exportWindStrip();

 public:
  // The day on display as a printed page shows it (main_window_print.cpp):
  // title, chart, wind strip, the eleven status panels, the caption line.
  PrintSheet daySheet() const;
  // Prints it on the printer as set up; false when nothing could be printed.
  bool printDay(QPrinter& printer) const;

 private:
  QueryPipeline* pipeline_ = nullptr;
  StationDirectory* stationDirectory_ = nullptr;
  const HistoryArchive* archive_ = nullptr;
  const CertificateTrust* certificateTrust_ = nullptr;
  KeepCertificate keepCertificate_;

  QCheckBox* realtimeBox_ = nullptr;
  QComboBox* yearList_ = nullptr;
  QComboBox* monthList_ = nullptr;
  QComboBox* dayList_ = nullptr;
  StationField* stationField_ = nullptr;
  QPushButton* chooseStationButton_ = nullptr;
  QPushButton* fetchButton_ = nullptr;
  Canvas* chartCanvas_ = nullptr;
  Canvas* stripCanvas_ = nullptr;
  std::array<QLineEdit*, kReadoutCount> readoutBoxes_{};
  QLabel* titleLabel_ = nullptr;
  std::array<StatusStrip*, 3> statusBars_{};
  std::unique_ptr<DateLists> dateLists_;

  BusyPanel* busyPanel_ = nullptr;
  QAction* cancelAction_ = nullptr;

  QAction* openAction_ = nullptr;
  QAction* saveAction_ = nullptr;
  QAction* autoSaveAction_ = nullptr;
  QAction* showTableAction_ = nullptr;
  QAction* apiKeyAction_ = nullptr;
  QAction* advancedSourceAction_ = nullptr;
  QAction* proxyEnableAction_ = nullptr;
  QAction* proxyConfigureAction_ = nullptr;
  QAction* serverAction_ = nullptr;
  QAction* downloadDaysAction_ = nullptr;
  QAction* printAction_ = nullptr;
  QAction* previousDayAction_ = nullptr;
  QAction* nextDayAction_ = nullptr;
  QAction* overviewAction_ = nullptr;
  QAction* comparisonAction_ = nullptr;
  QAction* climateAction_ = nullptr;
  QAction* quitAction_ = nullptr;
  QAction* aboutAction_ = nullptr;
  QMenu* windMenu_ = nullptr;
  QMenu* visibilityMenu_ = nullptr;
  QMenu* exportMenu_ = nullptr;
  std::array<QAction*, 3> windActions_{};
  std::array<QAction*, 2> visibilityActions_{};

  QPointer<OverviewWindow> overview_;
  QPointer<ComparisonWindow> comparison_;
  QPointer<ClimateWindow> climate_;
  QFileDialog* fileDialog_ = nullptr;
  QString dialogFolder_;
  bool captionPictures_ = false;  // the export dialog's caption box, for this session

  bool fetchHadFocus_ = false;      // the fetch button had the focus when a run began
  int readoutSlot_ = 0;             // the slot the readout shows, 0 for none
  bool readoutByKeyboard_ = false;  // a key chose that slot, and the pointer has not moved since
  QPoint pointerAtKey_;             // where the pointer was then, in the chart's drawing area
  bool showingBusy_ = false;        // the wait cursor is up
  QString apiKey_;
  QString proxyAddress_;
  QString baseTitle_;
  std::string serverAddress_;
  ServiceAddresses serviceAddresses_;
  ServiceAddresses builtInAddresses_;
  QString settingsFile_;
  QString archiveFolder_;
};

}  // namespace skyrill
