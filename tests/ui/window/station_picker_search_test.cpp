// The station box finds a station by its city or the first digits of its
// number, on screen or in any province whose stations are held; a search
// that finds nothing says so beside its box.
#include "station_picker_fixture.h"

namespace skyrill::test {
namespace {

// Forty stations of Beijing, "京站0 54400" to "京站39 54439".
std::string manyBeijingStations() {
  std::string answer = "[";
  for (int i = 0; i < 40; ++i) {
    answer += R"({"code":")" + std::to_string(54400 + i) + R"(","province":"北京市","city":"京站)" +
              std::to_string(i) + R"("},)";
  }
  answer.back() = ']';
  return answer;
}

// Hunan's stations confirmed, Beijing's downloaded at some earlier time.
class PickerSearchTest : public StationPickerTest {
 protected:
  PickerSearchTest() {
    writeCaches();
    std::filesystem::create_directory(cacheFolder / kStationListFolderName);
    writeBytes(cacheFolder / kStationListFolderName / "ABJ", beijing);
  }

  const std::string beijing = manyBeijingStations();
};

TEST_F(PickerSearchTest, aStationOfAnotherProvince_showsItsProvinceAndItsList) {
  auto picker = openPicker();
  auto* provinces = part<QListWidget>(*picker, "provinceList");
  auto* stations = part<QListWidget>(*picker, "stationList");
  auto* box = part<SearchBox>(*picker, "stationSearchBox");
  box->setFocus();
  commitText(box, QStringLiteral("54435"));

  EXPECT_EQ(selectedRow(provinces), 0);
  ASSERT_EQ(stations->count(), 40);
  EXPECT_EQ(stations->item(0)->text(), QStringLiteral("京站0 54400（北京市）"));
  EXPECT_EQ(selectedRow(stations), 35);
  const QRect found = stations->visualItemRect(stations->item(35));
  EXPECT_GE(found.top(), 0);  // scrolled into view; a long item is cut at the right
  EXPECT_LE(found.bottom(), stations->viewport()->height());
  EXPECT_EQ(box->text(), QStringLiteral("54435")) << "the search goes on in the box";
  EXPECT_FALSE(box->showsPlaceholder());
  EXPECT_FALSE(box->showsNotFound());
  EXPECT_TRUE(directorySource.requests.empty());

  // Back to a city of the confirmed list, then confirm there.
  box->clear();
  commitText(box, QStringLiteral("长沙黄"));
  EXPECT_EQ(selectedRow(provinces), 1);
  EXPECT_EQ(itemsOf(stations), kHunanItems);
  EXPECT_EQ(selectedRow(stations), 2);
  QTest::mouseClick(part(*picker, "confirmButton"), Qt::LeftButton);
  EXPECT_EQ(picker->confirmedStation(), QStringLiteral("57679"));
}

TEST_F(PickerSearchTest, confirmingAFoundStation_writesItsProvincesList) {
  auto picker = openPicker();
  auto* box = part<SearchBox>(*picker, "stationSearchBox");
  box->setFocus();
  commitText(box, QStringLiteral("京站7"));
  QTest::mouseClick(part(*picker, "confirmButton"), Qt::LeftButton);
  EXPECT_EQ(picker->confirmedStation(), QStringLiteral("54407"));
  EXPECT_EQ(readBytes(cacheFolder / kStationCacheName), beijing);
  EXPECT_EQ(readBytes(cacheFolder / kProvinceCacheName), kTwoProvinces);
}

TEST_F(PickerSearchTest, nothingFound_isToldBesideTheBoxUntilEmptiedLeftOrFound) {
  auto picker = openPicker();
  auto* stations = part<QListWidget>(*picker, "stationList");
  auto* box = part<SearchBox>(*picker, "stationSearchBox");
  auto* note = box->findChild<QLabel*>(QStringLiteral("notFoundNote"));
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->text(), QStringLiteral("未找到"));
  EXPECT_FALSE(note->isVisible());
  stations->setCurrentRow(1);
  box->setFocus();

  struct Step {
    const char* what;
    std::function<void()> act;
    bool told;
  } steps[] = {
      {"typed 广州", [&] { commitText(box, QStringLiteral("广州")); }, true},
      {"emptied", [&] { box->clear(); }, false},
      {"typed 广州 again", [&] { commitText(box, QStringLiteral("广州")); }, true},
      {"left", [&] { stations->setFocus(); }, false},
      {"back with 广州", [&] { box->setFocus(); }, false},
      {"typed more", [&] { commitText(box, QStringLiteral("市")); }, true},
      {"found",
       [&] {
         box->clear();
         commitText(box, QStringLiteral("湘"));
       },
       false},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(note->isVisible(), step.told) << step.what;
  }
  // The note sits over the right end of the box, clear of the frame.
  EXPECT_TRUE(box->rect().contains(note->geometry()));
  EXPECT_GT(note->geometry().left(), box->width() / 2);
  EXPECT_EQ(selectedRow(stations), 3);
}

TEST_F(PickerSearchTest, theProvinceBoxTellsNothingFoundToo) {
  auto picker = openPicker();
  auto* provinces = part<QListWidget>(*picker, "provinceList");
  auto* box = part<SearchBox>(*picker, "provinceSearchBox");
  box->setFocus();
  commitText(box, QStringLiteral("湖"));
  EXPECT_EQ(selectedRow(provinces), 1);
  EXPECT_FALSE(box->showsNotFound());
  commitText(box, QStringLiteral("北"));  // "湖北" begins no province
  EXPECT_EQ(selectedRow(provinces), 1);
  EXPECT_TRUE(box->showsNotFound());
}

// "全部下载" fetches every province's stations, after which a search by
// pinyin, typed as on a Latin keyboard, reaches a province never opened.
TEST_F(StationPickerTest, allStationsThenAPinyinSearchFindsAnyStation) {
  writeCaches();
  auto picker = openPicker();
  auto* provinces = part<QListWidget>(*picker, "provinceList");
  auto* stations = part<QListWidget>(*picker, "stationList");
  auto* box = part<SearchBox>(*picker, "stationSearchBox");
  box->setFocus();
  QTest::keyClicks(box, QStringLiteral("beij"));
  EXPECT_TRUE(box->showsNotFound()) << "Beijing's stations are not held yet";

  QTest::mouseClick(part(*picker, "allStationsButton"), Qt::LeftButton);
  EXPECT_EQ(directorySource.requests, (std::vector<std::string>{"ABJ", "AHN"}));
  EXPECT_EQ(part<QLabel>(*picker, "allStationsLabel")->text(), QStringLiteral("已下载：\n2/2 省"));
  EXPECT_EQ(itemsOf(stations), kHunanItems) << "the list on screen stays";

  box->clear();
  QTest::keyClicks(box, QStringLiteral("beij"));
  EXPECT_FALSE(box->showsNotFound());
  EXPECT_EQ(selectedRow(provinces), 0);
  EXPECT_EQ(stations->currentItem()->text(), QStringLiteral("北京 54511（北京市）"));

  box->clear();
  QTest::keyClicks(box, QStringLiteral("zz"));
  EXPECT_EQ(selectedRow(provinces), 1);
  EXPECT_EQ(stations->currentItem()->text(), QStringLiteral("株洲 57780（湖南省）"));
  box->clear();
  QTest::keyClicks(box, QStringLiteral("cshh"));
  EXPECT_EQ(stations->currentItem()->text(), QStringLiteral("长沙黄花 57679（湖南省）"));
}

}  // namespace
}  // namespace skyrill::test
