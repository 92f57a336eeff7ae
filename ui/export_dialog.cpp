#include "ui/export_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>

#include "ui/file_dialogs.h"

namespace skyrill {

const QStringList kCsvExportFilters = {QStringLiteral("CSV 文件（*.csv） (*.csv)")};
const QStringList kPictureExportFilters = {QStringLiteral("PNG 图像（*.png） (*.png)"),
                                           QStringLiteral("JPEG 图像（*.jpg） (*.jpg *.jpeg)"),
                                           QStringLiteral("SVG 图形（*.svg） (*.svg)"),
                                           QStringLiteral("PDF 文档（*.pdf） (*.pdf)")};

QString suffixOfFilter(const QString& filter) {
  const QString patterns = filter.section(QLatin1Char('('), -1).chopped(1);
  return patterns.section(QLatin1Char(' '), 0, 0).mid(2);
}

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

}  // namespace skyrill
