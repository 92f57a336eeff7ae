// The installed program: what `cmake --install` puts in place, and where the
// program then keeps its files.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <optional>
#include <string_view>
#include <thread>

#include "server_thread.h"
#include "tests/store/temp_folder.h"
#include "weather_routes.h"

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

  // Runs `program` with HOME and the XDG folders of `user` (a folder of the
  // test's) until it has made its History folder in `expected` (or for a
  // while when there is none to wait for), then ends it with SIGTERM so
  // that it writes its settings.
  static void runUntilSettled(const fs::path& program, const fs::path& user,
                              const std::optional<fs::path>& expected, bool asNobody) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(user.string()));
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
      environment.remove(QString::fromLatin1(variable));
    }
    // Leaks are not what this test looks at, and the other user may not
    // read the suppressions.
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    environment.remove(QStringLiteral("LSAN_OPTIONS"));
    QProcess process;
    process.setProcessEnvironment(environment);
    const QString file = QString::fromStdString(program.string());
    if (asNobody) {
      process.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups"), file});
    } else {
      process.start(file, {});
    }
    ASSERT_TRUE(process.waitForStarted());
    for (int round = 0; round < (expected ? 600 : 30); ++round) {
      if (expected && fs::exists(*expected / "History")) break;
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
  EXPECT_NE(entry.find("\nMimeType=application/x-skyrill-day+json;\n"), std::string::npos);
}

// Where the files go: beside a portable copy (a settings file beside it, or
// a build tree), else in the user's configuration, data and cache folders,
// also for a program in a prefix's bin that it could write into; with no
// folder to write into at all, nowhere, and the program still runs.
TEST_F(InstallTest, KeepsItsFilesWhereItsKindOfInstallationSays) {
  const fs::path copies = *root_ / "copies";
  const auto copyOfProgram = [&](const char* name, const char* beside) {
    const fs::path folder = copies / name;
    fs::create_directories(folder);
    fs::copy_file(bin() / "skyrill", folder / "skyrill");
    if (std::string_view(beside) == "settings")
      skyrill::testing::writeBytes(folder / "Stormbook.ini", "");
    if (std::string_view(beside) == "build tree") fs::create_directory(folder / "CMakeFiles");
    return folder;
  };
  const fs::path settingsBeside = copyOfProgram("unpacked", "settings");
  const fs::path buildTree = copyOfProgram("build", "build tree");
  const struct {
    const char* what;
    fs::path programDir;
    bool asNobody;  // root may write into a read-only bin: the program runs as nobody
    bool portable;
  } cases[] = {
      {"a settings file beside", settingsBeside, false, true},
      {"a build tree", buildTree, false, true},
      {"a prefix's bin it may write into", bin(), false, false},
      {"a prefix's bin it may not write into", bin(), runningAsRoot(), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TempFolder user;
    fs::permissions(user.path(), fs::perms::all, fs::perm_options::replace);
    const fs::path data = c.portable ? c.programDir : user / ".local/share/skyrill";
    runUntilSettled(c.programDir / "skyrill", user.path(), data, c.asNobody);
    const fs::path settings =
        c.portable ? c.programDir / "Stormbook.ini" : user / ".config/skyrill/Stormbook.ini";
    EXPECT_TRUE(readBytes(settings).starts_with("[Stormbook]\n")) << settings;
    EXPECT_TRUE(fs::is_directory(data / "History"));
    EXPECT_EQ(fs::exists(user / ".config"), !c.portable);
    EXPECT_FALSE(fs::exists(bin() / "Stormbook.ini"));
    EXPECT_FALSE(fs::exists(bin() / "History"));
  }

  // Nowhere to write: HOME lies below a file.
  const fs::path noHome = *root_ / "a-file/home";
  skyrill::testing::writeBytes(*root_ / "a-file", "");
  runUntilSettled(bin() / "skyrill", noHome, std::nullopt, false);
  EXPECT_FALSE(fs::exists(bin() / "Stormbook.ini"));
}

// The installed tools find their modules (the pictures, the network code)
// from their own folder.
TEST_F(InstallTest, ToolsDrawAndFetchThroughTheirInstalledModules) {
  sample::ServerThread service{std::make_unique<httplib::Server>()};
  sample::addWeatherRoutes(service.server(), {}, false);
  const QString server = QStringLiteral("http://127.0.0.1:%1").arg(service.start("127.0.0.1", 0));
  const TempFolder out;
  fs::create_directory(out / "days");
  fs::copy_file(prefix() / "share/skyrill/samples/0_57083_0_20190705.json",
                out / "days/0_57083_0_20190705.json");
  const auto file = [&out](const char* name) {
    return QString::fromStdString((out / name).string());
  };
  const struct {
    const char* tool;
    QStringList args;
    const char* picture;  // the file it draws
    const char* start;    // how that file starts
  } runs[] = {
      {"skyrill-day",
       {QStringLiteral("--chart"), file("chart.png"), file("days/0_57083_0_20190705.json")},
       "chart.png",
       "\x89PNG"},
      {"skyrill-summary",
       {QStringLiteral("--chart"), file("summary.svg"), file("days")},
       "summary.svg",
       "<?xml"},
      {"skyrill-day",
       {QStringLiteral("--station"), QStringLiteral("58453"), QStringLiteral("--date"),
        QStringLiteral("2019-7-5"), QStringLiteral("--key"), QStringLiteral("demo"),
        QStringLiteral("--server"), server, QStringLiteral("--strip"), file("strip.pdf")},
       "strip.pdf",
       "%PDF-"},
  };
  for (const auto& run : runs) {
    QProcess tool;
    tool.start(QString::fromStdString((bin() / run.tool).string()), run.args);
    ASSERT_TRUE(tool.waitForFinished(60000)) << run.tool;
    EXPECT_EQ(tool.exitCode(), 0) << run.tool << "\n" << tool.readAllStandardError().toStdString();
    EXPECT_TRUE(readBytes(out / run.picture).starts_with(run.start)) << run.picture;
  }
}

}  // namespace
}  // namespace skyrill::test
