#include "ui/station_picker.h"

#include <algorithm>
#include <cmath>

#include "station_picker_fixture.h"
#include "tests/support/dark_desktop.h"

namespace skyrill::test {
namespace {

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
      {"allStationsButton", {272, 24, 80, 32}, QStringLiteral("&A.全部下载")},
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
                         "confirmButton",         "cancelButton",      "allStationsButton",
                         "provinceRefreshButton"};
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
      {QStringLiteral("5777"), 3},    // the first digits of a number find it too
      {QStringLiteral("湖南"), 3},    // the province begins no item: the selection stays
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
    auto* provinces = part<QListWidget>(picker, "provinceList");
    auto* stations = part<QListWidget>(picker, "stationList");
    QTest::mouseClick(part(picker, "provinceRefreshButton"), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return provinces->count() == 2; }));
    provinces->setCurrentRow(1);
    QTest::mouseClick(part(picker, "stationRefreshButton"), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return stations->count() == 4; }));
    stations->setCurrentRow(2);
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
    auto* provinces = part<QListWidget>(picker, "provinceList");
    auto* stations = part<QListWidget>(picker, "stationList");
    QTest::mouseClick(part(picker, "provinceRefreshButton"), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return stations->count() == 0; }));
    provinces->setCurrentRow(1);
    QTest::mouseClick(part(picker, "stationRefreshButton"), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return stations->count() == 2; }));
    stations->setCurrentRow(0);
    QTest::mouseClick(part(picker, "cancelButton"), Qt::LeftButton);
  });
  QTest::mouseClick(child(kChooseButton), Qt::LeftButton);
  EXPECT_EQ(child<QLineEdit>(QStringLiteral("编辑框1"))->text(), QStringLiteral("58453"));
  EXPECT_EQ(readBytes(cacheFolder / kProvinceCacheName), kTwoProvinces);
  EXPECT_EQ(readBytes(cacheFolder / kStationCacheName), kHunanStations);
  // Besides them only the downloaded list of the province, kept for searches.
  EXPECT_EQ(testing::entryCount(cacheFolder.path()), 3);
  EXPECT_EQ(readBytes(cacheFolder / kStationListFolderName / "AHN"), kBeijingStations);
}

TEST_F(StationPickerTest, readsWellUnderADarkDesktopTheme) {
  const DarkDesktop dark;
  writeCaches();
  auto picker = openPicker();
  auto* box = part<SearchBox>(*picker, "stationSearchBox");
  box->setFocus();
  commitText(box, QStringLiteral("广州"));  // typing, and nothing found
  part<QListWidget>(*picker, "stationList")->setCurrentRow(1);
  struct Pair {
    const char* name;
    QPalette::ColorRole text;
    QPalette::ColorRole ground;
  } pairs[] = {
      {"provinceLabel", QPalette::WindowText, QPalette::Window},
      {"stationLabel", QPalette::WindowText, QPalette::Window},
      {"provinceList", QPalette::Text, QPalette::Base},
      {"stationList", QPalette::Text, QPalette::Base},
      {"stationList", QPalette::HighlightedText, QPalette::Highlight},
      {"provinceRefreshButton", QPalette::ButtonText, QPalette::Button},
      {"stationRefreshButton", QPalette::ButtonText, QPalette::Button},
      {"cancelButton", QPalette::ButtonText, QPalette::Button},
      {"confirmButton", QPalette::ButtonText, QPalette::Button},
      {"stationSearchBox", QPalette::Text, QPalette::Base},
  };
  for (const Pair& pair : pairs) {
    const QPalette colours = part(*picker, pair.name)->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      EXPECT_GE(contrast(colours.color(group, pair.text), colours.color(group, pair.ground)), 4.5)
          << pair.name << " roles " << pair.text << " on " << pair.ground << " group " << group;
    }
  }
  // The search box keeps its own colours, the note reads on its white.
  EXPECT_EQ(box->palette().color(QPalette::Text), QColor(Qt::black));
  EXPECT_EQ(box->palette().color(QPalette::Base), QColor(Qt::white));
  auto* note = box->findChild<QLabel*>(QStringLiteral("notFoundNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_GE(contrast(note->palette().color(note->foregroundRole()), Qt::white), 4.5);
  EXPECT_NE(note->palette().color(note->foregroundRole()), box->palette().color(QPalette::Text))
      << "told apart from the typing";
  EXPECT_EQ(picker->palette().color(QPalette::Window), QColor(0xECECEC));
}

TEST_F(StationPickerTest, itemsTooWideForTheList_showTheirWholeTextAsATooltip) {
  writeBytes(cacheFolder / kProvinceCacheName,
             R"([{"code":"ABJ","name":"北京市"},)"
             R"({"code":"AXJ","name":"新疆维吾尔自治区生产建设兵团第十四师"}])");
  writeBytes(cacheFolder / kStationCacheName,
             R"([{"code":"51","province":"X","city":"A"},)"
             R"({"code":"53480","province":"内蒙古自治区","city":"察哈尔右翼后旗"}])");
  auto picker = openPicker();
  struct Item {
    const char* list;
    int row;
    bool tooWide;
  } items[] = {
      {"provinceList", 0, false},
      {"provinceList", 1, true},
      {"stationList", 0, false},
      {"stationList", 1, true},
  };
  for (const Item& item : items) {
    const QListWidgetItem* shown = part<QListWidget>(*picker, item.list)->item(item.row);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->toolTip(), item.tooWide ? shown->text() : QString())
        << item.list << " " << item.row;
  }
}

}  // namespace
}  // namespace skyrill::test
