// The window that fetches many past days: a whole run against the sample
// service, the ways a run is stopped, the ranges it refuses, and its colours.
#include "ui/range_dialog.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include "date_typing.h"
#include "ui/date_field.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>

#include "archive/history_archive.h"
#include "faults.h"
#include "server_thread.h"
#include "tests/store/temp_folder.h"
#include "tests/support/dark_desktop.h"
#include "tests/support/wait_for.h"
#include "weather_routes.h"

namespace skyrill::test {
namespace {

using sample::Fault;
using testing::TempFolder;

// The sample service on a free port, counting the requests that reach it.
class SampleService {
 public:
  explicit SampleService(Fault fault = Fault::None) {
    sample::FaultConfig faults;
    faults.fault = fault;
    // Longer than any wait of a stopped run; the server waits for it at the end.
    faults.stall = std::chrono::seconds(3);
    server_.server().set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
      ++requests_;
      return httplib::Server::HandlerResponse::Unhandled;
    });
    sample::addWeatherRoutes(server_.server(), {}, false, faults);
    address_ = "http://127.0.0.1:" + std::to_string(server_.start("127.0.0.1", 0));
  }
  const std::string& address() const { return address_; }
  int requests() const { return requests_; }

 private:
  sample::ServerThread server_{std::make_unique<httplib::Server>()};
  std::string address_;
  std::atomic<int> requests_ = 0;
};

int regularFilesBelow(const std::filesystem::path& folder) {
  int count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    count += entry.is_regular_file() ? 1 : 0;
  }
  return count;
}

class RangeDialogTest : public ::testing::Test {
 protected:
  // A shown dialog over the service's days from `first` to `last`.
  std::unique_ptr<RangeDialog> openDialog(const SampleService& service, const QDate& first,
                                          const QDate& last,
                                          const QString& station = QStringLiteral("54511")) {
    RangeRequest settings;
    settings.apiKey = "demo";
    settings.server = service.address();
    settings.rate = 0;
    // Far beyond the service's stall: only a stop ends a stalled request.
    settings.limits.stallTimeout = std::chrono::seconds(60);
    settings.limits.totalTimeout = std::chrono::seconds(60);
    auto dialog = std::make_unique<RangeDialog>(settings, archive, station, nullptr, &owner);
    part<DateField>(*dialog, "firstDayEdit")->setDate(first);
    part<DateField>(*dialog, "lastDayEdit")->setDate(last);
    dialog->show();
    return dialog;
  }

  template <typename Widget = QWidget>
  static Widget* part(const RangeDialog& dialog, const char* name) {
    auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  static QString text(const RangeDialog& dialog, const char* name) {
    if (auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name))) return label->text();
    return part<QPlainTextEdit>(dialog, name)->toPlainText();
  }

  TempFolder folder;
  HistoryArchive archive = HistoryArchive::inFolder(folder.path());
  QWidget owner;
};

TEST_F(RangeDialogTest, CompleteRunShowsWhatWasFetchedAndOpensTheLastDay) {
  SampleService service;
  ASSERT_TRUE(archive.save("2024", "0_54511_0_20240102.json", "kept"));
  auto dialog = openDialog(service, QDate(2024, 1, 1), QDate(2024, 1, 3));

  QTest::mouseClick(part(*dialog, "startButton"), Qt::LeftButton);
  ASSERT_TRUE(waitFor([&] { return !dialog->running(); }));
  dialog->grab().save(QStringLiteral("/tmp/range-dialog-done.png"));

  EXPECT_EQ(text(*dialog, "countsLabel"),
            QStringLiteral("已下载 2，已有 1，被拒 0，失败 0（共 3 天）"));
  EXPECT_EQ(part<QProgressBar>(*dialog, "progressBar")->value(), 3);
  EXPECT_EQ(part<QProgressBar>(*dialog, "progressBar")->maximum(), 3);
  EXPECT_EQ(text(*dialog, "summaryText"),
            QStringLiteral("完成：已下载 2 天，已有 1 天，被拒 0 天，失败 0 天。"));
  EXPECT_EQ(service.requests(), 2);
  for (int date : {20240101, 20240102, 20240103}) {
    EXPECT_TRUE(archive.holdsPastDay("54511", date, false)) << date;
  }
  // Nothing is left to cancel once the run is over.
  EXPECT_EQ(part<QPushButton>(*dialog, "cancelButton")->text(), QStringLiteral("关闭"));

  QSignalSpy opened(dialog.get(), &RangeDialog::openDayRequested);
  QTest::mouseClick(part(*dialog, "openLastDayButton"), Qt::LeftButton);
  ASSERT_EQ(opened.count(), 1);
  EXPECT_EQ(opened.at(0).at(0).toString().toStdString(),
            archive.pastDayFile("54511", 20240103, false).string());
  EXPECT_FALSE(dialog->isVisible());
}

// Days typed whole are the days run over, whatever they replace; a typed
// text that is no date stops the start with its reason, and runs nothing.
TEST_F(RangeDialogTest, TypedDaysAreTakenWhole) {
  SampleService service;
  auto dialog = openDialog(service, QDate(2023, 6, 1), QDate(2023, 6, 7));
  auto* first = part<DateField>(*dialog, "firstDayEdit");
  auto* last = part<DateField>(*dialog, "lastDayEdit");
  typeDate(*first, QStringLiteral("2024/1/30"));
  last->editor().setFocus();
  last->editor().selectAll();
  QTest::keyClicks(&last->editor(), QStringLiteral("2024-02-30"));
  QTest::mouseClick(part(*dialog, "startButton"), Qt::LeftButton);
  EXPECT_FALSE(dialog->running());
  EXPECT_TRUE(text(*dialog, "problemLabel").startsWith(QStringLiteral("日期无效")))
      << text(*dialog, "problemLabel").toStdString();
  EXPECT_EQ(dialog->focusWidget(), &last->editor());

  typeDate(*last, QStringLiteral("20240201"));
  EXPECT_EQ(first->date(), QDate(2024, 1, 30));
  EXPECT_EQ(last->date(), QDate(2024, 2, 1));
  QTest::mouseClick(part(*dialog, "startButton"), Qt::LeftButton);
  EXPECT_FALSE(part(*dialog, "problemLabel")->isVisible());
  EXPECT_EQ(part<QPushButton>(*dialog, "cancelButton")->text(), QStringLiteral("取消"));
  ASSERT_TRUE(waitFor([&] { return !dialog->running(); }));
  EXPECT_EQ(service.requests(), 3);
  for (int date : {20240130, 20240131, 20240201}) {
    EXPECT_TRUE(archive.holdsPastDay("54511", date, false)) << date;
  }
}

// Refused days are listed with what went wrong, and are not saved.
TEST_F(RangeDialogTest, RefusedDaysAreListedWithTheirCause) {
  SampleService service;
  auto dialog = openDialog(service, QDate(2024, 1, 1), QDate(2024, 1, 2), QStringLiteral("05845"));
  QTest::mouseClick(part(*dialog, "startButton"), Qt::LeftButton);
  ASSERT_TRUE(waitFor([&] { return !dialog->running(); }));

  EXPECT_EQ(text(*dialog, "countsLabel"),
            QStringLiteral("已下载 0，已有 0，被拒 2，失败 0（共 2 天）"));
  const QStringList lines = text(*dialog, "summaryText").split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 4) << text(*dialog, "summaryText").toStdString();
  EXPECT_EQ(lines[1], QStringLiteral("被拒或失败的日子："));
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral("05845 2024/01/01 被拒：站点不存在")))
      << lines[2].toStdString();
  EXPECT_FALSE(part(*dialog, "openLastDayButton")->isEnabled());
  EXPECT_EQ(regularFilesBelow(folder.path()), 0);
}

// Cancel stops a run and keeps the dialog with what was done; any close of
// the dialog stops it the same way. Either way the run ends at once, even
// with every request stalled, and nothing is written.
TEST_F(RangeDialogTest, CancelAndClosingStopTheRunAtOnce) {
  SampleService service(Fault::StallBeforeHeaders);
  const struct {
    const char* how;
    std::function<void(RangeDialog&)> stop;
    bool staysOpen;
  } cases[] = {
      {"取消",
       [](RangeDialog& dialog) { QTest::mouseClick(part(dialog, "cancelButton"), Qt::LeftButton); },
       true},
      {"close box", [](RangeDialog& dialog) { dialog.close(); }, false},
      {"Esc", [](RangeDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    const int requestsBefore = service.requests();
    auto dialog = openDialog(service, QDate(2024, 1, 1), QDate(2024, 1, 30));
    QTest::mouseClick(part(*dialog, "startButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return service.requests() > requestsBefore; }));

    // The owner goes on while the run waits; the inputs wait for its end.
    EXPECT_TRUE(dialog->running());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(part(*dialog, "startButton")->isEnabled());
    EXPECT_FALSE(part(*dialog, "stationField")->isEnabled());
    EXPECT_EQ(text(*dialog, "countsLabel"),
              QStringLiteral("已下载 0，已有 0，被拒 0，失败 0（共 30 天）"));
    dialog->grab().save(QStringLiteral("/tmp/range-dialog-running.png"));

    c.stop(*dialog);
    ASSERT_TRUE(waitFor([&] { return !dialog->running(); }));
    EXPECT_EQ(dialog->isVisible(), c.staysOpen);
    EXPECT_TRUE(
        text(*dialog, "summaryText").startsWith(QStringLiteral("已停止：30 天中完成了 0 天")))
        << text(*dialog, "summaryText").toStdString();
    EXPECT_TRUE(part(*dialog, "startButton")->isEnabled());
    EXPECT_EQ(regularFilesBelow(folder.path()), 0);
    if (c.staysOpen) dialog->grab().save(QStringLiteral("/tmp/range-dialog-stopped.png"));
  }
}

// A range the service cannot be asked for is refused with its reason before
// any request; the next start that can go clears the reason.
TEST_F(RangeDialogTest, RefusesWhatCannotBeFetchedBeforeAnyRequest) {
  SampleService service;
  const struct {
    QString station;
    QDate first;
    QDate last;
    QString problem;
  } cases[] = {
      {QStringLiteral("54511"), QDate(2003, 12, 31), QDate(2024, 1, 1),
       QStringLiteral("日期范围不能超过 20 年。")},
      {QStringLiteral("54511"), QDate(2024, 1, 3), QDate(2024, 1, 1),
       QStringLiteral("末日不能早于首日。")},
      {QString(), QDate(2024, 1, 1), QDate(2024, 1, 1), QStringLiteral("请输入气象站号。")},
      {QStringLiteral("5-4"), QDate(2024, 1, 1), QDate(2024, 1, 1),
       QStringLiteral("气象站号应为 1 到 5 位字母或数字。")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.problem.toStdString());
    auto dialog = openDialog(service, c.first, c.last, c.station);
    QTest::mouseClick(part(*dialog, "startButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog->running());
    EXPECT_TRUE(part(*dialog, "problemLabel")->isVisible());
    EXPECT_EQ(text(*dialog, "problemLabel"), c.problem);
    if (c.first.year() == 2003)
      dialog->grab().save(QStringLiteral("/tmp/range-dialog-refused.png"));

    // Mended, the range goes, and the reason goes away.
    part<QLineEdit>(*dialog, "stationField")->setText(QStringLiteral("54511"));
    part<DateField>(*dialog, "firstDayEdit")->setDate(QDate(2024, 1, 1));
    part<DateField>(*dialog, "lastDayEdit")->setDate(QDate(2024, 1, 1));
    QTest::mouseClick(part(*dialog, "startButton"), Qt::LeftButton);
    EXPECT_FALSE(part(*dialog, "problemLabel")->isVisible());
    ASSERT_TRUE(waitFor([&] { return !dialog->running(); }));
  }
  // Only the mended ranges asked: one day, then held.
  EXPECT_EQ(service.requests(), 1);
}

// Under a dark desktop palette every text of the dialog still reads.
TEST_F(RangeDialogTest, ReadsWellUnderADarkDesktop) {
  const DarkDesktop dark;
  SampleService service;
  auto dialog = openDialog(service, QDate(2024, 1, 2), QDate(2024, 1, 1));
  QTest::mouseClick(part(*dialog, "startButton"), Qt::LeftButton);  // shows the problem
  part<QPlainTextEdit>(*dialog, "summaryText")->setPlainText(QStringLiteral("完成"));
  dialog->grab().save(QStringLiteral("/tmp/range-dialog-dark.png"));
  struct Pair {
    const char* name;
    QPalette::ColorRole text;
    QPalette::ColorRole ground;
  } pairs[] = {
      {"stationField", QPalette::Text, QPalette::Base},
      {"firstDayEdit", QPalette::Text, QPalette::Base},
      {"lastDayEdit", QPalette::Text, QPalette::Base},
      {"pickStationButton", QPalette::ButtonText, QPalette::Button},
      {"problemLabel", QPalette::WindowText, QPalette::Window},
      {"countsLabel", QPalette::WindowText, QPalette::Window},
      {"progressBar", QPalette::Text, QPalette::Base},
      {"progressBar", QPalette::HighlightedText, QPalette::Highlight},
      {"summaryText", QPalette::Text, QPalette::Base},
      {"startButton", QPalette::ButtonText, QPalette::Button},
      {"cancelButton", QPalette::ButtonText, QPalette::Button},
      {"openLastDayButton", QPalette::ButtonText, QPalette::Button},
  };
  for (const Pair& pair : pairs) {
    const QPalette colours = part(*dialog, pair.name)->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      EXPECT_GE(contrast(colours.color(group, pair.text), colours.color(group, pair.ground)), 4.5)
          << pair.name << " roles " << pair.text << " on " << pair.ground << " group " << group;
    }
  }
}

}  // namespace
}  // namespace skyrill::test
