#pragma once

#include "ui/sunken_line_edit.h"

namespace skyrill {

// The station number field. Typing stops at a length limit, but a longer
// number set by code is kept whole; getting the focus selects all the text
// so that typing replaces the old number.
class StationField : public SunkenLineEdit {
  Q_OBJECT

 public:
  explicit StationField(int typedLimit, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  // Characters that may still be typed in place of the selection.
  qsizetype room() const;
  // Length of the text after `inserted` replaces the selection.
  qsizetype lengthAfterTyping(const QString& inserted) const;

  int typedLimit_;
};

}  // namespace skyrill
