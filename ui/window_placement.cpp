#include "ui/window_placement.h"

#include <QMainWindow>
#include <QScreen>

namespace skyrill {
namespace {

const QWidget& clientOf(const QWidget& window) {
  const auto* mainWindow = qobject_cast<const QMainWindow*>(&window);
  if (mainWindow && mainWindow->centralWidget()) return *mainWindow->centralWidget();
  return window;
}

}  // namespace

void fitClientAndCenter(QWidget& window, int clientWidth, int clientHeight, const QWidget* parent) {
  QSize outer = window.frameGeometry().size();
  const QSize client = clientOf(window).size();
  const QSize frameExtra = outer - window.size();
  if (clientWidth > 0) outer.rwidth() += clientWidth - client.width();
  if (clientHeight > 0) outer.rheight() += clientHeight - client.height();
  window.resize(outer - frameExtra);

  QRect area;
  if (parent) {
    area = parent->frameGeometry();
  } else if (const QScreen* screen = window.screen()) {
    area = screen->geometry();
  }
  // Integer halves, truncated toward zero like the rest of the layout.
  const int left = area.left() + (area.width() - outer.width()) / 2;
  const int top = area.top() + (area.height() - outer.height()) / 2;
  window.move(left, top);
}

}  // namespace skyrill
