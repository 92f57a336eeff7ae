#include "ui/busy_panel.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace skyrill {

BusyPanel::BusyPanel(const QString& text, QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("忙碌提示"));
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setAutoFillBackground(true);

  auto* label = new QLabel(text, this);
  label->setAlignment(Qt::AlignCenter);
  auto* bar = new QProgressBar(this);
  bar->setRange(0, 0);  // no end known: the bar moves to and fro
  bar->setTextVisible(false);
  cancelButton_ = new QPushButton(QStringLiteral("取消"), this);
  cancelButton_->setObjectName(QStringLiteral("取消按钮"));
  cancelButton_->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(bar);
  layout->addWidget(cancelButton_, 0, Qt::AlignHCenter);
  connect(cancelButton_, &QPushButton::clicked, this, &BusyPanel::cancelRequested);

  showTimer_.setSingleShot(true);
  showTimer_.setInterval(kShowDelayMs);
  connect(&showTimer_, &QTimer::timeout, this, [this] {
    show();
    raise();
  });
  hide();
}

void BusyPanel::setWaiting(bool waiting) {
  if (waiting) {
    showTimer_.start();
    return;
  }
  showTimer_.stop();
  hide();
}

}  // namespace skyrill
