#include "ui/barb_icons.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>

#include "core/numeric_text.h"
#include "ui/barb_table.h"

// Outside any namespace, as Q_INIT_RESOURCE requires. The icons live in a
// static library, so their resource data must be pulled in explicitly.
static void initBarbResources() {
  Q_INIT_RESOURCE(barbs);
}

namespace skyrill {

int barbSpeed(double windSpeedMps) {
  if (std::isnan(windSpeedMps)) return -1;  // no speed: nothing drawn
  const double whole = std::trunc(windSpeedMps);
  const bool evenWhole = std::fabs(std::fmod(windSpeedMps, 2.0)) <= compareTolerance;
  const double k = 2.0 * whole + (evenWhole ? 0.0 : 1.0);
  // Every speed past the top row gets the same icon; the bound keeps absurd
  // values inside int.
  return static_cast<int>(std::clamp(k, -1000.0, 1000.0));
}

int barbIconIndex(int barbSpeed) {
  const auto row = std::find_if(kBarbGlyphs.begin(), kBarbGlyphs.end(),
                                [&](const BarbGlyph& g) { return barbSpeed >= g.minBarbSpeed; });
  return static_cast<int>(row - kBarbGlyphs.begin());  // kCalmIcon when none matches
}

namespace {

// The icons at one size: "" for 1x, "@2x" for twice the pixels.
std::array<QImage, kBarbIconCount> loadBarbIcons(const QString& sizeSuffix) {
  initBarbResources();
  std::array<QImage, kBarbIconCount> icons;
  for (int icon = 0; icon < kBarbIconCount; ++icon) {
    QImage& image = icons[static_cast<std::size_t>(icon)];
    QString name = barbIconFileName(icon);
    name.insert(name.lastIndexOf(QLatin1Char('.')), sizeSuffix);
    image.load(QStringLiteral(":/barbs/") + name);
    image.setDevicePixelRatio(1);  // the strip works in the icons' own pixels
    // The strip paints on premultiplied images; convert once here.
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  return icons;
}

}  // namespace

const QImage& barbIcon(int icon, qreal pixelRatio) {
  static const std::array<QImage, kBarbIconCount> icons = loadBarbIcons(QString());
  static const std::array<QImage, kBarbIconCount> doubled = loadBarbIcons(QStringLiteral("@2x"));
  const auto index = static_cast<std::size_t>(std::clamp(icon, 0, kBarbIconCount - 1));
  return pixelRatio > 1 ? doubled[index] : icons[index];
}

}  // namespace skyrill
