#pragma once

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QLineEdit;
class QToolButton;

namespace skyrill {

// A field for one date that takes a date typed whole, in the forms the
// programs read ("2024-01-31", "2024/1/31", "20240131"), when Enter is
// pressed or the field is left; or picked from a calendar that the button
// beside it (or Alt+Down, F4) opens. A typed text that is no date, or one
// outside the field's range, is marked and leaves the date as it was.
class DateField : public QWidget {
  Q_OBJECT

 public:
  explicit DateField(QWidget* parent = nullptr);
  ~DateField() override;

  QDate date() const { return date_; }
  // The date shown as "YYYY-MM-DD"; an invalid date or one out of range is
  // not taken.
  void setDate(const QDate& date);
  // The range the field takes; either end invalid for none.
  void setDateRange(const QDate& earliest, const QDate& latest);
  // The text typed reads as the date shown.
  bool holdsDate() const;
  // Why the text typed last was not taken; empty when it was.
  const QString& problem() const { return problem_; }
  // The name a screen reader gives the field and its calendar button.
  void setFieldName(const QString& name);

  QLineEdit& editor() { return *editor_; }
  // Opens the calendar over the date held.
  void showCalendar();

 signals:
  // The date was taken: typed, picked, or set.
  void dateChanged(const QDate& date);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Reads the typed text; a date is taken, anything else is marked.
  void takeTypedText();
  bool inRange(const QDate& date) const;
  void limitCalendar();
  QString rangeText() const;
  // Marks the text as not taken, for the reason given; none clears the mark.
  void showMark(const QString& problem);

  QDate date_;
  QString problem_;
  QDate earliest_;
  QDate latest_;
  QLineEdit* editor_ = nullptr;
  QToolButton* calendarButton_ = nullptr;
  QCalendarWidget* calendar_ = nullptr;  // made at the first opening
};

}  // namespace skyrill
