// The program on a desktop: the window's built-in icon, the saved days' own
// file type, the desktop entry, the AppStream metadata and the manual pages,
// in the build tree and as `cmake --install` puts them in place. Each check
// with an outside tool is skipped when that tool is not installed.
#include <fnmatch.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/skyrill_application.h"
#include "archive/archive_names.h"
#include "core/calendar_date.h"
#include "tests/store/temp_folder.h"

namespace skyrill::test {
namespace {

namespace fs = std::filesystem;
using skyrill::testing::readBytes;
using skyrill::testing::TempFolder;

constexpr char kDayType[] = "application/x-skyrill-day+json";
constexpr char kAppStreamId[] = "io.github.skyrill.skyrill";
const std::vector<std::string> kPrograms = {"skyrill",
                                            "skyrill-day",
                                            "skyrill-summary",
                                            "skyrill-fetch",
                                            "skyrill-sample-service",
                                            "skyrill-barb-icons"};

fs::path sourceDir() {
  return fs::path(SKYRILL_TEST_DATA_DIR).parent_path().parent_path();
}
fs::path binaryDir() {
  return fs::path(SKYRILL_BINARY_DIR);
}

QString qt(const fs::path& path) {
  return QString::fromStdString(path.string());
}

struct Outcome {
  bool started = false;
  int exitCode = -1;
  std::string out;
  std::string err;
};

Outcome run(const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  Outcome result;
  if (!process.waitForStarted()) return result;
  result.started = true;
  process.waitForFinished(-1);
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = process.readAllStandardOutput().toStdString();
  result.err = process.readAllStandardError().toStdString();
  return result;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool contains(const std::vector<std::string>& items, const std::string& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

// Every element of an XML file in document order, with its attributes and
// the text directly inside it.
struct XmlElement {
  std::string name;
  QXmlStreamAttributes attributes;
  std::string text;
  std::string attribute(const char* attributeName) const {
    return attributes.value(QLatin1String(attributeName)).toString().toStdString();
  }
};

std::vector<XmlElement> readXml(const fs::path& path, std::string& error) {
  QFile file(qt(path));
  std::vector<XmlElement> elements;
  if (!file.open(QIODevice::ReadOnly)) {
    error = "cannot open " + path.string();
    return elements;
  }
  QXmlStreamReader reader(&file);
  std::vector<size_t> open;
  while (!reader.atEnd()) {
    reader.readNext();
    if (reader.isStartElement()) {
      open.push_back(elements.size());
      elements.push_back({reader.name().toString().toStdString(), reader.attributes(), {}});
    } else if (reader.isEndElement()) {
      open.pop_back();
    } else if (reader.isCharacters() && !reader.isWhitespace() && !open.empty()) {
      elements[open.back()].text += reader.text().toString().trimmed().toStdString();
    }
  }
  if (reader.hasError()) error = reader.errorString().toStdString();
  return elements;
}

std::vector<const XmlElement*> elementsNamed(const std::vector<XmlElement>& elements,
                                             const std::string& name) {
  std::vector<const XmlElement*> found;
  for (const XmlElement& element : elements) {
    if (element.name == name) found.push_back(&element);
  }
  return found;
}

// The values of a key of the [Desktop Entry] group, split at ';'.
std::vector<std::string> desktopEntryList(const fs::path& file, const std::string& key) {
  std::vector<std::string> values;
  for (const std::string& line : linesOf(readBytes(file))) {
    if (line.rfind(key + "=", 0) != 0) continue;
    std::istringstream in(line.substr(key.size() + 1));
    for (std::string value; std::getline(in, value, ';');) {
      if (!value.empty()) values.push_back(value);
    }
  }
  return values;
}

// ---- The window's icon ----------------------------------------------------

// Built into the program, each size its own drawing: the window has its icon
// wherever the program runs from, installed or not.
TEST(WindowIconTest, HoldsEveryDrawnSizeFromTheProgramItself) {
  const QIcon icon = applicationIcon();
  ASSERT_FALSE(icon.isNull());
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE(size);
    const QString resource = QStringLiteral(":/icons/skyrill-%1.png").arg(size);
    QFile embedded(resource);
    ASSERT_TRUE(embedded.open(QIODevice::ReadOnly));
    const std::string source =
        readBytes(sourceDir() / "resources/icons" / ("skyrill-" + std::to_string(size) + ".png"));
    EXPECT_EQ(embedded.readAll().toStdString(), source);

    const QImage drawn = QImage(resource).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(drawn.size(), QSize(size, size));
    const QImage shown =
        icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(shown, drawn);
  }
}

// ---- The installed files --------------------------------------------------

// One installation into a temporary prefix, shared by the tests.
class DesktopFilesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new TempFolder;
    const Outcome install = run(QStringLiteral(SKYRILL_CMAKE_COMMAND),
                                {QStringLiteral("--install"), QStringLiteral(SKYRILL_BINARY_DIR),
                                 QStringLiteral("--prefix"), qt(prefix())});
    installOutput_ = new std::string(install.out + install.err);
  }
  static void TearDownTestSuite() {
    delete root_;
    delete installOutput_;
  }

  static fs::path prefix() { return *root_ / "prefix"; }
  static fs::path share() { return prefix() / "share"; }
  static fs::path desktopEntry() { return share() / "applications/skyrill.desktop"; }
  static fs::path metainfo() {
    return share() / "metainfo" / (std::string(kAppStreamId) + ".metainfo.xml");
  }
  static fs::path mimePackage() { return share() / "mime/packages/skyrill.xml"; }
  static fs::path manPage(const std::string& program) {
    return share() / "man/man1" / (program + ".1");
  }

  // An environment that sees the installation and the system's data, and no
  // settings of the user who runs the tests.
  static QProcessEnvironment desktopEnvironment() {
    QProcessEnvironment environment;
    const fs::path home = *root_ / "home";
    fs::create_directories(home);
    environment.insert(QStringLiteral("PATH"),
                       qt(prefix() / "bin") + QStringLiteral(":/usr/bin:/bin"));
    environment.insert(QStringLiteral("HOME"), qt(home));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), qt(home / ".local/share"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), qt(home / ".config"));
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), qt(home / "no-system-config"));
    environment.insert(QStringLiteral("XDG_DATA_DIRS"),
                       qt(share()) + QStringLiteral(":/usr/local/share:/usr/share"));
    return environment;
  }

  // Builds the installation's MIME database as a package manager would, and
  // gives what update-mime-database said; fails the test when it complained.
  static void updateMimeDatabase(const QString& tool) {
    const Outcome update = run(tool, {qt(share() / "mime")}, desktopEnvironment());
    ASSERT_TRUE(update.started);
    EXPECT_EQ(update.exitCode, 0) << update.err;
    EXPECT_EQ(update.err, "");
  }

  static TempFolder* root_;
  static std::string* installOutput_;
};

TempFolder* DesktopFilesTest::root_ = nullptr;
std::string* DesktopFilesTest::installOutput_ = nullptr;

TEST_F(DesktopFilesTest, PutsTheFileTypeTheMetadataAndTheManualPagesInPlace) {
  std::vector<fs::path> files = {desktopEntry(), metainfo(), mimePackage()};
  for (const std::string& program : kPrograms) files.push_back(manPage(program));
  for (const fs::path& file : files) {
    EXPECT_TRUE(fs::is_regular_file(file)) << file << "\n" << *installOutput_;
  }
  EXPECT_EQ(readBytes(mimePackage()), readBytes(sourceDir() / "resources/skyrill.mime.xml"));
  EXPECT_EQ(readBytes(metainfo()),
            readBytes(binaryDir() / "resources" / (std::string(kAppStreamId) + ".metainfo.xml")));
}

// The entry names the saved days' type, which the MIME package defines as a
// kind of JSON, and no longer every JSON file; the metadata names the same.
TEST_F(DesktopFilesTest, TheEntryTheFileTypeAndTheMetadataNameOneType) {
  EXPECT_EQ(desktopEntryList(desktopEntry(), "MimeType"), std::vector<std::string>{kDayType});

  std::string error;
  const auto mime = readXml(mimePackage(), error);
  ASSERT_EQ(error, "");
  const auto types = elementsNamed(mime, "mime-type");
  ASSERT_EQ(types.size(), 1u);
  EXPECT_EQ(types[0]->attribute("type"), kDayType);
  const auto parents = elementsNamed(mime, "sub-class-of");
  ASSERT_EQ(parents.size(), 1u);
  EXPECT_EQ(parents[0]->attribute("type"), "application/json");

  const auto metadata = readXml(metainfo(), error);
  ASSERT_EQ(error, "");
  const auto mediaTypes = elementsNamed(metadata, "mediatype");
  ASSERT_EQ(mediaTypes.size(), 1u);
  EXPECT_EQ(mediaTypes[0]->text, kDayType);
}

TEST_F(DesktopFilesTest, TheDesktopEntryIsValid) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
  if (tool.isEmpty()) GTEST_SKIP() << "desktop-file-validate is not installed";
  const Outcome validate = run(tool, {qt(desktopEntry())});
  ASSERT_TRUE(validate.started);
  EXPECT_EQ(validate.exitCode, 0);
  EXPECT_EQ(validate.out + validate.err, "");
}

// Valid with no warning, alone and beside the installed desktop entry and
// programs it names.
TEST_F(DesktopFilesTest, TheAppStreamMetadataIsValid) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
  if (tool.isEmpty()) GTEST_SKIP() << "appstreamcli is not installed";
  const Outcome file = run(tool, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                  QStringLiteral("--strict"), qt(metainfo())});
  ASSERT_TRUE(file.started);
  EXPECT_EQ(file.exitCode, 0) << file.out << file.err;
  const Outcome tree = run(tool, {QStringLiteral("validate-tree"), QStringLiteral("--no-net"),
                                  QStringLiteral("--strict"), qt(prefix())});
  ASSERT_TRUE(tree.started);
  EXPECT_EQ(tree.exitCode, 0) << tree.out << tree.err;
}

TEST_F(DesktopFilesTest, TheAppStreamMetadataDescribesThisRelease) {
  std::string error;
  const auto metadata = readXml(metainfo(), error);
  ASSERT_EQ(error, "");
  const auto ids = elementsNamed(metadata, "id");
  ASSERT_EQ(ids.size(), 1u);
  EXPECT_EQ(ids[0]->text, kAppStreamId);

  const auto releases = elementsNamed(metadata, "release");
  ASSERT_EQ(releases.size(), 1u);
  EXPECT_EQ(releases[0]->attribute("version"), SKYRILL_VERSION);
  EXPECT_TRUE(readDateNumber(releases[0]->attribute("date")).has_value())
      << releases[0]->attribute("date");

  const auto launchables = elementsNamed(metadata, "launchable");
  ASSERT_EQ(launchables.size(), 1u);
  EXPECT_EQ(launchables[0]->attribute("type"), "desktop-id");
  EXPECT_TRUE(fs::is_regular_file(share() / "applications" / launchables[0]->text))
      << launchables[0]->text;

  std::vector<std::string> binaries;
  for (const XmlElement* binary : elementsNamed(metadata, "binary")) {
    binaries.push_back(binary->text);
    EXPECT_TRUE(fs::is_regular_file(prefix() / "bin" / binary->text)) << binary->text;
  }
  EXPECT_EQ(binaries, kPrograms);

  const auto images = elementsNamed(metadata, "image");
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0]->text.rfind("https://", 0), 0u) << images[0]->text;
  EXPECT_EQ(images[0]->text.substr(images[0]->text.rfind('/') + 1), "skyrill-window.png");
  EXPECT_TRUE(fs::is_regular_file(sourceDir() / "docs/skyrill-window.png"));
}

// The file type as the shared MIME database holds it once built: a kind of
// JSON, matched by name by the files the program itself names and by no
// other JSON file. Names are matched as the database's readers do, with
// fnmatch(3) and without regard to case.
TEST_F(DesktopFilesTest, TheSharedMimeDatabaseTellsSavedDaysByName) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
  if (tool.isEmpty()) GTEST_SKIP() << "update-mime-database is not installed";
  updateMimeDatabase(tool);

  const auto subclasses = linesOf(readBytes(share() / "mime/subclasses"));
  EXPECT_TRUE(contains(subclasses, std::string(kDayType) + " application/json"))
      << readBytes(share() / "mime/subclasses");
  std::vector<std::string> patterns;
  for (const std::string& line : linesOf(readBytes(share() / "mime/globs2"))) {
    // weight:type:pattern[:flags]
    const std::string typePrefix = std::string(":") + kDayType + ":";
    const size_t at = line.find(typePrefix);
    if (line.empty() || line[0] == '#' || at == std::string::npos) continue;
    EXPECT_EQ(line.substr(0, at), "50") << line;
    patterns.push_back(line.substr(at + typePrefix.size()));
  }
  ASSERT_FALSE(patterns.empty()) << readBytes(share() / "mime/globs2");
  const auto matches = [&](std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
      return ::fnmatch(pattern.c_str(), name.c_str(), 0) == 0;
    });
  };

  // The names the window's auto-save and "保存" and skyrill-fetch give.
  struct Named {
    QueryMode mode;
    const char* station;
    const char* year;
    const char* month;
    const char* day;
    bool advanced;
  };
  const Named named[] = {
      {QueryMode::History, "58453", "2024", "1", "20", false},
      {QueryMode::History, "57083", "2019", "7", "5", true},
      {QueryMode::Today, "58453", "2024", "1", "20", false},
      {QueryMode::Today, "54511", "2024", "1", "20", true},
      {QueryMode::History, "A1b2", "1999", "12", "31", false},
      {QueryMode::History, "54/511", "2024", "2", "29", false},
  };
  for (const Named& day : named) {
    QueryRequest request;
    request.mode = day.mode;
    request.stationNumber = day.station;
    request.year = day.year;
    request.month = day.month;
    request.day = day.day;
    request.advancedSource = day.advanced;
    const std::string name = makeSuggestedFileName(request, std::chrono::system_clock::now());
    ASSERT_TRUE(readObservationName(name).has_value()) << name;
    EXPECT_TRUE(matches(name)) << name;
  }

  struct Case {
    const char* name;
    bool savedDay;
  };
  const Case cases[] = {
      {"0_58453_0_20240120.json", true},
      {"1_58453_1_20240120_153000.json", true},
      {"0_north_gate_1_20240120.json", true},  // a station with "_" in it
      {"0_58453_0_20240120.JSON", true},
      {"settings.json", false},
      {"station_directory.json", false},
      {"2_58453_0_20240120.json", false},  // mode 2
      {"0_58453_2_20240120.json", false},  // advanced flag 2
      {"0__0_20240120.json", false},       // no station
      {"0_58453_0_2024012.json", false},   // seven-digit date
      {"0_58453_0_2024-01-20.json", false},
      {"1_58453_0_20240120_1530.json", false},  // four-digit time
      {"0_58453_0_20240120.txt", false},
      {"0_58453_0_20240120.json.bak", false},
      {"x0_58453_0_20240120.json", false},
  };
  for (const Case& c : cases) EXPECT_EQ(matches(c.name), c.savedDay) << c.name;
}

// By content, as GNOME's and Xfce's file managers tell types (gio, and
// xdg-mime on those desktops): a saved day is known by its first bytes,
// whatever its name, and a day in the archive under its own name is not
// taken for plain JSON; other JSON stays JSON.
TEST_F(DesktopFilesTest, TheDesktopTellsSavedDaysByTheirFirstBytes) {
  const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
  const QString mime = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
  if (gio.isEmpty() || mime.isEmpty()) {
    GTEST_SKIP() << "gio or update-mime-database is not installed";
  }
  updateMimeDatabase(mime);
  const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));

  const std::string day = readBytes(sourceDir() / "samples/0_57083_0_20190705.json");
  const fs::path files = *root_ / "files";
  fs::create_directories(files / "History/2024");
  struct Case {
    const char* name;
    std::string bytes;
    const char* type;
  } cases[] = {
      {"History/2024/0_58453_0_20240120.json", day, kDayType},
      {"a day.json", day, kDayType},
      {"current day", R"({"date":"2024-01-20","wmo":"58453","today":[{"time":"x"}]})", kDayType},
      {"other.json", R"({"date":"2024-01-20","name":"no day"})", "application/json"},
      {"station_directory.json", R"([{"code":"ABJ","name":"北京市"}])", "application/json"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(files / c.name, std::ios::binary) << c.bytes;
    const QString path = qt(files / c.name);
    const Outcome info = run(gio,
                             {QStringLiteral("info"), QStringLiteral("-a"),
                              QStringLiteral("standard::content-type"), path},
                             desktopEnvironment());
    EXPECT_NE(info.out.find(std::string("standard::content-type: ") + c.type + "\n"),
              std::string::npos)
        << info.out << info.err;
    if (xdgMime.isEmpty()) continue;
    for (const char* desktop : {"GNOME", "XFCE"}) {
      QProcessEnvironment environment = desktopEnvironment();
      environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QString::fromLatin1(desktop));
      const Outcome query =
          run(xdgMime, {QStringLiteral("query"), QStringLiteral("filetype"), path}, environment);
      EXPECT_EQ(query.out, std::string(c.type) + "\n") << desktop << " " << query.err;
    }
  }
}

// GLib's view, as a GNOME desktop has it once the package manager has built
// the MIME and desktop databases: the program is offered for saved days and
// not for other JSON files.
TEST_F(DesktopFilesTest, TheDesktopOffersTheProgramForSavedDaysOnly) {
  const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
  const QString mime = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
  const QString desktop = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
  if (gio.isEmpty() || mime.isEmpty() || desktop.isEmpty()) {
    GTEST_SKIP() << "gio, update-mime-database or update-desktop-database is not installed";
  }
  updateMimeDatabase(mime);
  const Outcome update = run(desktop, {qt(share() / "applications")}, desktopEnvironment());
  ASSERT_TRUE(update.started);
  ASSERT_EQ(update.exitCode, 0) << update.err;

  const auto registered = [&](const char* type) {
    const Outcome query =
        run(gio, {QStringLiteral("mime"), QString::fromLatin1(type)}, desktopEnvironment());
    EXPECT_EQ(query.exitCode, 0) << query.err;
    std::vector<std::string> applications;
    bool inList = false;
    for (const std::string& line : linesOf(query.out)) {
      if (line == "Registered applications:") {
        inList = true;
      } else if (inList && !line.empty() && line[0] == '\t') {
        applications.push_back(line.substr(1));
      } else {
        inList = false;
      }
    }
    return applications;
  };
  EXPECT_TRUE(contains(registered(kDayType), "skyrill.desktop"));
  EXPECT_FALSE(contains(registered("application/json"), "skyrill.desktop"));
}

// ---- The manual pages -----------------------------------------------------

// Each page made from its program's --help: formatted by man(1) without a
// warning, with its sections, each way to call the program and an option
// entry of its own.
TEST_F(DesktopFilesTest, EachProgramHasAManualPage) {
  const QString tool = QStandardPaths::findExecutable(QStringLiteral("man"));
  struct Page {
    std::string program;
    std::vector<std::string> synopsis;  // lines of the SYNOPSIS section
    std::string option;                 // an option entry's first line, if it has any
    // Sections of the page's own beyond the common ones, each with a line
    // of an entry in it.
    std::vector<std::pair<std::string, std::string>> ownSections = {};
  };
  const Page pages[] = {
      {"skyrill",
       {"skyrill [FILE]", "skyrill --help | --version"},
       "--version",
       {{"KEYS", "Ctrl+P print the day on display (打印…)"},
        {"FILES", "$XDG_CONFIG_HOME/skyrill/Stormbook.ini"},
        {"ENVIRONMENT", "QT_SCALE_FACTOR"}}},
      {"skyrill-day",
       {"skyrill-day --grid [--realtime] FILE", "skyrill-day --help | --version"},
       "--grid-csv FILE"},
      {"skyrill-summary", {"skyrill-summary --help | --version"}, "--threads N"},
      {"skyrill-fetch", {"skyrill-fetch --help | --version"}, "--rate R"},
      {"skyrill-sample-service", {"skyrill-sample-service [options]"}, "--fault NAME"},
      {"skyrill-barb-icons",
       {"skyrill-barb-icons FOLDER", "skyrill-barb-icons --app-icon SVG FOLDER",
        "skyrill-barb-icons --help | --version"},
       ""},
  };
  ASSERT_EQ(std::size(pages), kPrograms.size());
  for (const Page& page : pages) {
    SCOPED_TRACE(page.program);
    const fs::path built = binaryDir() / "man/man1" / (page.program + ".1");
    ASSERT_TRUE(fs::is_regular_file(built));
    EXPECT_EQ(readBytes(manPage(page.program)), readBytes(built));
    if (tool.isEmpty()) continue;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("MANPAGER"));
    environment.remove(QStringLiteral("MAN_KEEP_FORMATTING"));
    const Outcome man =
        run(tool, {QStringLiteral("--warnings"), QStringLiteral("-l"), qt(manPage(page.program))},
            environment);
    ASSERT_TRUE(man.started);
    EXPECT_EQ(man.exitCode, 0) << man.err;
    EXPECT_EQ(man.err, "");
    // Lines as set, with the spaces that justification adds taken out.
    std::vector<std::string> lines;
    for (const std::string& line : linesOf(man.out)) {
      const size_t text = line.find_first_not_of(' ');
      std::string squeezed = line.substr(0, text == std::string::npos ? line.size() : text);
      for (size_t i = squeezed.size(); i < line.size(); ++i) {
        if (line[i] != ' ' || squeezed.back() != ' ') squeezed += line[i];
      }
      lines.push_back(squeezed);
    }
    const auto has = [&](const std::string& line) { return contains(lines, line); };
    const std::string indent(7, ' ');
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "EXIT STATUS", "SEE ALSO"}) {
      EXPECT_TRUE(has(section)) << section << "\n" << man.out;
    }
    const auto name = std::find(lines.begin(), lines.end(), "NAME");
    ASSERT_NE(name, lines.end());
    ASSERT_NE(name + 1, lines.end());
    EXPECT_EQ(name[1].rfind(indent + page.program + " - ", 0), 0u) << name[1];
    for (const std::string& synopsis : page.synopsis) {
      EXPECT_TRUE(has(indent + synopsis)) << synopsis << "\n" << man.out;
    }
    if (!page.option.empty()) {
      EXPECT_TRUE(has(indent + page.option)) << page.option << "\n" << man.out;
    }
    for (const auto& [section, entry] : page.ownSections) {
      const auto heading = std::find(lines.begin(), lines.end(), section);
      ASSERT_NE(heading, lines.end()) << section << "\n" << man.out;
      const auto nextHeading = std::find_if(heading + 1, lines.end(), [](const std::string& line) {
        return !line.empty() && line[0] != ' ';
      });
      EXPECT_NE(std::find(heading, nextHeading, indent + entry), nextHeading)
          << section << ": " << entry << "\n"
          << man.out;
    }
    EXPECT_NE(man.out.find("Skyrill " SKYRILL_VERSION), std::string::npos) << man.out;
  }
}

}  // namespace
}  // namespace skyrill::test
