#pragma once

class QFileDialog;
class QString;

namespace skyrill {

// Readies one of the program's open, save or export dialogs: Qt's own dialog
// (the same on every desktop, and one a test can answer), icons and types
// told from names alone, and its completion popup closed with it.
void prepareFileDialog(QFileDialog& dialog);

// The folder the first export of a run opens in: the user's pictures folder
// for a picture, the documents folder for a table, else the home folder,
// whichever is there first. Later exports open where the last one went.
QString firstExportFolder(bool picture);

}  // namespace skyrill
