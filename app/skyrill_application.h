#pragma once

#include <QApplication>
#include <QIcon>

namespace skyrill {

// The program's icon in its drawn sizes (16 to 256 px), from the resources
// built into the program.
QIcon applicationIcon();

// Set up before the toolkit starts: a windowing system that cannot be used
// (a -platform or QT_QPA_PLATFORM that names no plugin, no display to reach)
// ends the program with the reason, the usage and status 2, rather than the
// toolkit's abort.
class ToolkitStartGuard {
 protected:
  ToolkitStartGuard();
  // The toolkit has started: its fatal messages go to the crash hook again.
  void started();

 private:
  QtMessageHandler previous_ = nullptr;
};

// The application object: an exception escaping an event handler or a slot
// ends in the crash question instead of unwinding through Qt.
class SkyrillApplication : private ToolkitStartGuard, public QApplication {
 public:
  SkyrillApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace skyrill
