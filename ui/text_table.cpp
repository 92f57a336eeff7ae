#include "ui/text_table.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTableWidget>

#include "ui/table_window.h"

namespace skyrill {
namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

bool looksNumeric(const QString& text) {
  bool number = false;
  text.toDouble(&number);
  return number;
}

QString oneCell(const std::string& text) {
  QString cell = fromUtf8(text);
  for (QChar& c : cell) {
    if (c == u'\t' || c == u'\n' || c == u'\r') c = u' ';
  }
  return cell;
}

void addLine(QString& text, const std::vector<std::string>& cells) {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) text += u'\t';
    text += oneCell(cells[i]);
  }
  text += u'\n';
}

}  // namespace

QTableWidget* makeTextTable(const QString& name, QWidget* parent) {
  auto* table = new QTableWidget(parent);
  table->setObjectName(name);
  table->setAccessibleName(name);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table->setAlternatingRowColors(true);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setHighlightSections(false);
  return table;
}

void showTextTable(QTableWidget& table, const std::vector<std::string>& header,
                   const TextRows& rows) {
  table.clear();
  table.setColumnCount(static_cast<int>(header.size()));
  table.setRowCount(static_cast<int>(rows.size()));
  QStringList labels;
  for (const std::string& text : header) labels << fromUtf8(text);
  table.setHorizontalHeaderLabels(labels);
  for (int row = 0; row < table.rowCount(); ++row) {
    const auto& cells = rows[static_cast<std::size_t>(row)];
    for (int column = 0; column < table.columnCount(); ++column) {
      const auto index = static_cast<std::size_t>(column);
      auto* item = new QTableWidgetItem(index < cells.size() ? fromUtf8(cells[index]) : QString());
      item->setTextAlignment(Qt::AlignVCenter |
                             (looksNumeric(item->text()) ? Qt::AlignRight : Qt::AlignLeft));
      table.setItem(row, column, item);
    }
  }
  table.resizeColumnsToContents();
}

QString tabSeparatedRows(const std::vector<std::string>& header, const TextRows& rows) {
  QString text;
  addLine(text, header);
  for (const auto& row : rows) addLine(text, row);
  return text;
}

bool copyFocusedSelection(std::initializer_list<const QTableWidget*> tables) {
  for (const QTableWidget* table : tables) {
    if (!table->hasFocus()) continue;
    const QString cells = selectionText(*table);
    if (!cells.isEmpty()) QGuiApplication::clipboard()->setText(cells);
    return true;
  }
  return false;
}

}  // namespace skyrill
