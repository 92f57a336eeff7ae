#include "app/skyrill_application.h"

#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/crash_hook.h"
#include "cli/option_parser.h"

// Outside any namespace, as Q_INIT_RESOURCE requires. The icon lives in a
// static library, so its resource data must be pulled in explicitly.
static void initIconResources() {
  Q_INIT_RESOURCE(skyrill_icon);
}

namespace skyrill {
namespace {

QtMessageHandler g_beforeStart = nullptr;

// The toolkit's words for why it could not start end in the plugins there are.
void endOnFailedStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    if (g_beforeStart) g_beforeStart(type, context, message);
    return;
  }
  const qsizetype plugins = message.indexOf(QStringLiteral("Available platform plugins"));
  const QString known =
      plugins < 0 ? QString() : QLatin1Char('\n') + message.mid(plugins).trimmed();
  std::fprintf(stderr,
               "skyrill: no window can be opened: the windowing system (-platform, "
               "QT_QPA_PLATFORM or the display) cannot be used%s\n\n%s",
               known.toLocal8Bit().constData(), kProgramUsage);
  std::fflush(stderr);
  std::_Exit(kUsageStatus);
}

}  // namespace

ToolkitStartGuard::ToolkitStartGuard() {
  previous_ = qInstallMessageHandler(endOnFailedStart);
  g_beforeStart = previous_;
}

void ToolkitStartGuard::started() {
  qInstallMessageHandler(previous_);
  g_beforeStart = nullptr;
}

QIcon applicationIcon() {
  initIconResources();
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/icons/skyrill-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

SkyrillApplication::SkyrillApplication(int& argc, char** argv) : QApplication(argc, argv) {
  started();
  setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
  // Every text of the program is Chinese: so are the buttons and the file
  // dialog that Qt makes ("是", "否", "取消"), when the translation is there.
  auto* translator = new QTranslator(this);
  if (translator->load(QStringLiteral("qtbase_zh_CN"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(translator);
  }
  // The desktop matches the window to the installed skyrill.desktop, and so
  // to its icon. The window's own icon is built in: it shows also when the
  // program runs uninstalled, and never as an older installed copy's.
  setDesktopFileName(QStringLiteral("skyrill"));
  // Set once the event loop runs, after the first window is shown: decoding
  // the drawn sizes (and loading the image format plugins) need not delay
  // the window, and Qt gives a shown window the icon when it comes.
  QMetaObject::invokeMethod(
      this, [] { setWindowIcon(applicationIcon()); }, Qt::QueuedConnection);
}

bool SkyrillApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    fatalCurrentException();
  }
}

}  // namespace skyrill
