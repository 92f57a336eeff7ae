#pragma once

#include <QInputMethodEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

#include "core/task_runner.h"
#include "tests/store/temp_folder.h"
#include "tests/support/fake_directory_source.h"
#include "ui/search_box.h"
#include "ui/station_picker.h"
#include "window_fixture.h"

namespace skyrill::test {

using skyrill::testing::readBytes;
using skyrill::testing::TempFolder;
using skyrill::testing::writeBytes;

inline const QString kChooseButton = QStringLiteral("选择站点按钮");

// Text as an input method commits it, the way Chinese is typed.
inline void commitText(QWidget* widget, const QString& text) {
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QApplication::sendEvent(widget, &commit);
}

inline QStringList itemsOf(const QListWidget* list) {
  QStringList texts;
  for (int row = 0; row < list->count(); ++row) texts.append(list->item(row)->text());
  return texts;
}

inline int selectedRow(const QListWidget* list) {
  const auto selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

inline void doubleClickRow(QListWidget* list, int row) {
  // A view takes a double click only on the item the first press went to.
  const QPoint centre = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

// Lets the event loop run until the condition holds, for a generous while at most.
inline bool eventually(const std::function<bool()>& condition) {
  return QTest::qWaitFor(condition, 10000);
}

// Runs the steps on the picker once the main window has opened it.
inline void whenPickerOpens(std::function<void(StationPicker&)> steps) {
  QTimer::singleShot(0, [steps = std::move(steps)] {
    auto* picker = qobject_cast<StationPicker*>(QApplication::activeModalWidget());
    ASSERT_NE(picker, nullptr);
    steps(*picker);
    if (picker->isVisible()) picker->reject();  // a failed step must not leave it open
  });
}

// A main window whose picker reads a fake directory with caches in a fresh folder.
class StationPickerTest : public WindowFixture {
 protected:
  StationPickerTest() {
    directorySource.provinceAnswer = kTwoProvinces;
    directorySource.stationAnswers["AHN"] = kHunanStations;
    directorySource.stationAnswers["ABJ"] = kBeijingStations;
    window.setStationDirectory(&directory);
    window.show();
    window.move(120, 80);
  }

  // A picker whose downloads end before the click that starts them returns.
  std::unique_ptr<StationPicker> openPicker() { return openPicker(directory, &inlineRunner); }

  // runner null: the picker's own threads, as the main window opens it.
  std::unique_ptr<StationPicker> openPicker(StationDirectory& over, TaskRunner* runner) {
    auto picker = std::make_unique<StationPicker>(over, &window, runner);
    picker->show();
    picker->activateWindow();
    QApplication::processEvents();
    return picker;
  }

  template <typename Widget = QWidget>
  static Widget* part(StationPicker& picker, const char* name) {
    auto* widget = picker.findChild<Widget*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  void writeCaches() {
    writeBytes(cacheFolder / kProvinceCacheName, kTwoProvinces);
    writeBytes(cacheFolder / kStationCacheName, kHunanStations);
  }

  TempFolder cacheFolder;
  FakeDirectorySource directorySource;
  StationDirectory directory{directorySource, cacheFolder.path()};
  InlineRunner inlineRunner;
};

inline const QStringList kHunanItems = {
    QStringLiteral("株洲 57780（湖南省）"), QStringLiteral("长沙 57687（湖南省）"),
    QStringLiteral("长沙黄花 57679（湖南省）"), QStringLiteral("湘潭 57773（湖南省）")};

}  // namespace skyrill::test
