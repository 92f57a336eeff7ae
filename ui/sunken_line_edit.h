#pragma once

#include <QLineEdit>

namespace skyrill {

// An edit field with the classic two-pixel sunken border (dark above and to
// the left, light below and to the right) in place of the style's own frame.
class SunkenLineEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit SunkenLineEdit(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace skyrill
