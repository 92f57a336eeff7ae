#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

namespace skyrill::test {

// Answers the modal windows that open, one queued action each, in order;
// an action gets the modal window it is to answer.
class ModalAnswerer {
 public:
  using Action = std::function<void(QWidget*)>;

  ModalAnswerer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { answerOpenModal(); });
    timer_.start(5);
  }

  ModalAnswerer& then(Action action) {
    actions_.push_back(std::move(action));
    return *this;
  }
  // Actions not used yet: a modal window the test expected never opened.
  std::size_t pending() const { return actions_.size(); }

 private:
  void answerOpenModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal->property(kAnswered).toBool() || actions_.empty()) return;
    // A dialog that is shown again (the file dialog is kept) is new to answer.
    modal->setProperty(kAnswered, true);
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      QObject::connect(dialog, &QDialog::finished, dialog,
                       [dialog] { dialog->setProperty(kAnswered, false); });
    }
    Action action = std::move(actions_.front());
    actions_.pop_front();
    action(modal);
  }

  QTimer timer_;
  std::deque<Action> actions_;
  static constexpr const char* kAnswered = "answeredByTest";
};

}  // namespace skyrill::test
