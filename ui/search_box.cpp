#include "ui/search_box.h"

#include <QLabel>

namespace skyrill {
namespace {

const QColor kPlaceholderColour(128, 128, 128);
const QColor kTypingColour(Qt::black);
// Dark red: stands out from the black typing and reads well on white.
const QColor kNotFoundColour(0xB0, 0x00, 0x00);
// Room between the note and the box's frame.
constexpr int kNoteInset = 2;

}  // namespace

SearchBox::SearchBox(QString placeholder, QWidget* parent)
    : QLineEdit(parent), placeholder_(std::move(placeholder)) {
  setMaxLength(kMaxLength);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::white);
  setPalette(colours);
  notFound_ = makeNotFoundNote();
  setText(QString());
  leaveSearchBox();
}

QLabel* SearchBox::makeNotFoundNote() {
  auto* note = new QLabel(QStringLiteral("未找到"), this);
  note->setObjectName(QStringLiteral("notFoundNote"));
  QPalette colours = note->palette();
  colours.setColor(QPalette::WindowText, kNotFoundColour);
  note->setPalette(colours);
  // Inside the box it would take the box's text role.
  note->setForegroundRole(QPalette::WindowText);
  // Upright whatever the box shows; clicks go through to the box.
  QFont upright = note->font();
  upright.setItalic(false);
  note->setFont(upright);
  note->setAttribute(Qt::WA_TransparentForMouseEvents);
  note->setAlignment(Qt::AlignCenter);
  note->hide();
  return note;
}

bool SearchBox::showsPlaceholder() const {
  return palette().color(QPalette::Text) == kPlaceholderColour;
}

QString SearchBox::typedText() const {
  return showsPlaceholder() ? QString() : text();
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

void SearchBox::showNotFound(bool shown) {
  notFound_->setVisible(shown);
  // The typed text is centred in the room the note leaves.
  setTextMargins(0, 0, shown ? noteWidth() + kNoteInset : 0, 0);
}

bool SearchBox::showsNotFound() const {
  return !notFound_->isHidden();
}

void SearchBox::focusOutEvent(QFocusEvent* event) {
  leaveSearchBox();
  showNotFound(false);
  QLineEdit::focusOutEvent(event);
}

void SearchBox::resizeEvent(QResizeEvent* event) {
  notFound_->setGeometry(width() - noteWidth() - kNoteInset, kNoteInset, noteWidth(),
                         height() - 2 * kNoteInset);
  QLineEdit::resizeEvent(event);
}

int SearchBox::noteWidth() const {
  return notFound_->sizeHint().width() + 2 * kNoteInset;
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
