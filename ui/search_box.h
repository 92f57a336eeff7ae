#pragma once

#include <QLineEdit>

class QLabel;

namespace skyrill {

// A search box under a list. Until it gets the focus it shows a grey,
// italic, left-aligned placeholder as its text; what the user types shows
// black, upright and centred. The text colour tells the two states apart.
// A search that finds nothing is told by "未找到" at the box's right end.
class SearchBox : public QLineEdit {
  Q_OBJECT

 public:
  // Characters the box takes.
  static constexpr int kMaxLength = 8;

  explicit SearchBox(QString placeholder, QWidget* parent = nullptr);

  // True while the grey placeholder shows.
  bool showsPlaceholder() const;
  // What the user typed; empty while the placeholder shows.
  QString typedText() const;
  // The placeholder gives way to an empty box for typing; typed text stays.
  void enterSearchBox();
  // An empty box shows the placeholder again; typed text stays.
  void leaveSearchBox();
  // Empties the box and shows the placeholder unless it has the focus.
  void resetSearchBox();

  // Shows or hides "未找到"; leaving the box hides it too.
  void showNotFound(bool shown);
  bool showsNotFound() const;

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void setLook(const QColor& colour, bool italic, Qt::Alignment alignment);
  QLabel* makeNotFoundNote();
  int noteWidth() const;

  QString placeholder_;
  QLabel* notFound_ = nullptr;
};

}  // namespace skyrill
