#pragma once

#include <QApplication>

namespace skyrill {

// The application object: an exception escaping an event handler or a slot
// ends in the crash question instead of unwinding through Qt.
class SkyrillApplication : public QApplication {
 public:
  SkyrillApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace skyrill
