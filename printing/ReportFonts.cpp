#include "ReportFonts.h"

#include <QFontMetricsF>
#include <QImage>

namespace qm::printing {

namespace {

constexpr double kMeasuringDpi = 1200.0;

// A tiny image that claims 1200 dpi: font metrics taken against it are at print resolution.
const QImage& measuringDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMeter = int(kMeasuringDpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

} // namespace

QString installedFamily(const QString& family) {
    if (family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    if (family.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    return family;
}

QFont reportFont(const QString& family, double points, bool bold) {
    QFont font(installedFamily(family));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double textWidthInches(const QFont& font, const QString& text) {
    const QFontMetricsF metrics(font, &measuringDevice());
    return metrics.horizontalAdvance(text) / kMeasuringDpi;
}

double lineSpacingInches(const QFont& font) {
    const QFontMetricsF metrics(font, &measuringDevice());
    return metrics.lineSpacing() / kMeasuringDpi;
}

} // namespace qm::printing
