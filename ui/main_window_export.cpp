// The export items of the main window's data menu: the day on display as
// CSV tables and as pictures, each written to a file the user names.
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

#include <filesystem>
#include <functional>

#include "core/data_grid.h"
#include "core/day_csv.h"
#include "store/whole_file.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/picture_files.h"

namespace skyrill {

namespace {

// The name filters of a dialog: the pattern in the description is the
// user's hint, the one in brackets the filter itself.
const QStringList kCsvFilters = {QStringLiteral("CSV 文件（*.csv） (*.csv)")};
const QStringList kPictureFilters = {QStringLiteral("SVG 图形（*.svg） (*.svg)"),
                                     QStringLiteral("PDF 文档（*.pdf） (*.pdf)"),
                                     QStringLiteral("PNG 图像（*.png） (*.png)")};

// "svg" of "SVG 图形（*.svg） (*.svg)".
QString suffixOfFilter(const QString& filter) {
  return filter.section(QStringLiteral("*."), -1).chopped(1);
}

// Asks where to export; empty when the user cancels. A name typed without
// an ending gets the one of the chosen filter.
QString askExportFile(QWidget* owner, const QString& folder, const QStringList& filters,
                      const QString& suggestedName) {
  QFileDialog dialog(owner, QStringLiteral("导出"));
  dialog.setObjectName(QStringLiteral("导出对话框"));
  prepareFileDialog(dialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(suffixOfFilter(filters.constFirst()));
  QObject::connect(
      &dialog, &QFileDialog::filterSelected, &dialog,
      [&dialog](const QString& filter) { dialog.setDefaultSuffix(suffixOfFilter(filter)); });
  dialog.setDirectory(folder);
  dialog.selectFile(suggestedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

bool writeText(const QString& path, const std::string& text) {
  return writeWholeFile(std::filesystem::path(path.toStdString()), text);
}

}  // namespace

void MainWindow::buildExportMenu(QMenu* data) {
  exportMenu_ = data->addMenu(QStringLiteral("&E.导出"));
  const std::pair<QString, void (MainWindow::*)()> items[] = {
      {QStringLiteral("&H.CSV（时次）…"), &MainWindow::exportSlotsCsv},
      {QStringLiteral("&G.CSV（表格）…"), &MainWindow::exportGridCsv},
      {QStringLiteral("&C.图表（SVG/PDF/PNG）…"), &MainWindow::exportChart},
      {QStringLiteral("&W.风向杆（SVG/PDF/PNG）…"), &MainWindow::exportWindStrip},
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
}

void MainWindow::exportDay(const QStringList& filters, const QString& nameEnding,
                           const std::function<bool(const QString&)>& write) {
  if (!hasDayToExport()) return;
  // Named after the fetched answer's file when there is one.
  const QString base =
      QFileInfo(QString::fromStdString(pipeline_->state().suggestedFileName)).completeBaseName();
  const QString suggested = (base.isEmpty() ? QStringLiteral("skyrill") : base) + nameEnding +
                            QLatin1Char('.') + suffixOfFilter(filters.constFirst());
  const QString path = askExportFile(this, dialogFolder_, filters, suggested);
  if (path.isEmpty() || write(path)) return;
  QMessageBox::warning(this, QStringLiteral("导出"), QStringLiteral("文件导出失败：\n") + path);
}

void MainWindow::exportSlotsCsv() {
  exportDay(kCsvFilters, QString(), [this](const QString& path) {
    return writeText(path, daySlotsCsv(pipeline_->state().series));
  });
}

void MainWindow::exportGridCsv() {
  exportDay(kCsvFilters, QStringLiteral("_表格"), [this](const QString& path) {
    const QueryState& state = pipeline_->state();
    return writeText(path, dataGridCsv(buildDataGrid(state.document, state.displayedMode)));
  });
}

void MainWindow::exportChart() {
  exportDay(kPictureFilters, QStringLiteral("_图表"),
            [this](const QString& path) { return saveDayChart(pipeline_->state().series, path); });
}

void MainWindow::exportWindStrip() {
  exportDay(kPictureFilters, QStringLiteral("_风向杆"),
            [this](const QString& path) { return saveWindStrip(pipeline_->state().series, path); });
}

}  // namespace skyrill
