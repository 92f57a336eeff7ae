#pragma once

class QWidget;

namespace skyrill {

// Gives the window a client area of the wanted size (a size of 0 or less
// keeps that side as it is) and centres its frame over the parent's frame,
// or over the screen without a parent.
void fitClientAndCenter(QWidget& window, int clientWidth, int clientHeight,
                        const QWidget* parent = nullptr);

}  // namespace skyrill
