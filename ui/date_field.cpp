#include "ui/date_field.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include "core/calendar_date.h"
#include "ui/date_numbers.h"

namespace skyrill {
namespace {

const QColor kWrongRed(0xB0, 0x00, 0x00);
const QString kFormsHint = QStringLiteral("如 2024-01-31、2024/1/31 或 20240131");

bool opensCalendar(const QKeyEvent& key) {
  return key.key() == Qt::Key_F4 ||
         (key.key() == Qt::Key_Down && key.modifiers().testFlag(Qt::AltModifier));
}

}  // namespace

DateField::DateField(QWidget* parent) : QWidget(parent) {
  editor_ = new QLineEdit(this);
  editor_->setObjectName(QStringLiteral("dateText"));
  editor_->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
  editor_->setMinimumWidth(editor_->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) +
                           2 * editor_->fontMetrics().averageCharWidth() + 8);
  editor_->installEventFilter(this);
  calendarButton_ = new QToolButton(this);
  calendarButton_->setObjectName(QStringLiteral("calendarButton"));
  calendarButton_->setArrowType(Qt::DownArrow);
  calendarButton_->setToolTip(QStringLiteral("日历（Alt+↓）"));
  // The keyboard opens the calendar from the field: Tab need not stop here.
  calendarButton_->setFocusPolicy(Qt::NoFocus);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(editor_);
  row->addWidget(calendarButton_);
  setFocusProxy(editor_);
  setFocusPolicy(editor_->focusPolicy());

  connect(editor_, &QLineEdit::editingFinished, this, &DateField::takeTypedText);
  connect(editor_, &QLineEdit::textEdited, this, [this] { showMark({}); });
  connect(calendarButton_, &QToolButton::clicked, this, &DateField::showCalendar);
  showMark({});
}

// Going away with the focus, the field loses it once it is no DateField any
// more: what the editor says then must not reach it.
DateField::~DateField() {
  disconnect(editor_, nullptr, this, nullptr);
}

void DateField::setDate(const QDate& date) {
  if (!date.isValid() || !inRange(date)) return;
  showMark({});
  const QString text = QString::fromStdString(dateText(dateNumberOf(date)));
  if (editor_->text() != text) editor_->setText(text);
  if (date == date_) return;
  date_ = date;
  emit dateChanged(date_);
}

void DateField::setDateRange(const QDate& earliest, const QDate& latest) {
  earliest_ = earliest;
  latest_ = latest;
  if (calendar_) limitCalendar();
}

// The calendar offers the days of the range alone; an open end is its own.
void DateField::limitCalendar() {
  if (earliest_.isValid()) calendar_->setMinimumDate(earliest_);
  if (latest_.isValid()) calendar_->setMaximumDate(latest_);
}

bool DateField::holdsDate() const {
  const auto typed = readTypedDate(editor_->text().toStdString());
  return typed && date_.isValid() && *typed == dateNumberOf(date_);
}

void DateField::setFieldName(const QString& name) {
  editor_->setAccessibleName(name);
  calendarButton_->setAccessibleName(name + QStringLiteral("：日历"));
  if (calendar_) calendar_->setAccessibleName(name + QStringLiteral("：日历"));
}

void DateField::showCalendar() {
  if (!calendar_) {
    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QStringLiteral("calendar"));
    calendar_->setWindowFlags(Qt::Popup);
    calendar_->setAccessibleName(editor_->accessibleName() + QStringLiteral("：日历"));
    limitCalendar();
    // A click or Enter on a day takes it; Esc closes the calendar alone.
    connect(calendar_, &QCalendarWidget::activated, this, [this](const QDate& date) {
      calendar_->hide();
      setDate(date);
      editor_->setFocus();
    });
    connect(calendar_, &QCalendarWidget::clicked, calendar_, &QCalendarWidget::activated);
  }
  if (date_.isValid()) calendar_->setSelectedDate(date_);
  calendar_->adjustSize();
  calendar_->move(mapToGlobal(QPoint(0, height())));
  calendar_->show();
  calendar_->setFocus();
}

bool DateField::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editor_ && event->type() == QEvent::KeyPress &&
      opensCalendar(*static_cast<QKeyEvent*>(event))) {
    showCalendar();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void DateField::takeTypedText() {
  const auto typed = readTypedDate(editor_->text().toStdString());
  const QDate date = typed ? qDateOf(*typed) : QDate();
  if (!date.isValid()) {
    showMark(QStringLiteral("日期无效，") + kFormsHint);
  } else if (!inRange(date)) {
    showMark(rangeText());
  } else {
    setDate(date);
  }
}

QString DateField::rangeText() const {
  const auto text = [](const QDate& date) {
    return QString::fromStdString(dateText(dateNumberOf(date)));
  };
  if (earliest_.isValid() && latest_.isValid()) {
    return QStringLiteral("日期须在 %1 到 %2 之间").arg(text(earliest_), text(latest_));
  }
  if (latest_.isValid()) return QStringLiteral("日期不能晚于 %1").arg(text(latest_));
  return QStringLiteral("日期不能早于 %1").arg(text(earliest_));
}

bool DateField::inRange(const QDate& date) const {
  return (!earliest_.isValid() || date >= earliest_) && (!latest_.isValid() || date <= latest_);
}

// A text that is not taken shows red, and says why in its tooltip and to a
// screen reader.
void DateField::showMark(const QString& problem) {
  problem_ = problem;
  QPalette colours = palette();
  if (!problem.isEmpty()) colours.setColor(QPalette::Text, kWrongRed);
  editor_->setPalette(colours);
  editor_->setToolTip(problem.isEmpty() ? QStringLiteral("输入日期，") + kFormsHint : problem);
  editor_->setAccessibleDescription(problem);
}

}  // namespace skyrill
