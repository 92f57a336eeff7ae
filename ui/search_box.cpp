#include "ui/search_box.h"

namespace skyrill {
namespace {

const QColor kPlaceholderColour(128, 128, 128);
const QColor kTypingColour(Qt::black);

}  // namespace

SearchBox::SearchBox(QString placeholder, QWidget* parent)
    : QLineEdit(parent), placeholder_(std::move(placeholder)) {
  setMaxLength(kMaxLength);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::white);
  setPalette(colours);
  setText(QString());
  leaveSearchBox();
}

bool SearchBox::showsPlaceholder() const {
  return palette().color(QPalette::Text) == kPlaceholderColour;
}

void SearchBox::enterSearchBox() {
  if (!showsPlaceholder()) return;
  // The grey colour goes last, so this change is still a placeholder change.
  setText(QString());
  setLook(kTypingColour, false, Qt::AlignHCenter | Qt::AlignVCenter);
}

void SearchBox::leaveSearchBox() {
  if (!text().isEmpty()) return;
  // Grey first: a placeholder text never counts as a search.
  setLook(kPlaceholderColour, true, Qt::AlignLeft | Qt::AlignVCenter);
  setText(placeholder_);
}

void SearchBox::resetSearchBox() {
  setText(QString());
  leaveSearchBox();
  // A box being typed in stays ready for typing rather than taking keys
  // into its grey placeholder.
  if (hasFocus()) enterSearchBox();
}

void SearchBox::focusInEvent(QFocusEvent* event) {
  enterSearchBox();
  QLineEdit::focusInEvent(event);
}

void SearchBox::focusOutEvent(QFocusEvent* event) {
  leaveSearchBox();
  QLineEdit::focusOutEvent(event);
}

void SearchBox::setLook(const QColor& colour, bool italic, Qt::Alignment alignment) {
  QPalette colours = palette();
  colours.setColor(QPalette::Text, colour);
  setPalette(colours);
  QFont look = font();
  look.setItalic(italic);
  setFont(look);
  setAlignment(alignment);
}

}  // namespace skyrill
