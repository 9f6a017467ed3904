#include "ReportFonts.h"

#include <algorithm>

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QRegularExpression>
#include <QTextLayout>

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

// Wine's Tahoma is not among the system's fonts; it is added to the application's fonts once.
void loadTahoma() {
    static const bool loaded = [] {
        if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
            return true;
        bool any = false;
        for (const char* file :
             {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
            any = QFontDatabase::addApplicationFont(QString::fromLatin1(file)) >= 0 || any;
        return any;
    }();
    (void)loaded;
}

} // namespace

QString installedFamily(const QString& family) {
    if (family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    if (family.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Serif");
    if (family.compare(QLatin1String("Tahoma"), Qt::CaseInsensitive) == 0) {
        loadTahoma();
        return QStringLiteral("Tahoma");
    }
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

double ascentInches(const QFont& font) {
    const QFontMetricsF metrics(font, &measuringDevice());
    return metrics.ascent() / kMeasuringDpi;
}

QStringList wrapToWidth(const QFont& font, const QString& text, double width) {
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\r|\\n|\\x{2028}"));
    const bool breaks = text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                        text.contains(QChar(0x2028));
    if (!breaks && textWidthInches(font, text) <= width + 1e-9)
        return {text};
    QStringList lines;
    const double dots = std::max(width, 0.0) * kMeasuringDpi;
    for (const QString& paragraph : text.split(lineBreak)) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font, &measuringDevice());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(dots);
            // The spaces at a break belong to neither line.
            QString part = paragraph.mid(line.textStart(), line.textLength());
            while (part.endsWith(QLatin1Char(' ')))
                part.chop(1);
            lines << part;
        }
        layout.endLayout();
    }
    return lines;
}

} // namespace qm::printing
