#include "ui/status_strip.h"

#include <QLabel>

namespace skyrill {

StatusStrip::StatusStrip(const std::vector<int>& widths, QSize size, QWidget* parent)
    : QWidget(parent) {
  resize(size);
  int x = 0;
  for (std::size_t index = 0; index <= widths.size(); ++index) {
    const int width = index < widths.size() ? widths[index] : size.width() - x;
    auto* label = new QLabel(this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setIndent(2);
    label->setGeometry(x, 0, width, size.height());
    panels_.push_back(label);
    x += width;
  }
}

}  // namespace skyrill
