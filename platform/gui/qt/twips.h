#pragma once

#include <QtCore/QRect>
#include <QtGui/QScreen>

namespace velloran::platform::qt {

// Converts between twips (1/1440 inch) and the screen's logical pixels: 15
// twips make one pixel at 96 dots per inch, fewer on a screen set to a
// larger text size, so the window grows with the screen's scale.
class TwipsScale {
 public:
  explicit TwipsScale(const QScreen& screen)
      : twips_per_pixel_(kTwipsPerInch / screen.logicalDotsPerInchX()) {}

  int ToPixels(double twips) const { return qRound(twips / twips_per_pixel_); }
  float ToTwips(int pixels) const { return static_cast<float>(pixels * twips_per_pixel_); }

  QRect ToPixels(int left, int top, int width, int height) const {
    return {ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height)};
  }

 private:
  static constexpr double kTwipsPerInch = 1440.0;
  double twips_per_pixel_;
};

}  // namespace velloran::platform::qt
