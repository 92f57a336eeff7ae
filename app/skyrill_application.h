#pragma once

#include <QApplication>
#include <QIcon>

namespace skyrill {

// The program's icon in its drawn sizes (16 to 256 px), from the resources
// built into the program.
QIcon applicationIcon();

// The application object: an exception escaping an event handler or a slot
// ends in the crash question instead of unwinding through Qt.
class SkyrillApplication : public QApplication {
 public:
  SkyrillApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace skyrill
