// The export items of the main window's data menu: the day on display as
// CSV tables and as pictures, each written to a file the user names.
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMenu>
#include <QMessageBox>

#include <filesystem>
#include <functional>
#include <optional>

#include "archive/archive_names.h"
#include "core/data_grid.h"
#include "core/day_csv.h"
#include "core/day_texts.h"
#include "core/picture_format.h"
#include "store/whole_file.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/picture_files.h"

namespace skyrill {

namespace {

// The name filters of a dialog: the pattern in the description is the
// user's hint, the ones in brackets the filter itself.
const QStringList kCsvFilters = {QStringLiteral("CSV 文件（*.csv） (*.csv)")};
const QStringList kPictureFilters = {QStringLiteral("PNG 图像（*.png） (*.png)"),
                                     QStringLiteral("JPEG 图像（*.jpg） (*.jpg *.jpeg)"),
                                     QStringLiteral("SVG 图形（*.svg） (*.svg)"),
                                     QStringLiteral("PDF 文档（*.pdf） (*.pdf)")};

// "jpg" of "JPEG 图像（*.jpg） (*.jpg *.jpeg)": the filter's first pattern.
QString suffixOfFilter(const QString& filter) {
  const QString patterns = filter.section(QLatin1Char('('), -1).chopped(1);
  return patterns.section(QLatin1Char(' '), 0, 0).mid(2);
}

// What the user chose in the export dialog.
struct ExportChoice {
  QString path;  // empty when the user cancelled
  bool caption = false;
};

// Asks where to export; a name typed without an ending gets the one of the
// chosen filter. With `caption` set the dialog offers the caption line,
// ticked as `caption` says.
ExportChoice askExportFile(QWidget* owner, const QString& folder, const QStringList& filters,
                           const QString& suggestedName, std::optional<bool> caption) {
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
  QCheckBox* captionBox = nullptr;
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && caption) {
    captionBox = new QCheckBox(QStringLiteral("图片下方加说明行（站点、日期、来源）"), &dialog);
    captionBox->setObjectName(QStringLiteral("说明行"));
    captionBox->setChecked(*caption);
    grid->addWidget(captionBox, grid->rowCount(), 0, 1, grid->columnCount());
  }
  dialog.setDirectory(folder);
  dialog.selectFile(suggestedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return {dialog.selectedFiles().constFirst(), captionBox && captionBox->isChecked()};
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
  const QStringList& filters = picture ? kPictureFilters : kCsvFilters;
  const QString suggested =
      exportBaseName() + nameEnding + QLatin1Char('.') + suffixOfFilter(filters.constFirst());
  // Exports are the user's own files: not in among the archive's days.
  const QString folder = exportFolder_.isEmpty() ? firstExportFolder(picture) : exportFolder_;
  const ExportChoice choice =
      askExportFile(this, folder, filters, suggested,
                    picture ? std::optional<bool>(captionPictures_) : std::nullopt);
  if (choice.path.isEmpty()) return;
  exportFolder_ = QFileInfo(choice.path).absolutePath();
  if (picture) captionPictures_ = choice.caption;
  if (picture && !pictureFormatOf(choice.path.toStdString())) {
    QMessageBox::warning(
        this, QStringLiteral("导出"),
        QStringLiteral("图片文件名须以 %1 结尾：\n%2")
            .arg(QString::fromStdString(pictureEndingsText("、", " 或 ")), choice.path));
    return;
  }
  if (write(choice.path, choice.caption)) return;
  QMessageBox::warning(this, QStringLiteral("导出"),
                       QStringLiteral("文件导出失败：\n") + choice.path);
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
