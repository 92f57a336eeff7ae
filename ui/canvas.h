#pragma once

#include <QFrame>
#include <QImage>

namespace skyrill {

// A drawing canvas with a one-pixel border. Its drawing area keeps what was
// drawn on it until it is cleared, which repaints it from the background
// colour and the background picture.
class Canvas : public QFrame {
  Q_OBJECT

 public:
  // A canvas whose drawing area has the given size.
  Canvas(QSize drawingSize, QWidget* parent = nullptr);

  // Sets the background picture and clears the canvas with it. `sharp` is
  // the same picture at the screen's pixel density, shown instead on a
  // high-density screen; the picture itself stays what the canvas holds.
  void setBackgroundPicture(const QImage& picture, const QImage& sharp = {});
  void removeBackgroundPicture();
  // Repaints the drawing area from the background colour and picture.
  void clear();

  // Draws an image scaled into a rectangle of the drawing area; `sharp`, the
  // same at the screen's density, is what a high-density screen shows.
  void drawImage(const QImage& image, const QRect& target, const QImage& sharp = {});
  // Turns every pixel of column x from y0 to y1 (both included, clipped to the
  // drawing area) into the complement of its colour.
  void invertVerticalLine(int x, int y0, int y1);

  // The current picture of the drawing area.
  const QImage& picture() const { return surface_; }

 signals:
  // The pointer moved; x and y are in pixels of the drawing area.
  void mouseMoved(int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  // With the keyboard's focus the border shows it, in the highlight colour.
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // The drawing area as a high-density screen shows it; null at 1x.
  bool showsSharp() const { return !sharpSurface_.isNull(); }

  QImage background_;
  QImage surface_;
  QImage sharpBackground_;
  QImage sharpSurface_;
};

}  // namespace skyrill
