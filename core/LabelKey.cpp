#include "LabelKey.h"

#include <limits>

namespace qm {

QString labelKey(const QString& labelText) {
    const qsizetype first = labelText.indexOf(QLatin1Char('/'));
    if (first < 0)
        return labelText;
    const qsizetype second = labelText.indexOf(QLatin1Char('/'), first + 1);
    if (second < 0)
        return labelText.mid(first + 1);
    return labelText.mid(first + 1, second - first - 1);
}

std::optional<qint32> wholeNumber(const QString& text) {
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text.at(i) == QLatin1Char(' '))
        ++i;
    while (end > i && text.at(end - 1) == QLatin1Char(' '))
        --end;
    bool negative = false;
    if (i < end && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == end)
        return std::nullopt;
    // The magnitude may reach 2^31 for the smallest negative number.
    constexpr qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 value = 0;
    for (; i < end; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = value * 10 + (u - u'0');
        if (value > limit)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

QString quotedInMessage(const QString& text) {
    constexpr qsizetype kShown = 40;
    if (text.size() <= kShown)
        return QStringLiteral("„%1”").arg(text);
    // Never end the shown part inside a surrogate pair.
    qsizetype cut = kShown;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return QStringLiteral("„%1…” (długość %2)").arg(text.left(cut), QString::number(text.size()));
}

} // namespace qm
