// The program run as a process: the crash hook and the orderly ends.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <thread>

#include "core/encoding.h"
#include "tests/store/temp_folder.h"

namespace skyrill::test {
namespace {

using skyrill::testing::readBytes;
using skyrill::testing::TempFolder;

// A copy of a program in a fresh folder: its files go beside it there.
class ProgramCopy {
 public:
  // A settings file beside it makes it a portable copy: its files go there.
  explicit ProgramCopy(const char* program) {
    file_ = folder_ / std::filesystem::path(program).filename().string();
    std::filesystem::copy_file(program, file_);
    skyrill::testing::writeBytes(beside("Stormbook.ini"), "");
  }
  const std::filesystem::path& file() const { return file_; }
  std::filesystem::path beside(std::string_view name) const { return folder_ / name; }

  // Starts it offscreen; `answer` answers the crash question; `tempDir`, when
  // given, is its $TMPDIR.
  void start(QProcess& process, const QStringList& arguments, const QString& answer = {},
             const QString& tempDir = {}) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!answer.isEmpty()) environment.insert(QStringLiteral("SKYRILL_CRASH_ANSWER"), answer);
    if (!tempDir.isEmpty()) environment.insert(QStringLiteral("TMPDIR"), tempDir);
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(file_.string()), arguments);
    ASSERT_TRUE(process.waitForStarted());
  }

 private:
  TempFolder folder_;
  std::filesystem::path file_;
};

// 60 GB18030 bytes (30 Chinese characters) followed by 50 ASCII bytes: more
// than the 100 bytes the question shows.
const std::string kHeld = [] {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "雨";
  return text + std::string(50, 'x');
}();

struct CrashCase {
  const char* fault;
  const char* answer;
  const char* error;  // how the question names the error
};

class CrashTest : public ::testing::TestWithParam<CrashCase> {};

TEST_P(CrashTest, EndsInTheQuestionAndStatus255) {
  const CrashCase& crash = GetParam();
  const ProgramCopy child(SKYRILL_CRASH_CHILD);
  QProcess process;
  child.start(process, {QString::fromUtf8(crash.fault), QString::fromStdString(kHeld)},
              QString::fromUtf8(crash.answer));
  ASSERT_TRUE(process.waitForFinished(60000));
  const QString shown = QString::fromUtf8(process.readAllStandardError());

  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << shown.toStdString();
  EXPECT_EQ(process.exitCode(), 255);
  EXPECT_TRUE(shown.contains(QStringLiteral("[程序崩溃]\n程序出错，需要关闭。\n错误信息：") +
                             QString::fromUtf8(crash.error)))
      << shown.toStdString();
  const std::string summary = "长度 110\n" + gb18030ToUtf8(utf8ToGb18030(kHeld).substr(0, 100));
  EXPECT_TRUE(shown.contains(QString::fromStdString(summary + " ..")));

  const std::filesystem::path report = child.file().string() + "_Bug.log";
  if (std::string_view(crash.answer) == "yes") {
    EXPECT_EQ(readBytes(report), utf8ToGb18030(kHeld));
    EXPECT_TRUE(shown.contains(QStringLiteral("[信息：]\n数据保存完成。\n保存在 ") +
                               QString::fromStdString(report.string()) +
                               QStringLiteral(" 文件中。")));
  } else {
    EXPECT_FALSE(std::filesystem::exists(report));  // Enter answers No
    EXPECT_FALSE(shown.contains(QStringLiteral("[信息：]")));
  }
}

// The held text reaches the question and the report without a temporary
// folder, and a program whose file was moved while it ran still asks, and
// writes the report beside the file where it now is, under its name there;
// one whose file was removed (an upgrade put another in its place) writes it
// under the name it was started as.
TEST(CrashHookEdges, HeldTextAndQuestionSurviveAMissingTempFolderAndAMovedProgram) {
  enum class Program { Stays, Moved, Removed };
  const struct {
    const char* name;
    bool tempFolderGone;
    Program program;
  } cases[] = {{"no temporary folder", true, Program::Stays},
               {"program moved", false, Program::Moved},
               {"program removed", false, Program::Removed}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramCopy child(SKYRILL_CRASH_CHILD);
    QProcess process;
    child.start(process, {QStringLiteral("wait-segv"), QString::fromStdString(kHeld)},
                QStringLiteral("yes"),
                c.tempFolderGone ? QStringLiteral("/nonexistent/skyrill-tmp") : QString());
    std::filesystem::path programFile = child.file();
    if (c.program == Program::Moved) {
      programFile = child.beside("moved-crash-child");
      std::filesystem::rename(child.file(), programFile);
    }
    if (c.program == Program::Removed) std::filesystem::remove(child.file());
    process.write("go\n");
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString shown = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 255) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("长度 110\n"))) << shown.toStdString();
    EXPECT_EQ(readBytes(programFile.string() + "_Bug.log"), utf8ToGb18030(kHeld));
  }
}

// An answer that echoes the request's address holds the key: neither the
// question nor the report shows it.
TEST(CrashHookEdges, TheKeyIsMaskedInTheQuestionAndTheReport) {
  const ProgramCopy child(SKYRILL_CRASH_CHILD);
  QProcess process;
  child.start(process,
              {QStringLiteral("segv"), QStringLiteral("{\"url\":\"/api/?key=k3y-secret&date=1\"}"),
               QStringLiteral("k3y-secret")},
              QStringLiteral("yes"));
  ASSERT_TRUE(process.waitForFinished(60000));
  const QString shown = QString::fromUtf8(process.readAllStandardError());
  EXPECT_EQ(process.exitCode(), 255) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QStringLiteral("key=****&date"))) << shown.toStdString();
  EXPECT_FALSE(shown.contains(QStringLiteral("k3y-secret"))) << shown.toStdString();
  EXPECT_EQ(readBytes(child.file().string() + "_Bug.log"), "{\"url\":\"/api/?key=****&date=1\"}");
}

INSTANTIATE_TEST_SUITE_P(Faults, CrashTest,
                         ::testing::Values(CrashCase{"segv", "enter", "11 SIGSEGV"},
                                           CrashCase{"segv", "yes", "11 SIGSEGV"},
                                           CrashCase{"abort", "yes", "6 SIGABRT"},
                                           CrashCase{"throw", "enter", "0 未处理的异常：boom"},
                                           CrashCase{"throw", "yes", "0 未处理的异常：boom"},
                                           CrashCase{"qfatal", "yes", "0 Qt fatal boom"}));

TEST(ProgramCommandLine, HelpVersionAndUsageErrors) {
  const struct {
    QStringList arguments;
    int status;
    const char* out;  // the start of what it prints
  } cases[] = {
      {{QStringLiteral("--version")}, 0, "skyrill " SKYRILL_VERSION "\n"},
      {{QStringLiteral("--help")}, 0, "Usage: skyrill [FILE]\n"},
      {{QStringLiteral("--bogus")}, 2, ""},
      {{QStringLiteral("a.json"), QStringLiteral("b.json")}, 2, ""},
      // A windowing system that does not exist is told, not an abort.
      {{QStringLiteral("-platform"), QStringLiteral("nonsense")}, 2, ""},
  };
  for (const auto& c : cases) {
    const ProgramCopy program(SKYRILL_PROGRAM);
    QProcess process;
    program.start(process, c.arguments);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), c.status) << c.arguments.join(' ').toStdString();
    EXPECT_TRUE(process.readAllStandardOutput().startsWith(c.out));
    if (c.status != 0) {
      EXPECT_TRUE(process.readAllStandardError().contains("Usage: skyrill"));
    }
  }
}

// The window starts without curl and its TLS libraries: they are opened by
// the first exchange.
TEST(ProgramStart, LoadsNoNetworkLibraries) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(SKYRILL_PROGRAM), {QStringLiteral("--version")});
  ASSERT_TRUE(process.waitForFinished(30000));
  const QByteArray loaded = process.readAllStandardError();
  ASSERT_TRUE(loaded.contains("file=libQt6Widgets.so")) << "the trace shows what is loaded";
  for (const char* library : {"file=libcurl.so", "file=libssl.so", "file=libcrypto.so"})
    EXPECT_FALSE(loaded.contains(library)) << library;
}

// A kill, Ctrl+C or a closed terminal ends the program in order: the
// settings are written.
class TerminationTest : public ::testing::TestWithParam<int> {};

TEST_P(TerminationTest, WritesTheSettings) {
  const ProgramCopy program(SKYRILL_PROGRAM);
  QProcess process;
  program.start(process, {});
  // The History folder is made after the signals are caught.
  for (int round = 0; round < 600 && !std::filesystem::exists(program.beside("History")); ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(std::filesystem::exists(program.beside("History")));
  ::kill(static_cast<pid_t>(process.processId()), GetParam());
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_TRUE(readBytes(program.beside("Stormbook.ini")).starts_with("[Stormbook]\nSite=58453\n"));
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

}  // namespace
}  // namespace skyrill::test
