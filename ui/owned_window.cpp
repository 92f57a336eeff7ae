#include "ui/owned_window.h"

#include <QAction>

#include <utility>

namespace skyrill {

void addWindowKey(QWidget& window, const QKeySequence& key, std::function<void()> command) {
  auto* action = new QAction(&window);
  action->setShortcut(key);
  action->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(action, &QAction::triggered, &window, std::move(command));
  window.addAction(action);
}

}  // namespace skyrill
