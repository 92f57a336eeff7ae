#include "app/skyrill_application.h"

#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/crash_hook.h"

namespace skyrill {

SkyrillApplication::SkyrillApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
  // Every text of the program is Chinese: so are the buttons and the file
  // dialog that Qt makes ("是", "否", "取消"), when the translation is there.
  auto* translator = new QTranslator(this);
  if (translator->load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(translator);
  }
  // The desktop matches the window to the installed skyrill.desktop, and so
  // to its icon; the theme's icon also serves the window itself.
  setDesktopFileName(QStringLiteral("skyrill"));
  setWindowIcon(QIcon::fromTheme(QStringLiteral("skyrill")));
}

bool SkyrillApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    fatalCurrentException();
  }
}

}  // namespace skyrill
