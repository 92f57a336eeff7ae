#pragma once

#include <QRgb>
#include <QString>

#include <array>

#include "ui/chart_colours.h"

// The twenty wind-barb icons: nineteen barb glyphs (staff pointing up, barbs on
// the right at the top) and the calm ring. Shared by the icon generator and
// the wind strip.
namespace skyrill {

inline constexpr int kBarbIconSize = 20;

struct BarbGlyph {
  int minBarbSpeed;  // first barb speed k that uses this glyph
  int value;         // k units shown: short barb 5, long barb 10, pennant 50
  QRgb colour;
  bool overRange;  // adds a small red cross in the top left corner
};

inline constexpr QRgb kBarbViolet = 0xFF9000FF;
inline constexpr QRgb kBarbRed = 0xFFFF0000;
inline constexpr QRgb kBarbOrange = 0xFFFD8E1E;  // RGB 253, 142, 30
inline constexpr QRgb kBarbBlue = 0xFF0000FF;
inline constexpr QRgb kBarbGreen = 0xFF008000;
inline constexpr QRgb kBarbBlack = 0xFF000000;
inline constexpr QRgb kCalmGrey = 0xFF808080;

// Searched from the top: the first row whose bound k reaches gives the icon.
inline constexpr std::array<BarbGlyph, 19> kBarbGlyphs = {{
    {93, 90, kBarbViolet, true},  {88, 90, kBarbViolet, false}, {83, 85, kBarbViolet, false},
    {78, 80, kBarbViolet, false}, {73, 75, kBarbViolet, false}, {68, 70, kBarbViolet, false},
    {63, 65, kBarbViolet, false}, {58, 60, kBarbRed, false},    {53, 55, kBarbRed, false},
    {48, 50, kBarbRed, false},    {43, 45, kBarbOrange, false}, {38, 40, kBarbOrange, false},
    {33, 35, kBarbBlue, false},   {28, 30, kBarbBlue, false},   {23, 25, kBarbGreen, false},
    {18, 20, kBarbGreen, false},  {13, 15, kBarbBlack, false},  {8, 10, kBarbBlack, false},
    {3, 5, kBarbBlack, false},
}};

// Icon indices: 0..18 follow kBarbGlyphs, the last one is the calm ring.
inline constexpr int kCalmIcon = static_cast<int>(kBarbGlyphs.size());
inline constexpr int kBarbIconCount = kCalmIcon + 1;

// File name of an icon: "barb_05.png" ... "barb_90.png", "barb_90_cross.png",
// "calm.png".
inline QString barbIconFileName(int icon) {
  if (icon == kCalmIcon) return QStringLiteral("calm.png");
  const BarbGlyph& glyph = kBarbGlyphs[static_cast<std::size_t>(icon)];
  return QStringLiteral("barb_%1%2.png")
      .arg(glyph.value, 2, 10, QLatin1Char('0'))
      .arg(glyph.overRange ? QStringLiteral("_cross") : QString());
}

}  // namespace skyrill
