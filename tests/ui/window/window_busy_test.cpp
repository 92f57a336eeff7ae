// The window while a request waits, what it offers when, and how it reads
// under any desktop palette.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "archive/history_archive.h"
#include "tests/store/temp_folder.h"
#include "tests/support/dark_desktop.h"
#include "tests/support/wait_for.h"
#include "ui/busy_panel.h"
#include "ui/canvas.h"
#include "ui/thread_runner.h"
#include "window_fixture.h"

namespace skyrill::test {
namespace {

std::string dayWithTemperature(const char* temperature) {
  return std::string(R"({"date":"2019-07-05","wmo":"57083","res":[{"name":"郑州",)") +
         R"("time":"2019-07-05T00:00:00","T":)" + temperature +
         R"(,"WS0mMAX1h":5.6,"WS2m":2.1},{"time":"2019-07-05T01:00:00","T":1}]})";
}

// A service whose answer waits until the test gives it, or the run is
// cancelled.
class HeldSource : public AnswerSource {
 public:
  FetchedAnswer fetch(const QueryRequest&, CancelFlag* cancel) override {
    ++started_;
    cancel->setWaker([this] {
      const std::lock_guard lock(mutex_);
      given_.notify_all();
    });
    std::unique_lock lock(mutex_);
    given_.wait(lock, [&] { return answer_.has_value() || cancel->isCancelled(); });
    const std::string answer = answer_.value_or(std::string());
    answer_.reset();
    lock.unlock();
    cancel->clearWaker();
    if (cancel->isCancelled()) ++cancelled_;
    return {answer, {}};
  }

  void give(std::string answer) {
    const std::lock_guard lock(mutex_);
    answer_ = std::move(answer);
    given_.notify_all();
  }
  int started() const { return started_; }
  int cancelled() const { return cancelled_; }

 private:
  std::mutex mutex_;
  std::condition_variable given_;
  std::optional<std::string> answer_;
  std::atomic<int> started_ = 0;
  std::atomic<int> cancelled_ = 0;
};

// A main window whose requests run on threads, as in the program.
class BusyWindowTest : public ::testing::Test {
 protected:
  BusyWindowTest()
      : window([] { return QDate(2024, 3, 7); }),
        archive(folder.path()),
        pipeline(window, &source, &archive, &runner) {
    window.setPipeline(&pipeline);
    pipeline.setClock(fetchClock);
    archive.setAutoSave(true);
    window.show();
  }

  QPushButton& fetchButton() { return *window.findChild<QPushButton*>(QStringLiteral("获取按钮")); }
  BusyPanel& busyPanel() { return *window.findChild<BusyPanel*>(); }
  QString title() { return window.findChild<QLabel*>(QStringLiteral("标签14"))->text(); }
  bool busy() const { return pipeline.state().busy; }
  bool waitForRunEnd() {
    return waitFor([this] { return !busy(); });
  }

  // Fetches a whole day: the source answers at once.
  void fetchDay(const std::string& answer) {
    fetchButton().click();
    ASSERT_TRUE(waitFor([this] { return source.started() > 0; }));
    source.give(answer);
    ASSERT_TRUE(waitForRunEnd());
  }

  int savedFiles() {
    int count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path())) {
      count += entry.is_regular_file() ? 1 : 0;
    }
    return count;
  }

  HeldSource source;
  testing::TempFolder folder;
  ThreadRunner runner;
  MainWindow window;
  HistoryArchive archive;
  QueryPipeline pipeline;
};

TEST_F(BusyWindowTest, WindowGoesOnWhileTheRequestWaits) {
  fetchButton().click();
  ASSERT_TRUE(waitFor([this] { return source.started() == 1; }));
  EXPECT_TRUE(busy());
  EXPECT_FALSE(fetchButton().isEnabled());

  // Timers fire and widgets repaint while the request waits.
  bool timerFired = false;
  QTimer::singleShot(10, [&] { timerFired = true; });
  EXPECT_TRUE(waitFor([&] { return timerFired; }));
  int paints = 0;
  struct PaintCounter : QObject {
    int* count;
    explicit PaintCounter(int* counter) : count(counter) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++*count;
      return false;
    }
  } counter(&paints);
  window.chartCanvas().installEventFilter(&counter);
  window.chartCanvas().update();
  EXPECT_TRUE(waitFor([&] { return paints > 0; }));
  window.chartCanvas().removeEventFilter(&counter);

  // A wait that lasts shows a busy cursor and the panel to cancel it.
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
  EXPECT_TRUE(waitFor([this] { return busyPanel().isVisible(); }));

  source.give(dayWithTemperature("23.4"));
  ASSERT_TRUE(waitForRunEnd());
  EXPECT_EQ(title(), QStringLiteral("历史天气\n2019-07-05\n郑州 57083"));
  EXPECT_TRUE(fetchButton().isEnabled());
  EXPECT_FALSE(busyPanel().isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(savedFiles(), 1);
}

// Esc and the panel's "取消" give up the run: nothing is shown or saved and
// the day on display stays.
TEST_F(BusyWindowTest, CancelKeepsTheDayOnDisplay) {
  const std::function<void()> cancelWays[] = {
      [this] {
        QApplication::setActiveWindow(&window);  // a window's keys work while it is active
        QTest::keyClick(&window, Qt::Key_Escape);
      },
      [this] {
        ASSERT_TRUE(waitFor([this] { return busyPanel().isVisible(); }));
        window.findChild<QPushButton*>(QStringLiteral("取消按钮"))->click();
      },
  };
  fetchDay(dayWithTemperature("23.4"));
  const QString shownTitle = title();
  const std::string shownText = pipeline.state().responseText;
  const std::string shownLabel = pipeline.state().sourceLabel;
  const int saved = savedFiles();

  for (const auto& cancel : cancelWays) {
    MessageAnswerer answerer;
    window.setRealtime(true);  // a today run that never comes
    const int started = source.started();
    fetchButton().click();
    ASSERT_TRUE(waitFor([&] { return source.started() == started + 1; }));
    cancel();
    EXPECT_FALSE(busy());
    EXPECT_TRUE(fetchButton().isEnabled());
    // Every run but the first, which was answered, ends cancelled.
    EXPECT_TRUE(waitFor([&] { return source.cancelled() == started; }));
    EXPECT_TRUE(answerer.shown().empty());
    EXPECT_EQ(title(), shownTitle);
    EXPECT_EQ(pipeline.state().responseText, shownText);
    EXPECT_EQ(pipeline.state().sourceLabel, shownLabel);
    EXPECT_EQ(savedFiles(), saved);
    EXPECT_FALSE(busyPanel().isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The day on display is a past day: a variant change still reads it so.
    window.setRealtime(false);
    window.findChild<QMenuBar*>()->actions().at(1)->menu()->actions().at(1)->trigger();
    EXPECT_EQ(title(), shownTitle);
  }
}

// A variant ticked while the request waits is the one the day is shown with.
TEST_F(BusyWindowTest, VariantChosenDuringTheRunShapesTheDay) {
  fetchButton().click();
  ASSERT_TRUE(waitFor([this] { return source.started() == 1; }));
  QMenu* wind = window.menuBar()->actions().at(1)->menu();
  wind->actions().at(1)->trigger();  // 上小时2分钟平均风
  source.give(dayWithTemperature("23.4"));
  ASSERT_TRUE(waitForRunEnd());
  EXPECT_EQ(window.menuBar()->actions().at(1)->text(), QStringLiteral("&W.上小时2分钟平均风"));
  EXPECT_TRUE(window.statusPanel(2, 1)->text().contains(QStringLiteral("2.1")))
      << window.statusPanel(2, 1)->text().toStdString();
}

// Closing the window gives up a waiting request at once.
TEST_F(BusyWindowTest, ClosingTheWindowCancelsTheRun) {
  bool closing = false;
  QObject::connect(&window, &MainWindow::closing, [&] { closing = true; });
  fetchButton().click();
  ASSERT_TRUE(waitFor([this] { return source.started() == 1; }));
  window.close();
  EXPECT_TRUE(closing);
  EXPECT_FALSE(busy());
  EXPECT_TRUE(waitFor([this] { return source.cancelled() == 1; }));
}

class WindowCommandTest : public WindowFixture {
 protected:
  WindowCommandTest() : archive(folder.path()), filedPipeline(window, &source, &archive) {
    window.setPipeline(&filedPipeline);
    filedPipeline.setClock(fetchClock);
  }

  QAction* item(const QString& caption) {
    for (QAction* action : window.findChildren<QAction*>()) {
      if (action->text() == caption) return action;
    }
    ADD_FAILURE() << "no menu item " << caption.toStdString();
    return nullptr;
  }
  void fetchWith(const std::string& answer) {
    source.answer = answer;
    window.findChild<QPushButton*>(QStringLiteral("获取按钮"))->click();
  }
  QLineEdit* readoutBox(int row) {
    return window.findChild<QLineEdit*>(QStringLiteral("编辑框%1").arg(2 + row));
  }
  // Puts the pointer over the chart at slot's hour, as the readout reads it.
  void pointAtSlot(int slot) {
    Canvas& canvas = window.chartCanvas();
    const QPoint local = canvas.contentsRect().topLeft() + QPoint(20 * slot, 100);
    QCursor::setPos(canvas.mapToGlobal(local));
  }

  testing::TempFolder folder;
  HistoryArchive archive;
  QueryPipeline filedPipeline;
};

// "保存" offers only a fetched answer that is still held.
TEST_F(WindowCommandTest, SaveIsEnabledOnlyWithAFetchedAnswer) {
  MessageAnswerer answerer;
  QAction* save = item(QStringLiteral("&S.保存"));
  EXPECT_FALSE(save->isEnabled());
  fetchWith(dayWithTemperature("23.4"));
  EXPECT_TRUE(save->isEnabled());
  item(QStringLiteral("整点瞬时风"))->trigger();  // a redisplay leaves no name to offer
  EXPECT_FALSE(save->isEnabled());
  fetchWith(dayWithTemperature("23.4"));
  EXPECT_TRUE(save->isEnabled());
  fetchWith("not json");  // the older day stays on display, its answer is gone
  EXPECT_FALSE(save->isEnabled());
  fetchWith(dayWithTemperature("23.4"));
  const std::filesystem::path file = folder.path() / "0_57083_0_20190705.json";
  std::ofstream(file) << dayWithTemperature("3");
  window.openDayFile(QString::fromStdString(file.string()));
  EXPECT_FALSE(save->isEnabled());
  EXPECT_EQ(answerer.shown().size(), 1u);
}

// The readout never shows an hour of another day than the one drawn.
TEST_F(WindowCommandTest, ReadoutFollowsTheDayOnDisplay) {
  window.show();
  fetchWith(dayWithTemperature("23.4"));
  pointAtSlot(1);
  window.onChartMouseMove(20, 100);
  EXPECT_EQ(readoutBox(1)->text(), QStringLiteral("23.4"));

  fetchWith(dayWithTemperature("-7.5"));  // the pointer is still over hour 1
  EXPECT_EQ(readoutBox(1)->text(), QStringLiteral("-7.5"));
  EXPECT_EQ(readoutBox(0)->text(), QStringLiteral("2019/07/05 08:00:00"));

  const std::filesystem::path file = folder.path() / "0_57083_0_20190705.json";
  std::ofstream(file) << dayWithTemperature("12");
  window.openDayFile(QString::fromStdString(file.string()));
  EXPECT_EQ(readoutBox(1)->text(), QStringLiteral("12"));

  QCursor::setPos(window.mapToGlobal(QPoint(-50, -50)));  // away from the chart
  item(QStringLiteral("上小时2分钟平均风"))->trigger();
  for (int row = 0; row < kReadoutCount; ++row) EXPECT_EQ(readoutBox(row)->text(), QString());
}

TEST_F(WindowCommandTest, QuitEndsTheDataMenuAndHelpFollowsTheMenus) {
  QMenu* data = window.menuBar()->actions().at(0)->menu();
  QAction* quit = data->actions().last();
  EXPECT_EQ(quit->text(), QStringLiteral("&Q.退出"));
  EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  EXPECT_EQ(window.menuBar()->actions().last()->text(), QStringLiteral("&H.帮助"));
  EXPECT_EQ(window.menuBar()->actions().last()->menu()->actions().at(0)->text(),
            QStringLiteral("&A.关于 Skyrill"));
  EXPECT_EQ(item(QStringLiteral("&T.显示表格"))->shortcut(), QKeySequence(Qt::Key_F1));

  window.setDataPlaces(QStringLiteral("/home/u/.config/skyrill/Stormbook.ini"),
                       QStringLiteral("/home/u/History"));
  ShownMessage about;
  QTimer::singleShot(20, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    about = {box->windowTitle(), box->text(), box->icon()};
    box->accept();
  });
  window.showAbout();
  EXPECT_EQ(about.title, QStringLiteral("关于 Skyrill"));
  for (const char* part : {"Skyrill " SKYRILL_VERSION, "Qt ", "libcurl ", "simdjson ",
                           "/home/u/.config/skyrill/Stormbook.ini", "/home/u/History"}) {
    EXPECT_TRUE(about.text.contains(QString::fromUtf8(part))) << part;
  }

  window.show();
  bool closing = false;
  QObject::connect(&window, &MainWindow::closing, [&] { closing = true; });
  quit->trigger();
  EXPECT_TRUE(closing);
}

// Under a dark desktop palette every element of the window still reads.
TEST(WindowTheme, EveryFixedGroundKeepsReadableText) {
  const DarkDesktop dark;
  {
    MainWindow window([] { return QDate(2024, 3, 7); });
    window.show();
    int checked = 0;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
      const bool text = qobject_cast<QLabel*>(widget) || qobject_cast<QLineEdit*>(widget) ||
                        qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget);
      if (!text || !widget->isEnabled()) continue;
      const QPalette& colours = widget->palette();
      const double ratio = contrast(colours.color(widget->foregroundRole()),
                                    colours.color(widget->backgroundRole()));
      EXPECT_GE(ratio, 4.5) << widget->objectName().toStdString() << " "
                            << widget->metaObject()->className();
      ++checked;
    }
    EXPECT_GT(checked, 30);
  }
}

}  // namespace
}  // namespace skyrill::test
