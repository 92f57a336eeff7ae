#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The dialog every export of the program asks its file with, and what the
// exports of a session share: the folder the last one went to.
namespace skyrill {

// The name filters of an export dialog: the pattern in the description is
// the user's hint, the ones in brackets the filter itself.
QStringList csvExportFilters();
// PNG, JPEG, SVG and PDF, in that order.
QStringList pictureExportFilters();

// "jpg" of "JPEG 图像（*.jpg） (*.jpg *.jpeg)": the filter's first pattern.
QString suffixOfFilter(const QString& filter);

// What the user chose in the export dialog.
struct ExportChoice {
  QString path;  // empty when the user cancelled
  bool caption = false;
  QString filter;  // the name filter chosen
};

// Asks where to export, in the folder exportFolder() gives, the suggested
// name's filter chosen first; a name typed without an ending gets the one
// of the chosen filter. With `caption` set the dialog offers the caption
// line under a picture, ticked as `caption` says. A choice is remembered as
// the folder of the next export.
ExportChoice askExportFile(QWidget* owner, bool picture, const QStringList& filters,
                           const QString& suggestedName, std::optional<bool> caption = {},
                           const QString& selectedFilter = {});

// The folder an export opens in: where the last one of the session went,
// else the first export folder of a picture or a table.
QString exportFolder(bool picture);

// Whether the name has a picture ending; when not, the owner says so.
bool acceptPictureName(QWidget* owner, const QString& path);
// Tells the user that the file could not be written.
void tellExportFailed(QWidget* owner, const QString& path);

}  // namespace skyrill
