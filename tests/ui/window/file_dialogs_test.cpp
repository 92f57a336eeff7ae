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
