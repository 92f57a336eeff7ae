#pragma once

#include <QApplication>
#include <QColor>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace skyrill::test {

// The WCAG relative luminance of a colour, 0 for black to 1 for white.
inline double luminance(const QColor& colour) {
  const auto linear = [](double channel) {
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
         0.0722 * linear(colour.blueF());
}

// The WCAG contrast ratio of two colours, 1 to 21; text reads from 4.5 on.
inline double contrast(const QColor& one, const QColor& other) {
  const double first = luminance(one);
  const double second = luminance(other);
  return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// A dark desktop theme, light text on dark grounds, given to the whole
// application for as long as it lives.
class DarkDesktop {
 public:
  DarkDesktop() : saved_(QApplication::palette()) {
    QPalette dark(QColor(0xF0, 0xF0, 0xF0), QColor(0x35, 0x35, 0x35), QColor(0x50, 0x50, 0x50),
                  QColor(0x20, 0x20, 0x20), QColor(0x2A, 0x2A, 0x2A), QColor(0xF0, 0xF0, 0xF0),
                  QColor(Qt::white), QColor(0x1E, 0x1E, 0x1E), QColor(0x2D, 0x2D, 0x2D));
    dark.setColor(QPalette::ButtonText, QColor(0xF0, 0xF0, 0xF0));
    dark.setColor(QPalette::Highlight, QColor(0x30, 0x60, 0xA0));
    QApplication::setPalette(dark);
  }
  ~DarkDesktop() { QApplication::setPalette(saved_); }
  DarkDesktop(const DarkDesktop&) = delete;
  DarkDesktop& operator=(const DarkDesktop&) = delete;

 private:
  QPalette saved_;
};

}  // namespace skyrill::test
