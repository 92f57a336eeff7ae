#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The export dialog of the program's windows: where the user puts a chart or
// a table.
namespace skyrill {

// The name filters of a dialog: the pattern in the description is the
// user's hint, the ones in brackets the filter itself.
extern const QStringList kCsvExportFilters;
extern const QStringList kPictureExportFilters;

// "jpg" of "JPEG 图像（*.jpg） (*.jpg *.jpeg)": the filter's first pattern.
QString suffixOfFilter(const QString& filter);

// What the user chose in the export dialog.
struct ExportChoice {
  QString path;  // empty when the user cancelled
  bool caption = false;
};

// Asks where to export; a name typed without an ending gets the one of the
// chosen filter. With `caption` set the dialog offers the caption line,
// ticked as `caption` says.
ExportChoice askExportFile(QWidget* owner, const QString& folder, const QStringList& filters,
                           const QString& suggestedName, std::optional<bool> caption);

}  // namespace skyrill
