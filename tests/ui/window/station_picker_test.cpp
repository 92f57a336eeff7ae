#include "ui/station_picker.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

#include "tests/store/temp_folder.h"
#include "tests/support/fake_directory_source.h"
#include "ui/search_box.h"
#include "window_fixture.h"

namespace skyrill::test {
namespace {

using skyrill::testing::readBytes;
using skyrill::testing::TempFolder;
using skyrill::testing::writeBytes;

const QString kChooseButton = QStringLiteral("选择站点按钮");

// Text as an input method commits it, the way Chinese is typed.
void commitText(QWidget* widget, const QString& text) {
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QApplication::sendEvent(widget, &commit);
}

QStringList itemsOf(const QListWidget* list) {
  QStringList texts;
  for (int row = 0; row < list->count(); ++row) texts.append(list->item(row)->text());
  return texts;
}

int selectedRow(const QListWidget* list) {
  const auto selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

void doubleClickRow(QListWidget* list, int row) {
  // A view takes a double click only on the item the first press went to.
  const QPoint centre = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

// Runs the steps on the picker once the main window has opened it.
void whenPickerOpens(std::function<void(StationPicker&)> steps) {
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

  std::unique_ptr<StationPicker> openPicker() {
    auto picker = std::make_unique<StationPicker>(directory, &window);
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
};

const QStringList kHunanItems = {
    QStringLiteral("株洲 57780（湖南省）"), QStringLiteral("长沙 57687（湖南省）"),
    QStringLiteral("长沙黄花 57679（湖南省）"), QStringLiteral("湘潭 57773（湖南省）")};

TEST_F(StationPickerTest, sizeCaptionAndPlaceOverTheMainWindow) {
  auto picker = openPicker();
  EXPECT_EQ(picker->windowTitle(), QStringLiteral("选择气象站点（directory.test）"));
  EXPECT_EQ(picker->size(), QSize(352, 232));
  EXPECT_EQ(picker->minimumSize(), picker->maximumSize());
  EXPECT_FALSE(picker->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(picker->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(picker->windowFlags() & Qt::WindowCloseButtonHint);
  const QRect owner = window.frameGeometry();
  EXPECT_EQ(picker->frameGeometry().topLeft(),
            QPoint(owner.left() + (owner.width() - picker->frameGeometry().width()) / 2,
                   owner.top() + (owner.height() - picker->frameGeometry().height()) / 2));
  EXPECT_EQ(picker->parentWidget(), &window);
}

TEST_F(StationPickerTest, elementsSitAtTheirPlacesWithTheirCaptions) {
  auto picker = openPicker();
  struct Element {
    const char* name;
    QRect geometry;
    QString caption;
  } elements[] = {
      {"provinceLabel", {0, 0, 88, 24}, QStringLiteral("省份：")},
      {"provinceRefreshButton", {88, 0, 48, 24}, QStringLiteral("&P.刷新")},
      {"stationLabel", {136, 0, 88, 24}, QStringLiteral("站点：")},
      {"stationRefreshButton", {224, 0, 48, 24}, QStringLiteral("&S.刷新")},
      {"provinceList", {0, 24, 136, 184}, {}},
      {"stationList", {136, 24, 136, 184}, {}},
      {"provinceSearchBox", {0, 208, 136, 24}, QStringLiteral("搜索省份 ..")},
      {"stationSearchBox", {136, 208, 136, 24}, QStringLiteral("搜索站点 ..")},
      {"cancelButton", {272, 160, 80, 32}, QStringLiteral("&C.取消")},
      {"confirmButton", {272, 200, 80, 32}, QStringLiteral("&O.确定")},
  };
  for (const Element& element : elements) {
    QWidget* widget = part(*picker, element.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), element.geometry) << element.name;
    QString caption;
    if (auto* label = qobject_cast<QLabel*>(widget)) caption = label->text();
    if (auto* button = qobject_cast<QPushButton*>(widget)) caption = button->text();
    if (auto* box = qobject_cast<QLineEdit*>(widget)) caption = box->text();
    EXPECT_EQ(caption, element.caption) << element.name;
  }
  for (const char* name : {"provinceSearchBox", "stationSearchBox"}) {
    EXPECT_EQ(part<QLineEdit>(*picker, name)->maxLength(), 8);
    EXPECT_EQ(part<QLineEdit>(*picker, name)->palette().color(QPalette::Base), QColor(Qt::white));
  }
  EXPECT_EQ(part(*picker, "provinceList")->palette().color(QPalette::Base), QColor(0xECECEC));
  EXPECT_EQ(picker->palette().color(QPalette::Window), QColor(0xECECEC));
}

TEST_F(StationPickerTest, tabWalksTheFocusOrder) {
  auto picker = openPicker();
  const char* order[] = {"provinceRefreshButton", "provinceSearchBox", "provinceList",
                         "stationRefreshButton",  "stationSearchBox",  "stationList",
                         "confirmButton",         "cancelButton",      "provinceRefreshButton"};
  part(*picker, order[0])->setFocus();
  for (std::size_t i = 1; i < std::size(order); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), part(*picker, order[i])) << order[i];
  }
}

TEST_F(StationPickerTest, opensWithoutCaches_emptyAndWithoutARequest) {
  auto picker = openPicker();
  EXPECT_EQ(part<QListWidget>(*picker, "provinceList")->count(), 0);
  EXPECT_EQ(part<QListWidget>(*picker, "stationList")->count(), 0);
  EXPECT_TRUE(directorySource.requests.empty());
  for (const char* name : {"provinceSearchBox", "stationSearchBox"}) {
    auto* box = part<SearchBox>(*picker, name);
    EXPECT_TRUE(box->showsPlaceholder()) << name;
    EXPECT_EQ(box->palette().color(QPalette::Text), QColor(128, 128, 128));
    EXPECT_TRUE(box->font().italic());
    EXPECT_TRUE(box->alignment() & Qt::AlignLeft);
  }
}

TEST_F(StationPickerTest, opensWithCaches_showingBothListsAndNoProvinceSelected) {
  writeCaches();
  auto picker = openPicker();
  EXPECT_EQ(itemsOf(part<QListWidget>(*picker, "provinceList")),
            QStringList({QStringLiteral("北京市"), QStringLiteral("湖南省")}));
  EXPECT_EQ(itemsOf(part<QListWidget>(*picker, "stationList")), kHunanItems);
  EXPECT_EQ(selectedRow(part<QListWidget>(*picker, "provinceList")), -1);
  EXPECT_TRUE(directorySource.requests.empty());
}

TEST_F(StationPickerTest, refreshingProvinces_emptiesTheStationsAndResetsBothBoxes) {
  writeCaches();
  auto picker = openPicker();
  auto* provinceBox = part<SearchBox>(*picker, "provinceSearchBox");
  auto* stationBox = part<SearchBox>(*picker, "stationSearchBox");
  for (SearchBox* box : {provinceBox, stationBox}) {
    box->setFocus();
    commitText(box, QStringLiteral("湘"));
  }
  QTest::mouseClick(part(*picker, "provinceRefreshButton"), Qt::LeftButton);
  EXPECT_EQ(directorySource.requests, std::vector<std::string>{""});
  EXPECT_EQ(part<QListWidget>(*picker, "provinceList")->count(), 2);
  EXPECT_EQ(part<QListWidget>(*picker, "stationList")->count(), 0);
  for (SearchBox* box : {provinceBox, stationBox}) {
    EXPECT_TRUE(box->showsPlaceholder());
    EXPECT_EQ(box->text(),
              box == provinceBox ? QStringLiteral("搜索省份 ..") : QStringLiteral("搜索站点 .."));
  }
}

TEST_F(StationPickerTest, aFailedRefresh_showsFailedAndLeavesTheListsEmpty) {
  writeCaches();
  auto picker = openPicker();
  directorySource.provinceAnswer.clear();
  MessageAnswerer answerer;
  QTest::mouseClick(part(*picker, "provinceRefreshButton"), Qt::LeftButton);
  ASSERT_EQ(answerer.shown().size(), 1u);
  EXPECT_EQ(answerer.shown()[0].text, QStringLiteral("Failed"));
  EXPECT_EQ(answerer.shown()[0].title, QStringLiteral("信息："));
  EXPECT_EQ(answerer.shown()[0].icon, QMessageBox::Warning);
  EXPECT_EQ(part<QListWidget>(*picker, "provinceList")->count(), 0);
  EXPECT_EQ(part<QListWidget>(*picker, "stationList")->count(), 0);
}

TEST_F(StationPickerTest, searchSelectsTheFirstItemBeginningWithTheTypedText) {
  writeCaches();
  auto picker = openPicker();
  auto* stations = part<QListWidget>(*picker, "stationList");
  auto* box = part<SearchBox>(*picker, "stationSearchBox");
  box->setFocus();
  struct Step {
    QString typed;  // replaces the box's text
    int selected;   // row afterwards
  } steps[] = {
      {QStringLiteral("长沙"), 1},    // the first station of the city
      {QStringLiteral("长沙黄"), 2},  //
      {QStringLiteral("57773"), 2},   // a number begins no item: the selection stays
      {QStringLiteral("湖南"), 2},    // nor does the province
      {QStringLiteral("株"), 0},      //
      {QStringLiteral("广州"), 0},    //
  };
  for (const Step& step : steps) {
    box->clear();
    commitText(box, step.typed);
    EXPECT_EQ(selectedRow(stations), step.selected) << step.typed.toStdString();
  }
}

TEST_F(StationPickerTest, searchIgnoresLetterCaseAndPlaceholders) {
  writeBytes(cacheFolder / kProvinceCacheName, kTwoProvinces);
  writeBytes(cacheFolder / kStationCacheName, kBeijingStations);
  auto picker = openPicker();
  auto* stations = part<QListWidget>(*picker, "stationList");
  auto* box = part<SearchBox>(*picker, "stationSearchBox");
  box->setFocus();
  QTest::keyClicks(box, "hAI");
  EXPECT_EQ(selectedRow(stations), 1);

  // A placeholder text that happens to begin an item selects nothing.
  auto* provinceBox = part<SearchBox>(*picker, "provinceSearchBox");
  provinceBox->setText(QStringLiteral("北京"));
  EXPECT_EQ(selectedRow(part<QListWidget>(*picker, "provinceList")), -1);
}

TEST_F(StationPickerTest, searchBoxesSwitchBetweenPlaceholderAndTyping) {
  auto picker = openPicker();
  auto* box = part<SearchBox>(*picker, "provinceSearchBox");
  QWidget* elsewhere = part(*picker, "provinceList");

  box->setFocus();  // clicking into a placeholder empties it
  EXPECT_EQ(box->text(), QString());
  EXPECT_EQ(box->palette().color(QPalette::Text), QColor(Qt::black));
  EXPECT_FALSE(box->font().italic());
  EXPECT_TRUE(box->alignment() & Qt::AlignHCenter);

  elsewhere->setFocus();  // leaving it empty shows the placeholder again
  EXPECT_EQ(box->text(), QStringLiteral("搜索省份 .."));
  EXPECT_TRUE(box->showsPlaceholder());
  EXPECT_TRUE(box->font().italic());

  box->setFocus();
  QTest::keyClicks(box, "ab");
  elsewhere->setFocus();  // leaving it with text keeps the text in black
  EXPECT_EQ(box->text(), QStringLiteral("ab"));
  EXPECT_FALSE(box->showsPlaceholder());
  box->setFocus();  // coming back keeps it too
  EXPECT_EQ(box->text(), QStringLiteral("ab"));
}

TEST_F(StationPickerTest, doubleClicks_downloadAProvinceAndConfirmAStation) {
  writeCaches();
  auto picker = openPicker();
  doubleClickRow(part<QListWidget>(*picker, "provinceList"), 0);
  EXPECT_EQ(directorySource.requests, std::vector<std::string>{"ABJ"});
  auto* stations = part<QListWidget>(*picker, "stationList");
  EXPECT_EQ(itemsOf(stations), QStringList({QStringLiteral("北京 54511（北京市）"),
                                            QStringLiteral("Haidian 54399（北京市）")}));
  doubleClickRow(stations, 1);
  EXPECT_EQ(picker->result(), QDialog::Accepted);
  EXPECT_EQ(picker->confirmedStation(), QStringLiteral("54399"));
  EXPECT_EQ(readBytes(cacheFolder / kStationCacheName), kBeijingStations);
}

TEST_F(StationPickerTest, withoutSelections_refreshAndConfirmDoNothing) {
  writeCaches();
  auto picker = openPicker();
  MessageAnswerer answerer;
  QTest::mouseClick(part(*picker, "stationRefreshButton"), Qt::LeftButton);
  QTest::mouseClick(part(*picker, "confirmButton"), Qt::LeftButton);
  part(*picker, "stationSearchBox")->setFocus();
  QTest::keyClick(part(*picker, "stationSearchBox"), Qt::Key_Return);
  EXPECT_TRUE(picker->isVisible());
  EXPECT_TRUE(directorySource.requests.empty());
  EXPECT_TRUE(answerer.shown().empty());
  EXPECT_TRUE(picker->confirmedStation().isEmpty());
}

TEST_F(StationPickerTest, enterClicksTheFocusedButtonOrConfirms) {
  writeCaches();
  auto picker = openPicker();
  part<QListWidget>(*picker, "provinceList")->setCurrentRow(0);
  QWidget* refresh = part(*picker, "stationRefreshButton");
  refresh->setFocus();
  QTest::keyClick(refresh, Qt::Key_Return);
  EXPECT_EQ(directorySource.requests, std::vector<std::string>{"ABJ"});

  part<QListWidget>(*picker, "stationList")->setCurrentRow(0);
  QWidget* box = part(*picker, "stationSearchBox");
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(picker->result(), QDialog::Accepted);
  EXPECT_EQ(picker->confirmedStation(), QStringLiteral("54511"));
}

TEST_F(StationPickerTest, escClosesLikeCancel) {
  writeCaches();
  auto picker = openPicker();
  part<QListWidget>(*picker, "stationList")->setCurrentRow(1);
  QTest::keyClick(part(*picker, "stationList"), Qt::Key_Escape);
  EXPECT_FALSE(picker->isVisible());
  EXPECT_EQ(picker->result(), QDialog::Rejected);
  EXPECT_TRUE(picker->confirmedStation().isEmpty());
}

TEST_F(StationPickerTest, mainWindowButton_confirmSetsTheFieldAndWritesBothCaches) {
  auto* button = child<QPushButton>(kChooseButton);
  bool disabledWhileOpen = false;
  whenPickerOpens([&](StationPicker& picker) {
    disabledWhileOpen = !button->isEnabled();
    QTest::mouseClick(part(picker, "provinceRefreshButton"), Qt::LeftButton);
    part<QListWidget>(picker, "provinceList")->setCurrentRow(1);
    QTest::mouseClick(part(picker, "stationRefreshButton"), Qt::LeftButton);
    part<QListWidget>(picker, "stationList")->setCurrentRow(2);
    QTest::mouseClick(part(picker, "confirmButton"), Qt::LeftButton);
  });
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_TRUE(disabledWhileOpen);
  EXPECT_TRUE(button->isEnabled());
  EXPECT_EQ(child<QLineEdit>(QStringLiteral("编辑框1"))->text(), QStringLiteral("57679"));
  EXPECT_EQ(readBytes(cacheFolder / kProvinceCacheName), kTwoProvinces);
  EXPECT_EQ(readBytes(cacheFolder / kStationCacheName), kHunanStations);
  EXPECT_TRUE(source.requests.empty()) << "confirming does not fetch";

  // The next opening shows the lists of that confirmation, without a request.
  directorySource.requests.clear();
  QStringList shown;
  whenPickerOpens([&](StationPicker& picker) {
    shown = itemsOf(part<QListWidget>(picker, "stationList"));
    QTest::mouseClick(part(picker, "cancelButton"), Qt::LeftButton);
  });
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(shown, kHunanItems);
  EXPECT_TRUE(directorySource.requests.empty());
}

TEST_F(StationPickerTest, mainWindowButton_cancelAfterRefreshWritesNothing) {
  writeCaches();
  directorySource.stationAnswers["AHN"] = kBeijingStations;  // the service has moved on
  whenPickerOpens([&](StationPicker& picker) {
    QTest::mouseClick(part(picker, "provinceRefreshButton"), Qt::LeftButton);
    part<QListWidget>(picker, "provinceList")->setCurrentRow(1);
    QTest::mouseClick(part(picker, "stationRefreshButton"), Qt::LeftButton);
    part<QListWidget>(picker, "stationList")->setCurrentRow(0);
    QTest::mouseClick(part(picker, "cancelButton"), Qt::LeftButton);
  });
  QTest::mouseClick(child(kChooseButton), Qt::LeftButton);
  EXPECT_EQ(child<QLineEdit>(QStringLiteral("编辑框1"))->text(), QStringLiteral("58453"));
  EXPECT_EQ(readBytes(cacheFolder / kProvinceCacheName), kTwoProvinces);
  EXPECT_EQ(readBytes(cacheFolder / kStationCacheName), kHunanStations);
  EXPECT_EQ(testing::entryCount(cacheFolder.path()), 2);
}

}  // namespace
}  // namespace skyrill::test
