#include "ui/station_field.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>

namespace skyrill {

namespace {

bool isTypedText(const QKeyEvent& event) {
  const QString text = event.text();
  return !text.isEmpty() && text.at(0).isPrint() &&
         !(event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
}

}  // namespace

StationField::StationField(int typedLimit, QWidget* parent)
    : SunkenLineEdit(parent), typedLimit_(typedLimit) {}

qsizetype StationField::room() const {
  return std::max<qsizetype>(typedLimit_ - (text().size() - selectedText().size()), 0);
}

qsizetype StationField::lengthAfterTyping(const QString& inserted) const {
  return text().size() - selectedText().size() + inserted.size();
}

void StationField::keyPressEvent(QKeyEvent* event) {
  if (isTypedText(*event)) {
    const qsizetype length = lengthAfterTyping(event->text());
    if (length > typedLimit_ && length > text().size()) {
      event->accept();  // refused, like a full field on the platform we copy
      return;
    }
  } else if (event->matches(QKeySequence::Paste)) {
    // Pasting fills the field up to the limit and drops the rest.
    insert(QGuiApplication::clipboard()->text().left(room()));
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void StationField::inputMethodEvent(QInputMethodEvent* event) {
  // Text committed by an input method (digits typed with an IME on) obeys the
  // same limit as typed keys.
  if (event->commitString().size() <= room()) {
    QLineEdit::inputMethodEvent(event);
    return;
  }
  QInputMethodEvent trimmed(event->preeditString(), event->attributes());
  trimmed.setCommitString(event->commitString().left(room()), event->replacementStart(),
                          event->replacementLength());
  QLineEdit::inputMethodEvent(&trimmed);
}

void StationField::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // Deferred so that the click that brought the focus cannot undo it.
  QTimer::singleShot(0, this, &QLineEdit::selectAll);
}

}  // namespace skyrill
