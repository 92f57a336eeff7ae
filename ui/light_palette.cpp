#include "ui/light_palette.h"

namespace skyrill {

QPalette lightPalette() {
  const QColor black(Qt::black);
  const QColor white(Qt::white);
  const QColor disabledText(0x78, 0x78, 0x78);
  // windowText, button, light, dark, mid, text, brightText, base, window
  QPalette palette(black, kWindowGrey, white, QColor(0xA0, 0xA0, 0xA0), QColor(0xB4, 0xB4, 0xB4),
                   black, white, white, kWindowGrey);
  palette.setColor(QPalette::ButtonText, black);
  palette.setColor(QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3));
  palette.setColor(QPalette::Shadow, QColor(0x69, 0x69, 0x69));
  palette.setColor(QPalette::AlternateBase, QColor(0xF5, 0xF5, 0xF5));
  palette.setColor(QPalette::Highlight, QColor(0x00, 0x67, 0xC0));
  palette.setColor(QPalette::HighlightedText, white);
  palette.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xDC));
  palette.setColor(QPalette::ToolTipText, black);
  palette.setColor(QPalette::PlaceholderText, QColor(0x6E, 0x6E, 0x6E));
  palette.setColor(QPalette::Link, QColor(0x00, 0x00, 0xEE));
  palette.setColor(QPalette::LinkVisited, QColor(0x55, 0x1A, 0x8B));
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, disabledText);
  }
  palette.setColor(QPalette::Disabled, QPalette::Base, kWindowGrey);
  return palette;
}

}  // namespace skyrill
