#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <memory>

#include "app/shell.h"
#include "core/answer_check.h"
#include "core/encoding.h"
#include "json/json_document.h"
#include "modal_answerer.h"
#include "server_thread.h"
#include "tests/net/raw_server.h"
#include "tests/store/temp_folder.h"
#include "tests/support/wait_for.h"
#include "ui/certificate_question.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/picture_files.h"
#include "ui/server_dialog.h"
#include "weather_routes.h"

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace skyrill::test {
namespace {

using skyrill::testing::readBytes;
using skyrill::testing::TempFolder;
using skyrill::testing::writeBytes;

const QString kKeyCaption = QStringLiteral("&C.当前密钥：");

// With SKYRILL_SCREENSHOT_DIR set, the dialogs the tests answer are kept
// there as pictures, for a person to look at.
void keepPicture(QWidget* dialog, const QString& name) {
  const QString folder = qEnvironmentVariable("SKYRILL_SCREENSHOT_DIR");
  if (!folder.isEmpty()) dialog->grab().save(folder + QLatin1Char('/') + name + ".png");
}

// A message box as it was shown.
struct Shown {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Notes what a message box shows and presses one of its buttons.
ModalAnswerer::Action pressOnBox(QMessageBox::StandardButton button, Shown* seen = nullptr) {
  return [button, seen](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr) << modal->metaObject()->className();
    if (seen) *seen = {box->windowTitle(), box->text(), box->icon()};
    keepPicture(box, QStringLiteral("box-") + box->windowTitle());
    box->button(button)->click();
  };
}

// Types a text into an input dialog and accepts it, or cancels it.
ModalAnswerer::Action answerInput(std::optional<QString> text, QString* title = nullptr,
                                  QString* prompt = nullptr, QString* initial = nullptr) {
  return [=](QWidget* modal) {
    auto* dialog = qobject_cast<QInputDialog*>(modal);
    ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
    if (title) *title = dialog->windowTitle();
    if (prompt) *prompt = dialog->labelText();
    if (initial) *initial = dialog->textValue();
    if (text) dialog->setTextValue(*text);
    keepPicture(dialog, dialog->windowTitle());
    if (!text) return dialog->reject();
    dialog->setTextValue(*text);
    static_cast<QDialog*>(dialog)->accept();  // public in QDialog
  };
}

// Types a path into a file dialog's name field, as a user would; selecting
// it in the list would wait for the folder to be read.
void typeFileName(QFileDialog* dialog, const std::filesystem::path& path) {
  auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(field, nullptr);
  field->setText(QString::fromStdString(path.string()));
}

class ShellTest : public ::testing::Test {
 protected:
  ~ShellTest() override { shell.reset(); }

  void start(const std::string& dayFile = {}, bool catchTermination = false) {
    Shell::Options options;
    options.dayFile = dayFile;
    options.programFile = folder / "skyrill";
    // Everything beside the program, as a portable copy keeps it.
    options.places = ProgramPlaces{folder / "Stormbook.ini", folder.path(), folder.path(), true};
    options.clock = [] { return QDate(2024, 3, 7); };
    options.installCrashHook = false;
    options.catchTermination = catchTermination;
    options.builtInServer = builtInServer;
    shell = std::make_unique<Shell>(options);
    shell->start();
  }

  MainWindow& window() { return shell->window(); }

  template <typename Widget = QWidget>
  Widget* child(const QString& name) {
    auto* widget = window().findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }

  QAction* menuItem(const QString& captionStart) {
    for (QAction* action : window().findChildren<QAction*>()) {
      if (action->text().startsWith(captionStart)) return action;
    }
    ADD_FAILURE() << "no menu item " << captionStart.toStdString();
    return nullptr;
  }

  void writeSettings(std::string_view utf8) {
    writeBytes(folder / "Stormbook.ini", utf8ToGb18030(utf8));
  }
  std::string settingsText() { return gb18030ToUtf8(readBytes(folder / "Stormbook.ini")); }

  // Waits for every queued modal answer to be used.
  void waitForAnswers(const ModalAnswerer& answers) {
    for (int round = 0; round < 400 && answers.pending() > 0; ++round) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_EQ(answers.pending(), 0u) << "a dialog the test answers did not open";
  }

  TempFolder folder;
  std::string builtInServer;  // the build's when empty
  std::unique_ptr<Shell> shell;
};

TEST_F(ShellTest, FirstStartShowsDefaultsAndExitWritesEveryKeyOnce) {
  start();
  EXPECT_EQ(child<QLineEdit>(QStringLiteral("编辑框1"))->text(), QStringLiteral("58453"));
  EXPECT_FALSE(child<QCheckBox>(QStringLiteral("选择框1"))->isChecked());
  EXPECT_TRUE(menuItem(QStringLiteral("上小时最大瞬时风"))->isChecked());
  EXPECT_TRUE(menuItem(QStringLiteral("上小时10分钟平均能见度"))->isChecked());
  EXPECT_FALSE(menuItem(QStringLiteral("&A.启用代理"))->isEnabled());
  EXPECT_FALSE(menuItem(QStringLiteral("&A.启用代理"))->isChecked());
  EXPECT_EQ(menuItem(kKeyCaption)->text(), kKeyCaption);
  EXPECT_EQ(window().windowTitle(), shell->baseTitle());
  EXPECT_EQ(shell->baseTitle(), QStringLiteral("Skyrill（127.0.0.1） 1.8.5.7"));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "History"));
  EXPECT_FALSE(std::filesystem::exists(folder / "Stormbook.ini"));  // nothing written before exit

  window().close();
  EXPECT_EQ(settingsText(),
            "[Stormbook]\nSite=58453\nRealtime=0\nWind=1\nVisibility=1\nAutoSave=0\n\n"
            "[Proxy]\nAddress=\"\"\nActivate=0\n\n[Api]\nApiKey=\"\"\n");

  // Exactly once: a later quit leaves the file alone.
  writeSettings("[Stormbook]\nSite=00000\n");
  shell->shutdown();
  EXPECT_EQ(settingsText(), "[Stormbook]\nSite=00000\n");
}

TEST_F(ShellTest, SettingsAreAppliedInOrderAndWrittenBackAfterChanges) {
  writeSettings(
      "; kept\n[stormbook]\nsite=57083\nRealtime=2\nWind=3\nVisibility=2\nAutoSave=1\n"
      "[Proxy]\nAddress=\" 127.0.0.1:7890 \"\nActivate=1\n"
      "[Api]\nApiKey=\"k \"\nServer=http://127.0.0.1:9\n");
  start();
  EXPECT_EQ(child<QLineEdit>(QStringLiteral("编辑框1"))->text(), QStringLiteral("57083"));
  EXPECT_TRUE(child<QCheckBox>(QStringLiteral("选择框1"))->isChecked());
  EXPECT_FALSE(child<QComboBox>(QStringLiteral("组合框1"))->isEnabled());  // today mode
  EXPECT_TRUE(menuItem(QStringLiteral("整点瞬时风"))->isChecked());
  EXPECT_TRUE(menuItem(QStringLiteral("报告上小时能见度"))->isChecked());
  EXPECT_TRUE(menuItem(QStringLiteral("&A.启用代理"))->isChecked());
  EXPECT_EQ(menuItem(kKeyCaption)->text(), kKeyCaption + QStringLiteral("k "));
  EXPECT_EQ(window().windowTitle(), shell->baseTitle() + QStringLiteral("【保存】【代理】"));

  ModalAnswerer answers;
  answers.then(answerInput(QStringLiteral("new key")));
  menuItem(kKeyCaption)->trigger();
  menuItem(QStringLiteral("&A.自动保存"))->trigger();
  menuItem(QStringLiteral("上小时2分钟平均风"))->trigger();
  child<QCheckBox>(QStringLiteral("选择框1"))->click();
  child<QLineEdit>(QStringLiteral("编辑框1"))->setText(QStringLiteral("123"));
  waitForAnswers(answers);

  window().close();
  EXPECT_EQ(settingsText(),
            "; kept\n[stormbook]\nsite=123\nRealtime=0\nWind=2\nVisibility=2\nAutoSave=0\n"
            "[Proxy]\nAddress=\" 127.0.0.1:7890 \"\nActivate=1\n"
            "[Api]\nApiKey=\"new key\"\nServer=http://127.0.0.1:9\n");
}

TEST_F(ShellTest, ApiKeyDialog) {
  start();
  QString title, prompt, initial;
  ModalAnswerer answers;
  answers.then(answerInput(QStringLiteral(" abc "), &title, &prompt, &initial));
  menuItem(kKeyCaption)->trigger();
  waitForAnswers(answers);
  EXPECT_EQ(title, QStringLiteral("密钥"));
  EXPECT_EQ(prompt, QStringLiteral("请输入API Key："));
  EXPECT_EQ(initial, QString());
  EXPECT_EQ(menuItem(kKeyCaption)->text(), kKeyCaption + QStringLiteral(" abc "));

  answers.then(answerInput(std::nullopt, nullptr, nullptr, &initial));  // cancelled
  menuItem(kKeyCaption)->trigger();
  waitForAnswers(answers);
  EXPECT_EQ(initial, QStringLiteral(" abc "));
  EXPECT_EQ(menuItem(kKeyCaption)->text(), kKeyCaption + QStringLiteral(" abc "));

  answers.then(answerInput(QString()));  // emptied
  menuItem(kKeyCaption)->trigger();
  waitForAnswers(answers);
  EXPECT_EQ(menuItem(kKeyCaption)->text(), kKeyCaption);
}

TEST_F(ShellTest, ProxyDialogAndItsQuestion) {
  start();
  QAction* proxyItem = menuItem(QStringLiteral("&A.启用代理"));
  const QString marked = shell->baseTitle() + QStringLiteral("【代理】");
  auto configure = [&](std::optional<QString> address,
                       std::optional<QMessageBox::StandardButton> answer) {
    ModalAnswerer answers;
    QString title, prompt;
    Shown question;
    answers.then(answerInput(address, &title, &prompt));
    if (answer) answers.then(pressOnBox(*answer, &question));
    menuItem(QStringLiteral("&S.配置代理"))->trigger();
    waitForAnswers(answers);
    EXPECT_EQ(title, QStringLiteral("配置代理"));
    EXPECT_EQ(prompt, QStringLiteral("请输入代理地址（如127.0.0.1:7890）："));
    if (answer) {
      EXPECT_EQ(question.title, QStringLiteral("配置代理"));
      EXPECT_EQ(question.text, QStringLiteral("代理配置完成，是否启用？"));
      EXPECT_EQ(question.icon, QMessageBox::Question);
    }
  };

  configure(QStringLiteral("127.0.0.1:7890"), QMessageBox::No);  // proxy off
  EXPECT_TRUE(proxyItem->isEnabled());
  EXPECT_FALSE(proxyItem->isChecked());
  EXPECT_EQ(window().windowTitle(), shell->baseTitle());

  configure(QStringLiteral("127.0.0.1:7891"), QMessageBox::Yes);  // proxy on
  EXPECT_TRUE(proxyItem->isChecked());
  EXPECT_EQ(window().windowTitle(), marked);

  configure(QStringLiteral("127.0.0.1:7892"), std::nullopt);  // already on: no question
  EXPECT_TRUE(proxyItem->isChecked());

  configure(std::nullopt, std::nullopt);  // cancelled: nothing changes
  EXPECT_EQ(window().readRequest().proxyAddress, "127.0.0.1:7892");
  EXPECT_EQ(window().windowTitle(), marked);

  configure(QString(), std::nullopt);  // no proxy
  EXPECT_FALSE(proxyItem->isEnabled());
  EXPECT_FALSE(proxyItem->isChecked());
  EXPECT_EQ(window().windowTitle(), shell->baseTitle());
}

// A day fetched from the sample service, then saved and opened again.
// "服务器…" sets the two addresses, which requests use at once and the
// settings keep, quoted like the key, from the end of the run on. A fetch
// that fails at the built-in address says where another can be set; one at
// an address set by hand does not.
TEST_F(ShellTest, ServerDialogSetsTheAddressesAndAFailureAtTheBuiltInOneNamesIt) {
  const std::string builtIn = "http://127.0.0.1:" + std::to_string(testing::unusedPort());
  const std::string dead = "http://localhost:" + std::to_string(testing::unusedPort());
  builtInServer = builtIn;
  writeSettings("[Api]\nApiKey=\"demo\"\n");
  start();
  const auto fetchFailure = [this] {
    ModalAnswerer answers;
    Shown failure;
    answers.then(pressOnBox(QMessageBox::Ok, &failure));
    child<QPushButton>(QStringLiteral("获取按钮"))->click();
    EXPECT_TRUE(waitFor([&] { return answers.pending() == 0 && !shell->pipeline().state().busy; }));
    return failure.text;
  };
  EXPECT_TRUE(fetchFailure().endsWith(QString::fromStdString(
      "服务器 " + builtIn + "：连接被拒绝。这是程序内置的地址，可在菜单“数据 → 服务器…”中更改。")));

  ModalAnswerer answers;
  QString placeholder;
  answers.then([&](QWidget* modal) {
    auto* dialog = qobject_cast<ServerDialog*>(modal);
    ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
    auto* server = dialog->findChild<QLineEdit*>(QStringLiteral("serverField"));
    placeholder = server->placeholderText();
    server->setText(QString::fromStdString(dead));
    dialog->findChild<QLineEdit*>(QStringLiteral("directoryField"))
        ->setText(QStringLiteral(" http://127.0.0.1:8765 "));
    dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
  });
  menuItem(QStringLiteral("&V.服务器…"))->trigger();
  waitForAnswers(answers);
  EXPECT_EQ(placeholder, QString::fromStdString("内置：" + builtIn));
  EXPECT_EQ(shell->baseTitle(), QStringLiteral("Skyrill（localhost） 1.8.5.7"));
  EXPECT_EQ(window().windowTitle(), shell->baseTitle());
  EXPECT_EQ(fetchFailure().section(QStringLiteral("\n"), -1),
            QString::fromStdString("服务器 " + dead + "：连接被拒绝。"));

  window().close();
  EXPECT_TRUE(settingsText().starts_with("[Api]\nApiKey=\"demo\"\nServer=\"" + dead +
                                         "\"\nDirectory=\"http://127.0.0.1:8765\"\n"))
      << settingsText();
}

class ShellFileTest : public ShellTest {
 protected:
  void SetUp() override {
    sample::addWeatherRoutes(service.server(), {}, false);
    const int port = service.start("127.0.0.1", 0);
    ASSERT_GT(port, 0);
    writeSettings("[Api]\nApiKey=\"demo\"\nServer=http://127.0.0.1:" + std::to_string(port) + "\n");
    start();
  }

  // Clicks "获取" and waits for the run, which fetches in the background.
  void fetch() {
    child<QPushButton>(QStringLiteral("获取按钮"))->click();
    ASSERT_TRUE(waitFor([this] { return !shell->pipeline().state().busy; }));
  }

  QStringList panels() {
    QStringList texts;
    for (const auto& [bar, count] : {std::pair{1, 4}, {2, 4}, {3, 3}}) {
      for (int index = 0; index < count; ++index) texts << window().statusPanel(bar, index)->text();
    }
    return texts;
  }
  QString title() { return child<QLabel>(QStringLiteral("标签14"))->text(); }

  // Sends a drop of the files to the window, as a file manager would.
  void drop(const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    const QPointF at(100, 100);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window(), &dropped);
  }

  const std::filesystem::path history() { return folder / "History"; }

  sample::ServerThread service{std::make_unique<httplib::Server>()};
};

TEST_F(ShellFileTest, SavedDayOpensAgainAsFetched) {
  fetch();
  const QString fetchedTitle = title();
  const QStringList fetchedPanels = panels();
  const DaySeries fetchedSeries = shell->pipeline().state().series;
  ASSERT_FALSE(fetchedTitle.isEmpty());

  ModalAnswerer answers;
  QString presetName, startFolder;
  std::filesystem::path saved;
  answers.then([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("json"));
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("JSON 文件（*.json） (*.json)")});
    presetName = QFileInfo(dialog->selectedFiles().value(0)).fileName();
    keepPicture(dialog, QStringLiteral("save"));
    startFolder = dialog->directory().absolutePath();
    saved = folder / "day.json";
    typeFileName(dialog, saved);
    static_cast<QDialog*>(dialog)->accept();  // public in QDialog
  });
  menuItem(QStringLiteral("&S.保存"))->trigger();
  waitForAnswers(answers);
  EXPECT_EQ(presetName, QStringLiteral("0_58453_0_20240307.json"));
  EXPECT_EQ(startFolder, QString::fromStdString(history().string()));
  EXPECT_EQ(readBytes(saved), shell->pipeline().state().responseBytes);

  // Opened again under its fetched name, the mode comes from the name.
  const std::filesystem::path named = folder / "0_58453_0_20240307.json";
  std::filesystem::copy_file(saved, named);
  child<QCheckBox>(QStringLiteral("选择框1"))->setChecked(true);
  answers.then([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    typeFileName(dialog, named);
    static_cast<QDialog*>(dialog)->accept();  // public in QDialog
  });
  menuItem(QStringLiteral("&O.打开"))->trigger();
  waitForAnswers(answers);
  EXPECT_EQ(title(), fetchedTitle);
  QStringList expectedPanels = fetchedPanels;
  expectedPanels.last() = QStringLiteral("数据获取时间：本地文件");
  EXPECT_EQ(panels(), expectedPanels);
  EXPECT_TRUE(shell->pipeline().state().series.hours == fetchedSeries.hours);

  // An opened day has no name to offer: no save dialog.
  menuItem(QStringLiteral("&S.保存"))->trigger();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ShellFileTest, DropOpensTheFirstFileAndTellsWhenThereWereMore) {
  fetch();
  const QString fetchedTitle = title();
  const std::string bytes = shell->pipeline().state().responseBytes;
  const std::filesystem::path first = folder / "0_58453_0_20240307.json";
  writeBytes(first, bytes);
  writeBytes(folder / "other.json", "not json");

  child<QLabel>(QStringLiteral("标签14"))->clear();
  drop({QString::fromStdString(first.string())});
  EXPECT_EQ(title(), fetchedTitle);

  child<QLabel>(QStringLiteral("标签14"))->clear();
  ModalAnswerer answers;
  Shown notice;
  answers.then(pressOnBox(QMessageBox::Ok, &notice));
  drop({QString::fromStdString(first.string()),
        QString::fromStdString((folder / "other.json").string()),
        QString::fromStdString((folder / "third.json").string())});
  waitForAnswers(answers);
  EXPECT_EQ(notice.title, QStringLiteral("打开文件"));
  EXPECT_EQ(notice.text, QStringLiteral("只能同时打开1个文件。"));
  EXPECT_EQ(notice.icon, QMessageBox::NoIcon);
  EXPECT_EQ(title(), fetchedTitle);
}

// Files that are no day: each ends in its message, with a last line that
// names the file and what is wrong with it, and the day on screen stays.
TEST_F(ShellFileTest, BadFilesEndInTheirMessage) {
  fetch();
  const QString fetchedTitle = title();
  const std::filesystem::path fifo = folder / "pipe.json";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_directory(folder / "folder.json");
  writeBytes(folder / "empty.json", "");
  writeBytes(folder / "text.json", "just text");
  writeBytes(folder / "chart.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR");
  writeBytes(folder / "station.json", R"([{"code":"ABJ","name":"北京"}])");
  writeBytes(folder / "null.json", " null\n");
  writeBytes(folder / "huge.json", std::string(JsonDocument::kMaxTextBytes + 1, ' '));
  writeBytes(folder / "7_58453_0_20240307.json", shell->pipeline().state().responseBytes);
  const struct {
    const char* name;
    const char* title;
    const char* note;  // the message's last line; empty for none
  } cases[] = {
      {"empty.json", "未能获取数据", "文件“empty.json”：文件是空的。"},
      {"text.json", "未能获取数据", "文件“text.json”：文件不是 JSON 文本。"},
      {"chart.png", "未能获取数据", "文件“chart.png”：文件不是 JSON 文本。"},
      {"station.json", "未能获取数据", "文件“station.json”：文件是 JSON，但不是一天的观测数据。"},
      {"null.json", "未能获取数据", "文件“null.json”：文件是 JSON，但不是一天的观测数据。"},
      {"huge.json", "未能获取数据",
       "文件“huge.json”：文件太大（超过 16 MiB），不是一天的观测数据。"},
      {"missing.json", "未能获取数据", "文件“missing.json”：文件不存在。"},
      {"pipe.json", "未能获取数据", "文件“pipe.json”：无法读取该文件（没有权限或不是普通文件）。"},
      {"folder.json", "未能获取数据", "文件“folder.json”：这是一个文件夹，不是文件。"},
      {"7_58453_0_20240307.json", "打开文件", ""},
  };
  for (const auto& bad : cases) {
    SCOPED_TRACE(bad.name);
    ModalAnswerer answers;
    Shown message;
    answers.then(pressOnBox(QMessageBox::Ok, &message));
    window().openDayFile(QString::fromStdString((folder / bad.name).string()));
    waitForAnswers(answers);
    EXPECT_EQ(message.title, QString::fromUtf8(bad.title));
    const QString note = QString::fromUtf8(bad.note);
    if (note.isEmpty()) {
      EXPECT_FALSE(message.text.contains(QStringLiteral("\n\n")));
    } else {
      EXPECT_TRUE(message.text.endsWith(QStringLiteral("\n\n") + note))
          << message.text.toStdString();
    }
    EXPECT_EQ(title(), fetchedTitle);
    EXPECT_TRUE(shell->pipeline().state().responseText.empty());
  }
}

TEST_F(ShellFileTest, FailedSaveSaysSoAndKeepsTheOldFile) {
  fetch();
  writeBytes(folder / "day.json", "old");
  const std::filesystem::path target = folder / "missing" / "day.json";
  ModalAnswerer answers;
  Shown message;
  answers
      .then([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        typeFileName(dialog, target);
        static_cast<QDialog*>(dialog)->done(
            QDialog::Accepted);  // past the dialog's own check of the folder
      })
      .then(pressOnBox(QMessageBox::Ok, &message));
  menuItem(QStringLiteral("&S.保存"))->trigger();
  waitForAnswers(answers);
  EXPECT_EQ(message.title, QStringLiteral("保存文件"));
  EXPECT_TRUE(message.text.startsWith(QStringLiteral("文件保存失败")));
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_EQ(readBytes(folder / "day.json"), "old");
}

// Answers an export dialog with a typed file name; records the name and
// folder it offered, and ticks its caption box when asked.
struct ExportOffer {
  QString name;
  QString folder;
  bool hasCaptionBox = false;
};
ModalAnswerer::Action exportInto(const std::filesystem::path& path, ExportOffer* offer = nullptr,
                                 bool caption = false) {
  return [=](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    auto* captionBox = dialog->findChild<QCheckBox*>(QStringLiteral("说明行"));
    if (offer) {
      *offer = {QFileInfo(dialog->selectedFiles().value(0)).fileName(),
                dialog->directory().absolutePath(), captionBox != nullptr};
    }
    if (caption) {
      ASSERT_NE(captionBox, nullptr);
      captionBox->setChecked(true);
    }
    typeFileName(dialog, path);
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);  // past the folder check
  };
}

TEST_F(ShellFileTest, ExportsTheDayOnDisplayThroughTheDataMenu) {
  QMenu* data = window().menuBar()->actions().value(0)->menu();
  ASSERT_NE(data, nullptr);
  const QStringList exports = {QStringLiteral("&H.CSV（时次）…"), QStringLiteral("&G.CSV（表格）…"),
                               QStringLiteral("&C.图表（PNG/JPEG/SVG/PDF）…"),
                               QStringLiteral("&W.风向杆（PNG/JPEG/SVG/PDF）…")};
  emit data->aboutToShow();
  for (const QString& caption : exports) EXPECT_FALSE(menuItem(caption)->isEnabled());
  // Nothing to export: no dialog.
  menuItem(exports[0])->trigger();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  fetch();
  emit data->aboutToShow();
  for (const QString& caption : exports) EXPECT_TRUE(menuItem(caption)->isEnabled());
  const QList<QAction*> dataItems = data->actions();
  EXPECT_EQ(dataItems.last()->text(), QStringLiteral("&Q.退出"));
  EXPECT_TRUE(std::any_of(dataItems.begin(), dataItems.end(), [](const QAction* item) {
    return item->text() == QStringLiteral("&E.导出");
  }));

  ModalAnswerer answers;
  ExportOffer slotsOffer, chartOffer;
  answers.then(exportInto(folder / "slots.csv", &slotsOffer))
      .then(exportInto(folder / "grid.csv"))
      .then(exportInto(folder / "chart.svg", &chartOffer))
      .then(exportInto(folder / "strip.pdf"));
  for (const QString& caption : exports) menuItem(caption)->trigger();
  waitForAnswers(answers);
  EXPECT_EQ(slotsOffer.name, QStringLiteral("柯桥_58453_2024-03-07.csv"));
  EXPECT_EQ(slotsOffer.folder, firstExportFolder(false)) << "not the archive's";
  EXPECT_FALSE(slotsOffer.hasCaptionBox);
  EXPECT_EQ(chartOffer.name, QStringLiteral("柯桥_58453_2024-03-07.png"));
  EXPECT_EQ(chartOffer.folder, QString::fromStdString(folder.path().string()))
      << "the last export's";
  EXPECT_TRUE(chartOffer.hasCaptionBox);
  EXPECT_TRUE(readBytes(folder / "slots.csv").starts_with("\xEF\xBB\xBF时次,时间,"));
  EXPECT_TRUE(readBytes(folder / "grid.csv").starts_with("\xEF\xBB\xBF数据时间,气温,"));
  EXPECT_NE(readBytes(folder / "chart.svg").find(">气温</text>"), std::string::npos);
  EXPECT_TRUE(readBytes(folder / "strip.pdf").starts_with("%PDF-"));

  // A JPEG by its name, with the caption line under the chart.
  answers.then(exportInto(folder / "chart.jpg", nullptr, true));
  menuItem(exports[2])->trigger();
  waitForAnswers(answers);
  EXPECT_TRUE(readBytes(folder / "chart.jpg").starts_with("\xFF\xD8\xFF"));
  EXPECT_EQ(QImage(QString::fromStdString((folder / "chart.jpg").string())).size(),
            QSize(500, 440 + kCaptionHeight));

  // A name without a picture ending is refused, and nothing is written.
  Shown refusal;
  answers.then(exportInto(folder / "chart.bmp")).then(pressOnBox(QMessageBox::Ok, &refusal));
  menuItem(exports[2])->trigger();
  waitForAnswers(answers);
  EXPECT_TRUE(refusal.text.contains(QStringLiteral(".png、.jpg、.jpeg、.svg 或 .pdf")))
      << refusal.text.toStdString();
  EXPECT_FALSE(std::filesystem::exists(folder / "chart.bmp"));

  // A file that cannot be written ends in a warning owned by the window.
  Shown warning;
  answers.then(exportInto(folder / "missing" / "chart.png")).then([&](QWidget* modal) {
    EXPECT_EQ(modal->parentWidget(), &window());
    pressOnBox(QMessageBox::Ok, &warning)(modal);
  });
  menuItem(exports[2])->trigger();
  waitForAnswers(answers);
  EXPECT_EQ(warning.title, QStringLiteral("导出"));
  EXPECT_EQ(warning.icon, QMessageBox::Warning);
  EXPECT_TRUE(warning.text.startsWith(QStringLiteral("文件导出失败")));
}

// "skyrill FILE": the file opens once the window shows, as a dropped one.
TEST_F(ShellTest, DayFileGivenAtStartOpensInTheShownWindow) {
  const std::filesystem::path day =
      std::filesystem::path(SKYRILL_TEST_DATA_DIR) / "day" / "0_57083_0_20190705.json";
  start(day.string());
  EXPECT_TRUE(shell->pipeline().state().responseText.empty()) << "opened before the window showed";
  for (int round = 0; round < 100 && shell->pipeline().state().responseText.empty(); ++round) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(shell->pipeline().state().sourceLabel, kLocalFileLabel);
  EXPECT_EQ(shell->pipeline().state().series.slot(1).temperature, "23.4");
}

TEST_F(ShellTest, MissingDayFileGivenAtStartEndsInItsMessage) {
  start((folder / "nowhere.json").string());
  ModalAnswerer answers;
  Shown message;
  answers.then(pressOnBox(QMessageBox::Ok, &message));
  waitForAnswers(answers);
  EXPECT_EQ(message.title, QStringLiteral("未能获取数据"));
  EXPECT_TRUE(window().isVisible());
}

TEST_F(ShellFileTest, AutoSaveWritesIntoTheYearFolder) {
  menuItem(QStringLiteral("&A.自动保存"))->trigger();
  fetch();
  EXPECT_EQ(readBytes(history() / "2024" / "0_58453_0_20240307.json"),
            shell->pipeline().state().responseBytes);
}

// A settings file start-up cannot use: defaults, and the exit write never
// turns it into something else.
TEST_F(ShellTest, UnusableSettingsFileGivesDefaults) {
  std::filesystem::create_directory(folder / "Stormbook.ini");
  start();
  EXPECT_EQ(child<QLineEdit>(QStringLiteral("编辑框1"))->text(), QStringLiteral("58453"));
  window().close();
  EXPECT_TRUE(std::filesystem::is_directory(folder / "Stormbook.ini"));
}

TEST_F(ShellTest, GarbageSettingsFileGivesDefaults) {
  std::string garbage(10 * 1024 * 1024, '\0');
  for (std::size_t index = 0; index < garbage.size(); ++index) {
    garbage[index] = static_cast<char>((index * 2654435761u) >> 13);
  }
  writeBytes(folder / "Stormbook.ini", garbage);
  start();
  EXPECT_EQ(child<QLineEdit>(QStringLiteral("编辑框1"))->text(), QStringLiteral("58453"));
  EXPECT_EQ(menuItem(kKeyCaption)->text(), kKeyCaption);
}

// What the window says once at start about where its files are: an earlier
// version's days it could not move in, where they are and why; with no
// folder for the settings, that they will not be kept. Nothing is written
// into the current folder.
TEST(ShellPlaces, StartTellsOnceWhatBecameOfTheFilesPlaces) {
  TempFolder folder;
  const std::filesystem::path bin = folder / "prefix/bin";
  std::filesystem::create_directories(bin / "History/2024");
  writeBytes(bin / "History/2024/0_54511_0_20240101.json", "day");
  // A file where the History folder goes stops the move.
  std::filesystem::create_directories(folder / "data");
  writeBytes(folder / "data/History", "");
  const struct {
    const char* what;
    ProgramPlaces places;
    QString title;
    QString textStart;
  } cases[] = {
      {"earlier days left behind",
       {folder / "config/Stormbook.ini", folder / "data", folder / "cache", false},
       QStringLiteral("旧版本的文件"),
       QString::fromStdString("上一版本保存的文件未能全部移到新的位置，尚未移动的仍在：\n" +
                              (bin / "History").string() +
                              "\n原因：那里有一个同名的文件，不是文件夹")},
      {"no places known",
       {},
       QStringLiteral("设置"),
       QStringLiteral("找不到可以写入的文件夹，本次更改的设置在程序关闭后不会保留。")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TempFolder here;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(here.path());
    Shell::Options options;
    options.programFile = bin / "skyrill";
    options.places = c.places;
    options.installCrashHook = false;
    options.catchTermination = false;
    auto shell = std::make_unique<Shell>(options);
    shell->start();
    ModalAnswerer answers;
    Shown first, second;
    answers.then(pressOnBox(QMessageBox::Ok, &first)).then(pressOnBox(QMessageBox::Ok, &second));
    for (int round = 0; round < 200; ++round) QApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(answers.pending(), 1u) << "one message, once";
    EXPECT_EQ(first.title, c.title);
    EXPECT_TRUE(first.text.startsWith(c.textStart)) << first.text.toStdString();
    shell->window().close();
    const std::filesystem::path standIn = shell->places().dataFolder;
    shell.reset();
    std::filesystem::current_path(before);
    EXPECT_EQ(testing::entryCount(here.path()), 0);
    // What stood in for the unknown places is gone with the program.
    if (c.places.dataFolder.empty()) {
      EXPECT_FALSE(std::filesystem::exists(standIn));
    }
  }
  EXPECT_EQ(readBytes(bin / "History/2024/0_54511_0_20240101.json"), "day");
}

// A service that never answers: the program still ends in order, and at
// once, when the window is closed or a termination signal comes.
class ShellStallTest : public ShellTest {
 protected:
  void SetUp() override {
    writeSettings("[Stormbook]\nSite=54511\n[Api]\nApiKey=\"demo\"\nServer=http://127.0.0.1:" +
                  std::to_string(silent.port()) + "\n");
  }

  void startWaitingFetch(bool catchTermination) {
    start({}, catchTermination);
    child<QPushButton>(QStringLiteral("获取按钮"))->click();
    ASSERT_TRUE(shell->pipeline().state().busy);
    ASSERT_TRUE(waitFor([this] { return !silent.requestHeads().empty(); }));
  }

  // The exit write puts every key, the start file has only two.
  bool settingsWritten() {
    return settingsText().starts_with("[Stormbook]\nSite=54511\nRealtime=0\n");
  }

  // Takes the request and says nothing until the client goes.
  testing::RawServer silent{[](int socket, const std::string&) { testing::waitForClose(socket); }};
};

TEST_F(ShellStallTest, ClosingTheWindowEndsTheWaitAndWritesTheSettings) {
  startWaitingFetch(false);
  window().close();
  EXPECT_FALSE(shell->pipeline().state().busy);
  EXPECT_TRUE(settingsWritten()) << settingsText();
  shell.reset();  // waits for the request's thread, which the close has ended
}

TEST_F(ShellStallTest, TerminationSignalEndsTheWaitAndWritesTheSettings) {
  startWaitingFetch(true);
  ::raise(SIGTERM);
  // The signal reaches the event loop, which is free while the request waits.
  EXPECT_TRUE(waitFor([this] { return settingsWritten(); })) << settingsText();
  shell.reset();
}

// A service with a certificate of its own: the failure names the
// certificate, the question trusts it for that server (written into the
// settings file at once) and the fetch goes again; a different certificate
// later is refused as changed, and stays refused when the user says so.
class ShellTrustTest : public ShellTest {
 protected:
  void SetUp() override {
    sample::addWeatherRoutes(service.server(), {}, false);
    port = service.start("127.0.0.1", 0);
    ASSERT_GT(port, 0);
  }

  std::string server() const { return "127.0.0.1:" + std::to_string(port); }
  void startAgainstService(const std::string& moreSettings = {}) {
    writeSettings("[Api]\nApiKey=\"demo\"\nServer=https://" + server() + "\n" + moreSettings);
    start();
  }

  // Presses the question's button of that name, noting what it showed.
  static ModalAnswerer::Action pressOnQuestion(const char* button, Shown* seen) {
    return [button, seen](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr) << modal->metaObject()->className();
      *seen = {box->windowTitle(), box->text(), box->icon()};
      keepPicture(box, QStringLiteral("certificate-question"));
      auto* pressed = box->findChild<QPushButton*>(QString::fromLatin1(button));
      ASSERT_NE(pressed, nullptr) << button;
      pressed->click();
    };
  }

  sample::TlsIdentity identity = sample::makeSelfSignedIdentity();
  const std::string fingerprint = sample::sha256Fingerprint(identity.certificate.get());
  sample::ServerThread service{sample::makeHttpsServer(identity)};
  int port = 0;
};

TEST_F(ShellTrustTest, TheQuestionTrustsTheCertificateAndAChangedOneIsRefused) {
  startAgainstService();
  Shown failure, question;
  ModalAnswerer answers;
  answers.then(pressOnBox(QMessageBox::Ok, &failure))
      .then(pressOnQuestion(kTrustCertificateButton, &question));
  child<QPushButton>(QStringLiteral("获取按钮"))->click();
  // The first request loads libcurl and makes a handshake: it may take a while.
  ASSERT_TRUE(waitFor([&] { return answers.pending() == 0; }));
  ASSERT_TRUE(waitFor([this] { return !shell->pipeline().state().responseText.empty(); }));
  EXPECT_EQ(failure.title, QStringLiteral("未能获取数据"));
  EXPECT_TRUE(failure.text.contains(QString::fromStdString(
      "服务器 https://" + server() + "：证书不受信任（自签名证书）。证书主题 CN=localhost")))
      << failure.text.toStdString();
  EXPECT_TRUE(failure.text.contains(QString::fromStdString("SHA-256 指纹 " + fingerprint)));
  EXPECT_EQ(question.title, QStringLiteral("证书"));
  EXPECT_EQ(question.icon, QMessageBox::Warning);
  EXPECT_TRUE(question.text.startsWith(QString::fromStdString("服务器 " + server())));
  EXPECT_TRUE(question.text.contains(QString::fromStdString(fingerprint.substr(0, 47))));
  EXPECT_TRUE(question.text.contains(QString::fromStdString(fingerprint.substr(48))));
  // Written at once, not only at exit.
  EXPECT_NE(settingsText().find("[TrustedCertificates]\n" + server() + "=" + fingerprint + "\n"),
            std::string::npos)
      << settingsText();
  shell.reset();

  // Another certificate is pinned for the server now.
  const std::string before =
      sample::sha256Fingerprint(sample::makeSelfSignedIdentity().certificate.get());
  startAgainstService("[TrustedCertificates]\n" + server() + "=" + before + "\n");
  answers.then(pressOnBox(QMessageBox::Ok, &failure))
      .then(pressOnQuestion(kKeepRefusingButton, &question));
  child<QPushButton>(QStringLiteral("获取按钮"))->click();
  ASSERT_TRUE(waitFor([&] { return answers.pending() == 0; }));
  EXPECT_TRUE(failure.text.contains(QStringLiteral("证书与此前信任的不同")))
      << failure.text.toStdString();
  EXPECT_EQ(question.icon, QMessageBox::Critical);
  EXPECT_TRUE(question.text.contains(
      QString::fromStdString("此前信任的 SHA-256 指纹\n" + before.substr(0, 47) + "\n")));
  EXPECT_TRUE(shell->pipeline().state().responseText.empty());
  EXPECT_NE(settingsText().find(server() + "=" + before + "\n"), std::string::npos);
  EXPECT_EQ(settingsText().find(fingerprint), std::string::npos);
}

}  // namespace
}  // namespace skyrill::test
