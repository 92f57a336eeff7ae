#pragma once

#include <QFrame>
#include <QTimer>

class QPushButton;

namespace skyrill {

// What the window shows while a request runs: a line saying so, a moving
// bar and a "取消" button. It comes up only when the wait lasts, so that a
// quick answer does not flash it.
class BusyPanel : public QFrame {
  Q_OBJECT

 public:
  // How long a wait lasts before the panel shows.
  static constexpr int kShowDelayMs = 300;

  BusyPanel(const QString& text, QWidget* parent);

  // Shows the panel after the delay; hides it at once when the wait ends.
  void setWaiting(bool waiting);

 signals:
  void cancelRequested();

 private:
  QTimer showTimer_;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace skyrill
