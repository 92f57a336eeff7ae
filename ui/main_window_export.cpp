// The export items of the main window's data menu: the day on display as
// CSV tables and as pictures, each written to a file the user names.
#include <QMenu>

#include <filesystem>
#include <functional>
#include <optional>

#include "archive/archive_names.h"
#include "core/data_grid.h"
#include "core/day_csv.h"
#include "core/day_texts.h"
#include "store/whole_file.h"
#include "ui/export_dialog.h"
#include "ui/main_window.h"
#include "ui/picture_files.h"

namespace skyrill {

namespace {

bool writeText(const QString& path, const std::string& text) {
  return writeWholeFile(std::filesystem::path(path.toStdString()), text);
}

}  // namespace

void MainWindow::buildExportMenu(QMenu* data) {
  exportMenu_ = data->addMenu(QStringLiteral("&E.导出"));
  const std::pair<QString, void (MainWindow::*)()> items[] = {
      {QStringLiteral("&H.CSV（时次）…"), &MainWindow::exportSlotsCsv},
      {QStringLiteral("&G.CSV（表格）…"), &MainWindow::exportGridCsv},
      {QStringLiteral("&C.图表（PNG/JPEG/SVG/PDF）…"), &MainWindow::exportChart},
      {QStringLiteral("&W.风向杆（PNG/JPEG/SVG/PDF）…"), &MainWindow::exportWindStrip},
  };
  for (const auto& [caption, command] : items) {
    connect(exportMenu_->addAction(caption), &QAction::triggered, this, command);
  }
  // The items follow the day on display whenever the menu opens.
  connect(data, &QMenu::aboutToShow, this, &MainWindow::refreshExportItems);
  refreshExportItems();
}

bool MainWindow::hasDayToExport() const {
  return pipeline_ && !pipeline_->state().busy && !pipeline_->state().responseText.empty();
}

void MainWindow::refreshExportItems() {
  for (QAction* item : exportMenu_->actions()) item->setEnabled(hasDayToExport());
  if (printAction_) printAction_->setEnabled(hasDayToExport());
}

QString MainWindow::exportBaseName() const {
  const JsonDocument& document = pipeline_->state().document;
  return QString::fromStdString(readableDayName(document.getText("res[0].name"),
                                                document.getText("wmo"), document.getText("date")));
}

void MainWindow::exportDay(ExportKind kind, const QString& nameEnding,
                           const std::function<bool(const QString&, bool)>& write) {
  if (!hasDayToExport()) return;
  const bool picture = kind == ExportKind::Picture;
  const QStringList filters = picture ? pictureExportFilters() : csvExportFilters();
  const QString suggested =
      exportBaseName() + nameEnding + QLatin1Char('.') + suffixOfFilter(filters.constFirst());
  const ExportChoice choice =
      askExportFile(this, picture, filters, suggested,
                    picture ? std::optional<bool>(captionPictures_) : std::nullopt);
  if (choice.path.isEmpty()) return;
  if (picture) captionPictures_ = choice.caption;
  if (picture && !acceptPictureName(this, choice.path)) return;
  if (!write(choice.path, choice.caption)) tellExportFailed(this, choice.path);
}

QString MainWindow::pictureCaption() const {
  const QueryState& state = pipeline_->state();
  return QString::fromStdString(
      composePictureCaption(state.displayedMode, state.document, state.sourceLabel));
}

void MainWindow::exportSlotsCsv() {
  exportDay(ExportKind::Table, QString(), [this](const QString& path, bool) {
    return writeText(path, daySlotsCsv(pipeline_->state().series));
  });
}

void MainWindow::exportGridCsv() {
  exportDay(ExportKind::Table, QStringLiteral("_表格"), [this](const QString& path, bool) {
    const QueryState& state = pipeline_->state();
    return writeText(path, dataGridCsv(buildDataGrid(state.document, state.displayedMode)));
  });
}

void MainWindow::exportChart() {
  exportDay(ExportKind::Picture, QString(), [this](const QString& path, bool caption) {
    return saveDayChart(pipeline_->state().series, path, caption ? pictureCaption() : QString());
  });
}

void MainWindow::exportWindStrip() {
  exportDay(ExportKind::Picture, QStringLiteral("_风向杆"),
            [this](const QString& path, bool caption) {
              return saveWindStrip(pipeline_->state().series, path,
                                   caption ? pictureCaption() : QString());
            });
}

}  // namespace skyrill
