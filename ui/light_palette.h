#pragma once

#include <QColor>
#include <QPalette>

namespace skyrill {

// The grey of the windows, their lists and their read-only boxes.
inline const QColor kWindowGrey(0xEC, 0xEC, 0xEC);

// The light look of the program's windows, whole: every role of every
// colour group, so that a dark or high-contrast desktop palette cannot put
// its light text on the windows' fixed light grounds. Menus, message boxes
// and file dialogs are windows of their own and keep the desktop's look.
QPalette lightPalette();

}  // namespace skyrill
