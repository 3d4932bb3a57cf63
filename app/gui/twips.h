// The model measures the windows in twips, 1440 to the inch; widgets are placed in pixels at
// the screen's logical resolution.
#pragma once

#include <QRect>

class QScreen;

namespace brindle::gui {

class TwipsScale {
 public:
  static constexpr double kTwipsPerInch = 1440.0;

  TwipsScale(double dotsPerInchX, double dotsPerInchY);
  // The logical resolution of `screen`, or of the primary screen when it is null.
  static TwipsScale ForScreen(const QScreen* screen = nullptr);

  int X(int twips) const;
  int Y(int twips) const;
  QRect Rect(int left, int top, int width, int height) const;

 private:
  double dpiX_;
  double dpiY_;
};

}  // namespace brindle::gui
