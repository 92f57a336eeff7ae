#pragma once

#include <QWidget>
#include <vector>

class QLabel;

namespace skyrill {

// One status bar: a row of sunken text panels of fixed widths, the last one
// taking the rest of the bar. Several of them can stand one above the other,
// which a window's own status bar cannot.
class StatusStrip : public QWidget {
  Q_OBJECT

 public:
  // Panels of the given widths, then one more that takes the rest.
  StatusStrip(const std::vector<int>& widths, QSize size, QWidget* parent = nullptr);

  QLabel* panel(int index) const { return panels_.at(static_cast<std::size_t>(index)); }
  int panelCount() const { return static_cast<int>(panels_.size()); }

 private:
  std::vector<QLabel*> panels_;
};

}  // namespace skyrill
