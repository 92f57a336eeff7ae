#pragma once

class QFileDialog;

namespace skyrill {

// Readies one of the program's open, save or export dialogs: Qt's own dialog
// (the same on every desktop, and one a test can answer), icons and types
// told from names alone, and its completion popup closed with it.
void prepareFileDialog(QFileDialog& dialog);

}  // namespace skyrill
