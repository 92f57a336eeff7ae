#pragma once

#include <QString>

#include <initializer_list>
#include <string>
#include <vector>

class QTableWidget;
class QWidget;

// Read-only tables of texts made by the Qt-free rules (a header and rows of
// cells), as the overview and the climate window show them.
namespace skyrill {

using TextRows = std::vector<std::vector<std::string>>;

// A table the user can select and copy from but not edit.
QTableWidget* makeTextTable(const QString& name, QWidget* parent);

// Shows the header and the rows; numbers stand right-aligned, the columns
// as wide as their texts.
void showTextTable(QTableWidget& table, const std::vector<std::string>& header,
                   const TextRows& rows);

// The header and rows as a spreadsheet pastes them: a line each, ended by
// "\n", cells split by tabs (a tab or line break in a cell becomes a space).
// When one of the tables has the focus, copies its selected cells as the
// data grid does, and says so.
bool copyFocusedSelection(std::initializer_list<const QTableWidget*> tables);

QString tabSeparatedRows(const std::vector<std::string>& header, const TextRows& rows);

}  // namespace skyrill
