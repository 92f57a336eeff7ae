#include "ui/export_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>

#include "core/picture_format.h"
#include "ui/file_dialogs.h"

namespace skyrill {
namespace {

// The folder of the session's last export; empty before the first.
QString& lastExportFolder() {
  static QString folder;
  return folder;
}

}  // namespace

QStringList csvExportFilters() {
  return {QStringLiteral("CSV 文件（*.csv） (*.csv)")};
}

QStringList pictureExportFilters() {
  return {QStringLiteral("PNG 图像（*.png） (*.png)"),
          QStringLiteral("JPEG 图像（*.jpg） (*.jpg *.jpeg)"),
          QStringLiteral("SVG 图形（*.svg） (*.svg)"), QStringLiteral("PDF 文档（*.pdf） (*.pdf)")};
}

QString suffixOfFilter(const QString& filter) {
  const QString patterns = filter.section(QLatin1Char('('), -1).chopped(1);
  return patterns.section(QLatin1Char(' '), 0, 0).mid(2);
}

QString exportFolder(bool picture) {
  // Exports are the user's own files: not in among the archive's days.
  return lastExportFolder().isEmpty() ? firstExportFolder(picture) : lastExportFolder();
}

ExportChoice askExportFile(QWidget* owner, bool picture, const QStringList& filters,
                           const QString& suggestedName, std::optional<bool> caption,
                           const QString& selectedFilter) {
  QFileDialog dialog(owner, QStringLiteral("导出"));
  dialog.setObjectName(QStringLiteral("导出对话框"));
  prepareFileDialog(dialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  const QString firstFilter = selectedFilter.isEmpty() ? filters.constFirst() : selectedFilter;
  dialog.selectNameFilter(firstFilter);
  dialog.setDefaultSuffix(suffixOfFilter(firstFilter));
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
  dialog.setDirectory(exportFolder(picture));
  dialog.selectFile(suggestedName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  ExportChoice choice{dialog.selectedFiles().constFirst(), captionBox && captionBox->isChecked(),
                      dialog.selectedNameFilter()};
  lastExportFolder() = QFileInfo(choice.path).absolutePath();
  return choice;
}

bool acceptPictureName(QWidget* owner, const QString& path) {
  if (pictureFormatOf(path.toStdString())) return true;
  QMessageBox::warning(owner, QStringLiteral("导出"),
                       QStringLiteral("图片文件名须以 %1 结尾：\n%2")
                           .arg(QString::fromStdString(pictureEndingsText("、", " 或 ")), path));
  return false;
}

void tellExportFailed(QWidget* owner, const QString& path) {
  QMessageBox::warning(owner, QStringLiteral("导出"), QStringLiteral("文件导出失败：\n") + path);
}

}  // namespace skyrill
