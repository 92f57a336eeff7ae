#pragma once

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <chrono>
#include <string>
#include <vector>

#include "core/query_pipeline.h"
#include "tests/support/fake_answer_source.h"
#include "ui/main_window.h"

namespace skyrill::test {

// What a message box showed before it was answered.
struct ShownMessage {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers every message box that opens with OK, noting what it showed.
class MessageAnswerer {
 public:
  MessageAnswerer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { answerOpenBox(); });
    timer_.start(5);
  }
  const std::vector<ShownMessage>& shown() const { return shown_; }

 private:
  void answerOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    shown_.push_back({box->windowTitle(), box->text(), box->icon()});
    box->button(QMessageBox::Ok)->click();
  }

  QTimer timer_;
  std::vector<ShownMessage> shown_;
};

// 2019-07-05 12:00:00 UTC: the fetch time of every run.
inline std::chrono::system_clock::time_point fetchClock() {
  return std::chrono::system_clock::from_time_t(1562328000);
}

// A main window driven by a pipeline over a fake source, on 2024-03-07.
class WindowFixture : public ::testing::Test {
 protected:
  WindowFixture() : window([] { return QDate(2024, 3, 7); }), pipeline(window, &source, nullptr) {
    window.setPipeline(&pipeline);
    pipeline.setClock(fetchClock);
  }

  template <typename Widget = QWidget>
  Widget* child(const QString& name) {
    auto* widget = window.findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }

  FakeSource source;
  MainWindow window;
  QueryPipeline pipeline;
};

}  // namespace skyrill::test
