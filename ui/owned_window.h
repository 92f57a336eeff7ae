#pragma once

#include <QKeySequence>
#include <QWidget>

#include <functional>

// What the windows an owner opens beside it (the data grid, the overview,
// 历史同期) share.
namespace skyrill {

// Resizable border with close and maximize boxes, no minimize box. A dialog,
// not a plain window: on X11 Qt writes WM_TRANSIENT_FOR only for dialogs and
// tools, and without it the window manager neither keeps the window above
// its owner nor minimises it with it.
inline constexpr Qt::WindowFlags kOwnedWindowFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;

// A key of the window's own, whichever of its parts has the focus.
void addWindowKey(QWidget& window, const QKeySequence& key, std::function<void()> command);

}  // namespace skyrill
