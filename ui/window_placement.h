#pragma once

class QWidget;

namespace skyrill {

// Gives a window a client area of the wanted size (a size of 0 or less keeps
// that side) and centres it over its parent, or over the screen without one.
// The client area of a main window is its central widget, below the menu
// bar. A window larger than the screen gets a negative position: it is not
// pulled back.
void fitClientAndCenter(QWidget& window, int clientWidth, int clientHeight,
                        const QWidget* parent = nullptr);

}  // namespace skyrill
