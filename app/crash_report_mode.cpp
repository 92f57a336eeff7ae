#include "app/crash_report_mode.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "app/crash_hook.h"
#include "app/skyrill_application.h"
#include "store/crash_report.h"
#include "store/program_paths.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

QString boxText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Unattended runs (the program's own tests) set SKYRILL_CRASH_ANSWER to
// "enter" or "yes": the question is then answered with that key or button,
// every other box with Enter, and each box's title and text go to standard
// error.
void answerBoxesFromEnvironment() {
  const QByteArray answer = qgetenv("SKYRILL_CRASH_ANSWER");
  if (answer.isEmpty()) return;
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [answer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box->property("answered").toBool()) return;
    box->setProperty("answered", true);
    std::fprintf(stderr, "[%s]\n%s\n", box->windowTitle().toUtf8().constData(),
                 box->text().toUtf8().constData());
    if (answer == "yes" && box->button(QMessageBox::Yes)) {
      box->button(QMessageBox::Yes)->click();
      return;
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
  });
  timer->start(20);
}

}  // namespace

bool isCrashReportInvocation(int argc, char** argv) {
  return argc == 5 && std::strcmp(argv[1], kCrashReportFlag) == 0;
}

bool askToSaveCrashReport(int errorNumber, std::string_view errorText, std::string_view heldText,
                          const std::filesystem::path& programFile) {
  QMessageBox question(
      QMessageBox::Critical,
      QString::fromUtf8(kCrashTitle.data(), static_cast<qsizetype>(kCrashTitle.size())),
      boxText(crashQuestionText(errorNumber, errorText, heldText)),
      QMessageBox::Yes | QMessageBox::No);
  question.setDefaultButton(QMessageBox::No);
  if (question.exec() != QMessageBox::Yes) return false;

  const std::filesystem::path report = crashReportPath(programFile);
  const bool written = writeCrashReport(report, heldText);
  QMessageBox done(written ? QMessageBox::NoIcon : QMessageBox::Warning, QStringLiteral("信息："),
                   written ? boxText(crashSavedText(report))
                           : QString::fromUtf8(kCrashSaveFailedText.data(),
                                               static_cast<qsizetype>(kCrashSaveFailedText.size())),
                   QMessageBox::Ok);
  done.exec();
  return written;
}

int runCrashReport(int argc, char** argv) {
  const int errorNumber = std::atoi(argv[2]);
  const std::string errorText = argv[3];
  const std::filesystem::path heldFile = argv[4];
  const std::string heldText = readWholeFile(heldFile).value_or(std::string());
  // Only the hook's own scratch file is removed, whatever the command line names.
  if (heldFile.filename().string().starts_with(kHeldFilePrefix)) {
    std::error_code error;
    std::filesystem::remove(heldFile, error);
  }

  SkyrillApplication app(argc, argv);
  answerBoxesFromEnvironment();
  askToSaveCrashReport(errorNumber, errorText, heldText, programFilePath());
  return kCrashExitStatus;
}

}  // namespace skyrill
