#pragma once

#include <QLineEdit>
#include <QTest>

#include "ui/date_field.h"

namespace skyrill::test {

// Types the text over the field's old one, as the user does, and ends it
// with Enter.
inline void typeDate(DateField& field, const QString& text) {
  QLineEdit& editor = field.editor();
  editor.setFocus();
  QTest::keyClick(&editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&editor, Qt::Key_Backspace);
  QTest::keyClicks(&editor, text);
  QTest::keyClick(&editor, Qt::Key_Return);
}

}  // namespace skyrill::test
