#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace brindle::gui {

TwipsScale::TwipsScale(double dotsPerInchX, double dotsPerInchY)
    : dpiX_(dotsPerInchX), dpiY_(dotsPerInchY) {}

TwipsScale TwipsScale::ForScreen(const QScreen* screen) {
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  // Without a screen (no platform at all) fall back to the classic desktop resolution.
  if (screen == nullptr) return TwipsScale(96.0, 96.0);
  return TwipsScale(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
}

int TwipsScale::X(int twips) const {
  return static_cast<int>(std::lround(twips * dpiX_ / kTwipsPerInch));
}

int TwipsScale::Y(int twips) const {
  return static_cast<int>(std::lround(twips * dpiY_ / kTwipsPerInch));
}

QRect TwipsScale::Rect(int left, int top, int width, int height) const {
  // Edges are converted, not sizes, so that neighbouring controls never gain a one-pixel gap
  // or overlap from rounding.
  const int x = X(left);
  const int y = Y(top);
  return QRect(x, y, X(left + width) - x, Y(top + height) - y);
}

}  // namespace brindle::gui
