// The picker's downloads run in the background: the window goes on, and
// what a download changes happens when it ends, unless it was cancelled.
#include <QCursor>

#include "station_picker_fixture.h"

namespace skyrill::test {
namespace {

// A picker with threads of its own over a service that holds every request
// until the test releases it.
class PickerDownloadTest : public StationPickerTest {
 protected:
  PickerDownloadTest() {
    heldSource.provinceAnswer = kTwoProvinces;
    heldSource.stationAnswers["AHN"] = kHunanStations;
    heldSource.stationAnswers["ABJ"] = kBeijingStations;
    writeCaches();
  }

  std::unique_ptr<StationPicker> openHeldPicker() { return openPicker(heldDirectory, nullptr); }

  // Clicks the button and waits until its request has reached the service.
  void startDownload(StationPicker& picker, const char* button) {
    QTest::mouseClick(part(picker, button), Qt::LeftButton);
    ASSERT_TRUE(eventually([this] { return heldSource.holding(); }));
  }

  static bool showsBusy(StationPicker& picker) {
    return picker.testAttribute(Qt::WA_SetCursor) && picker.cursor().shape() == Qt::BusyCursor;
  }
  static bool refreshEnabled(StationPicker& picker) {
    return part(picker, "provinceRefreshButton")->isEnabled() &&
           part(picker, "stationRefreshButton")->isEnabled();
  }

  HeldDirectorySource heldSource;
  StationDirectory heldDirectory{heldSource, cacheFolder.path()};
};

// Counts the paint events of a widget.
class PaintCounter : public QObject {
 public:
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

TEST_F(PickerDownloadTest, whileARequestWaits_thePickerGoesOnAndShowsItIsBusy) {
  auto picker = openHeldPicker();
  auto* provinces = part<QListWidget>(*picker, "provinceList");
  auto* stations = part<QListWidget>(*picker, "stationList");
  startDownload(*picker, "provinceRefreshButton");

  EXPECT_TRUE(showsBusy(*picker));
  EXPECT_FALSE(part(*picker, "provinceRefreshButton")->isEnabled());
  EXPECT_FALSE(part(*picker, "stationRefreshButton")->isEnabled());
  // The clicked button's focus goes to the button that now stops the
  // download, not on to the search box after it.
  EXPECT_EQ(QApplication::focusWidget(), part(*picker, "cancelButton"));
  PaintCounter painted;
  picker->installEventFilter(&painted);
  picker->update();
  EXPECT_TRUE(eventually([&] { return painted.count > 0; }));
  auto* box = part<SearchBox>(*picker, "stationSearchBox");
  box->setFocus();
  commitText(box, QStringLiteral("湘潭"));
  EXPECT_EQ(selectedRow(stations), 3);
  EXPECT_EQ(stations->count(), 4) << "the lists change only when the answer is in";

  heldSource.release();
  ASSERT_TRUE(eventually([&] { return stations->count() == 0; }));  // emptied with the provinces
  EXPECT_EQ(itemsOf(provinces), QStringList({QStringLiteral("北京市"), QStringLiteral("湖南省")}));
  EXPECT_FALSE(showsBusy(*picker));
  EXPECT_TRUE(refreshEnabled(*picker));
}

TEST_F(PickerDownloadTest, aBadAnswer_showsFailedWhenTheDownloadEnds) {
  heldSource.provinceAnswer.clear();
  MessageAnswerer answerer;
  auto picker = openHeldPicker();
  startDownload(*picker, "provinceRefreshButton");
  EXPECT_TRUE(answerer.shown().empty());

  heldSource.release();
  ASSERT_TRUE(eventually([&] { return answerer.shown().size() == 1; }));
  EXPECT_EQ(answerer.shown()[0].text, QStringLiteral("Failed"));
  EXPECT_EQ(part<QListWidget>(*picker, "provinceList")->count(), 0);
  EXPECT_TRUE(refreshEnabled(*picker));
}

TEST_F(PickerDownloadTest, escOrCancel_stopADownloadAndOnlyThenClose) {
  struct Way {
    const char* what;
    std::function<void(StationPicker&)> press;
  } ways[] = {
      {"Esc",
       [](StationPicker& picker) { QTest::keyClick(part(picker, "stationList"), Qt::Key_Escape); }},
      {"&C.取消",
       [](StationPicker& picker) {
         QTest::mouseClick(part(picker, "cancelButton"), Qt::LeftButton);
       }},
  };
  int cancelled = 0;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    MessageAnswerer answerer;
    auto picker = openHeldPicker();
    auto* stations = part<QListWidget>(*picker, "stationList");
    part<QListWidget>(*picker, "provinceList")->setCurrentRow(0);
    startDownload(*picker, "stationRefreshButton");

    way.press(*picker);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_FALSE(showsBusy(*picker));
    EXPECT_TRUE(refreshEnabled(*picker));
    ASSERT_TRUE(eventually([&] { return heldSource.cancelled() == cancelled + 1; }));
    ++cancelled;
    QTest::qWait(100);  // room for a late answer to arrive, were it not dropped
    EXPECT_EQ(itemsOf(stations), kHunanItems);
    EXPECT_EQ(heldDirectory.stations()[0].code, "57780");
    EXPECT_TRUE(answerer.shown().empty());

    way.press(*picker);
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(picker->result(), QDialog::Rejected);
  }
}

// Esc stops a download of every province where it is; the picker says how
// far it came and stays open.
TEST_F(PickerDownloadTest, escStopsTheDownloadOfEveryProvince) {
  auto picker = openHeldPicker();
  startDownload(*picker, "allStationsButton");
  auto* label = part<QLabel>(*picker, "allStationsLabel");
  EXPECT_EQ(label->text(), QStringLiteral("下载中：\n0/2 省"));
  EXPECT_FALSE(part(*picker, "allStationsButton")->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), part(*picker, "cancelButton"));

  QTest::keyClick(part(*picker, "stationList"), Qt::Key_Escape);
  EXPECT_TRUE(picker->isVisible());
  EXPECT_EQ(label->text(), QStringLiteral("已停止：\n0/2 省"));
  EXPECT_TRUE(part(*picker, "allStationsButton")->isEnabled());
  ASSERT_TRUE(eventually([&] { return heldSource.cancelled() == 1; }));
  heldSource.release();
  QTest::qWait(100);  // room for a next request, were the run not over
  EXPECT_EQ(heldSource.requests.size(), 0u);
}

TEST_F(PickerDownloadTest, theCloseBoxOrTheProgramsEnd_closeAtOnceDuringADownload) {
  {
    auto picker = openHeldPicker();
    startDownload(*picker, "provinceRefreshButton");
    picker->close();  // what the close box does
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(picker->result(), QDialog::Rejected);
    EXPECT_FALSE(heldDirectory.downloading());
    EXPECT_TRUE(eventually([this] { return heldSource.cancelled() == 1; }));
  }
  {
    auto picker = openHeldPicker();
    startDownload(*picker, "provinceRefreshButton");
    picker.reset();  // returns once its thread has ended
    EXPECT_EQ(heldSource.cancelled(), 2);
    EXPECT_FALSE(heldDirectory.downloading());
  }
  EXPECT_EQ(readBytes(cacheFolder / kProvinceCacheName), kTwoProvinces);
}

}  // namespace
}  // namespace skyrill::test
