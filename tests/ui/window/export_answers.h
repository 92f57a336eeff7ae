#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrinter>
#include <QTableWidget>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/csv_text.h"
#include "tests/store/temp_folder.h"

// What the windows' export dialogs and tables are checked with.
namespace skyrill::test {

// The header and cells of a table of texts as the CSV writes them.
inline std::string tableCsv(const QTableWidget& table) {
  std::string csv(kUtf8ByteOrderMark);
  std::vector<std::string> cells;
  for (int column = 0; column < table.columnCount(); ++column)
    cells.push_back(table.horizontalHeaderItem(column)->text().toStdString());
  csv += csvLine(cells);
  for (int row = 0; row < table.rowCount(); ++row) {
    cells.clear();
    for (int column = 0; column < table.columnCount(); ++column)
      cells.push_back(table.item(row, column)->text().toStdString());
    csv += csvLine(cells);
  }
  return csv;
}

// Answers the next export dialog with a path, in the filter given when not
// empty; an empty path cancels it.
inline void answerExportDialog(const QString& path, const QString& filter = {}) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, path, filter] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->objectName() != QStringLiteral("导出对话框")) return;
    timer->stop();
    timer->deleteLater();
    if (path.isEmpty()) return dialog->reject();
    if (!filter.isEmpty()) dialog->selectNameFilter(filter);
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();
  });
  timer->start(5);
}

// Answers the next message box with `button`.
inline void answerNextQuestion(QMessageBox::StandardButton button) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    timer->stop();
    timer->deleteLater();
    box->button(button)->click();
  });
  timer->start(5);
}

// Exports through `exportChart` to `stem` with each picture ending, the
// dialog answered with that name: each file starts as its format does.
inline void exportEachPictureEnding(const std::filesystem::path& stem,
                                    const std::function<void()>& exportChart) {
  const std::pair<const char*, std::string_view> pictures[] = {
      {".png", "\x89PNG"}, {".jpg", "\xFF\xD8\xFF"}, {".svg", "<?xml"}, {".pdf", "%PDF"}};
  for (const auto& [ending, start] : pictures) {
    const std::filesystem::path path = stem.string() + ending;
    answerExportDialog(QString::fromStdString(path.string()));
    exportChart();
    EXPECT_TRUE(testing::readBytes(path).starts_with(start)) << ending;
  }
}

// Prints with `print` to a PDF file at `path`: whether it printed one.
inline bool printsToPdf(const std::filesystem::path& path,
                        const std::function<bool(QPrinter&)>& print) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path.string()));
  return print(printer) && testing::readBytes(path).starts_with("%PDF");
}

}  // namespace skyrill::test
