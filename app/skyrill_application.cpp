#include "app/skyrill_application.h"

#include <QFont>

#include "app/crash_hook.h"

namespace skyrill {

SkyrillApplication::SkyrillApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
}

bool SkyrillApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    fatalCurrentException();
  }
}

}  // namespace skyrill
