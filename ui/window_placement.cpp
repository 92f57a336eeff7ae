#include "ui/window_placement.h"

#include <QScreen>
#include <QWidget>

namespace skyrill {

void fitClientAndCenter(QWidget& window, int clientWidth, int clientHeight, const QWidget* parent) {
  // The frame adds the same border whatever the client size.
  const QSize border = window.frameGeometry().size() - window.geometry().size();
  window.resize(clientWidth > 0 ? clientWidth : window.width(),
                clientHeight > 0 ? clientHeight : window.height());
  const QSize outer = window.size() + border;

  QRect area;
  if (parent) {
    area = parent->frameGeometry();
  } else if (const QScreen* screen = window.screen()) {
    area = screen->geometry();
  }
  // Integer halves, truncated toward zero as the platform's division does.
  window.move(area.left() + (area.width() - outer.width()) / 2,
              area.top() + (area.height() - outer.height()) / 2);
}

}  // namespace skyrill
