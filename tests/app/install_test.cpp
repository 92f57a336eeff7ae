// The installed program: what `cmake --install` puts in place, and where the
// program then keeps its files.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <thread>

#include "tests/store/temp_folder.h"

namespace skyrill::test {
namespace {

namespace fs = std::filesystem;
using skyrill::testing::readBytes;
using skyrill::testing::runningAsRoot;
using skyrill::testing::TempFolder;

// One installation into a temporary prefix, shared by the tests.
class InstallTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new TempFolder;
    // Readable by the unprivileged user the read-only case may run as.
    fs::permissions(root_->path(), fs::perms::all, fs::perm_options::replace);
    QProcess install;
    install.start(QStringLiteral(SKYRILL_CMAKE_COMMAND),
                  {QStringLiteral("--install"), QStringLiteral(SKYRILL_BINARY_DIR),
                   QStringLiteral("--prefix"), QString::fromStdString(prefix().string())});
    install.waitForFinished(120000);
    installOutput_ = new std::string(install.readAll().toStdString());
  }
  static void TearDownTestSuite() {
    delete root_;
    delete installOutput_;
  }

  static fs::path prefix() { return *root_ / "prefix"; }
  static fs::path bin() { return prefix() / "bin"; }

  // Runs the installed program until it has made its History folder in
  // `expected`, then ends it with SIGTERM so that it writes its settings.
  static void runUntilSettled(const fs::path& dataHome, const fs::path& expected, bool asNobody) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(dataHome.string()));
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(dataHome.string()));
    // Leaks are not what this test looks at, and the other user may not
    // read the suppressions.
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    environment.remove(QStringLiteral("LSAN_OPTIONS"));
    QProcess process;
    process.setProcessEnvironment(environment);
    const QString program = QString::fromStdString((bin() / "skyrill").string());
    if (asNobody) {
      process.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups"), program});
    } else {
      process.start(program, {});
    }
    ASSERT_TRUE(process.waitForStarted());
    for (int round = 0; round < 600 && !fs::exists(expected / "History"); ++round) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  }

  static TempFolder* root_;
  static std::string* installOutput_;
};

TempFolder* InstallTest::root_ = nullptr;
std::string* InstallTest::installOutput_ = nullptr;

TEST_F(InstallTest, PutsTheProgramsTheDesktopEntryAndTheIconsInPlace) {
  for (const char* file : {
           "bin/skyrill",
           "bin/skyrill-day",
           "bin/skyrill-summary",
           "bin/skyrill-fetch",
           "bin/skyrill-sample-service",
           "share/applications/skyrill.desktop",
           "share/icons/hicolor/scalable/apps/skyrill.svg",
           "share/icons/hicolor/16x16/apps/skyrill.png",
           "share/icons/hicolor/48x48/apps/skyrill.png",
           "share/icons/hicolor/256x256/apps/skyrill.png",
           "share/skyrill/barbs/calm.png",
           "share/skyrill/samples/station_directory.json",
       }) {
    EXPECT_TRUE(fs::is_regular_file(prefix() / file)) << file << "\n" << *installOutput_;
  }
  const std::string entry = readBytes(prefix() / "share/applications/skyrill.desktop");
  EXPECT_NE(entry.find("\nExec=skyrill %f\n"), std::string::npos);
  EXPECT_NE(entry.find("\nIcon=skyrill\n"), std::string::npos);
  EXPECT_NE(entry.find("\nMimeType=application/json;\n"), std::string::npos);
}

// Beside the executable when its folder can be written, as in a copy
// unpacked anywhere; in the user's data folder when it cannot.
TEST_F(InstallTest, KeepsItsFilesBesideItselfOrInTheUsersDataFolder) {
  const fs::path dataHome = *root_ / "data";
  fs::create_directory(dataHome);
  fs::permissions(dataHome, fs::perms::all, fs::perm_options::replace);

  runUntilSettled(dataHome, bin(), false);
  EXPECT_TRUE(fs::is_regular_file(bin() / "Stormbook.ini"));
  EXPECT_FALSE(fs::exists(dataHome / "skyrill"));
  fs::remove(bin() / "Stormbook.ini");
  fs::remove_all(bin() / "History");

  // Root writes into a read-only folder all the same: the program then runs
  // as nobody, for whom it is read-only.
  fs::permissions(bin(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  runUntilSettled(dataHome, dataHome / "skyrill", runningAsRoot());
  fs::permissions(bin(), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(fs::is_regular_file(dataHome / "skyrill/Stormbook.ini"));
  EXPECT_TRUE(fs::is_directory(dataHome / "skyrill/History"));
  EXPECT_FALSE(fs::exists(bin() / "Stormbook.ini"));
  EXPECT_FALSE(fs::exists(bin() / "History"));
}

}  // namespace
}  // namespace skyrill::test
