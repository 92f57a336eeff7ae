#include "ui/file_dialogs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractFileIconProvider>
#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include <fstream>

#include "tests/store/temp_folder.h"

namespace skyrill::test {
namespace {

// A file's icon and type come from its name. Guessing from its first bytes
// reads it on the window's thread, and some files (/proc/kmsg) make such a
// read wait for ever.
TEST(FileDialogs, TypesComeFromNamesNotContents) {
  testing::TempFolder folder;
  const std::filesystem::path picture = folder.path() / "picture";
  std::ofstream(picture) << "\x89PNG\r\n\x1a\n";
  std::ofstream(folder.path() / "blank");
  const std::filesystem::path fifo = folder.path() / "kmsg";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  QFileDialog dialog;
  prepareFileDialog(dialog);
  EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
  const QAbstractFileIconProvider* icons = dialog.iconProvider();
  ASSERT_NE(icons, nullptr);
  const auto info = [&](const char* name) {
    return QFileInfo(QString::fromStdString((folder.path() / name).string()));
  };
  EXPECT_EQ(icons->type(info("picture")), icons->type(info("blank")));
  EXPECT_FALSE(icons->icon(info("kmsg")).isNull());
  EXPECT_FALSE(icons->type(info("kmsg")).isEmpty());
}

// Sets an environment variable for the scope and puts the old value back.
class EnvironmentValue {
 public:
  EnvironmentValue(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~EnvironmentValue() {
    if (had_) {
      qputenv(name_, old_);
    } else {
      qunsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

// The first export opens among the user's own files: pictures and tables
// in their folders when they are there, else at home.
TEST(FileDialogs, TheFirstExportOpensInTheUsersFolders) {
  testing::TempFolder home;
  const QByteArray homePath = QByteArray::fromStdString(home.path().string());
  const EnvironmentValue homeValue("HOME", homePath);
  const EnvironmentValue config("XDG_CONFIG_HOME", homePath + "/.config");
  std::filesystem::create_directories(home.path() / ".config");
  std::ofstream(home.path() / ".config/user-dirs.dirs")
      << "XDG_PICTURES_DIR=\"$HOME/图片\"\nXDG_DOCUMENTS_DIR=\"$HOME/文档\"\n";
  const QString root = QString::fromStdString(home.path().string());
  EXPECT_EQ(firstExportFolder(true), root);
  EXPECT_EQ(firstExportFolder(false), root);
  std::filesystem::create_directory(home.path() / "文档");
  EXPECT_EQ(firstExportFolder(true), root + QStringLiteral("/文档"));
  EXPECT_EQ(firstExportFolder(false), root + QStringLiteral("/文档"));
  std::filesystem::create_directory(home.path() / "图片");
  EXPECT_EQ(firstExportFolder(true), root + QStringLiteral("/图片"));
  EXPECT_EQ(firstExportFolder(false), root + QStringLiteral("/文档"));
}

// A name typed, then Enter: the completion list goes with the dialog.
TEST(FileDialogs, CompletionListClosesWithTheDialog) {
  testing::TempFolder folder;
  for (const char* name : {"0_58453_0_20240101.json", "0_58453_0_20240102.json"}) {
    std::ofstream(folder.path() / name) << "{}";
  }
  QFileDialog dialog;
  prepareFileDialog(dialog);
  dialog.setDirectory(QString::fromStdString(folder.path().string()));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  QTest::keyClicks(name, "0_5");
  QCompleter* completer = name->completer();
  ASSERT_NE(completer, nullptr);
  // Shown as typing shows it, once the folder is read: asked again until
  // the folder's names have come in.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        if (!completer->popup()->isVisible()) completer->complete();
        return completer->popup()->isVisible();
      },
      20000));
  static_cast<QDialog&>(dialog).accept();  // public in QDialog
  EXPECT_FALSE(completer->popup()->isVisible());
}

}  // namespace
}  // namespace skyrill::test
