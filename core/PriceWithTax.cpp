#include "PriceWithTax.h"

#include "LabelKey.h"
#include "core/Dialogs.h"

#include <charconv>
#include <cmath>
#include <string>

namespace qm {

std::optional<long double> parsePrice(const QString& text) {
    // Sign, digits, and optionally a comma with at least one digit after it.
    std::string ascii;
    ascii.reserve(size_t(text.size()));
    bool digits = false;
    bool comma = false;
    bool digitsAfterComma = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u >= u'0' && u <= u'9') {
            digits = true;
            digitsAfterComma = digitsAfterComma || comma;
            ascii += char(u);
        } else if (u == u'-' && i == 0) {
            ascii += '-';
        } else if (u == u',' && digits && !comma) {
            comma = true;
            ascii += '.';
        } else {
            return std::nullopt;
        }
    }
    if (!digits || (comma && !digitsAfterComma))
        return std::nullopt;
    long double value = 0;
    const char* begin = ascii.data();
    const char* end = begin + ascii.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double priceWithTax(long double netPrice) {
    // Each step is rounded to extended precision on its own; nothing is fused.
    const long double gross = netPrice * 1.23L;
    const long double cents = std::nearbyint(gross * 100.0L);
    const long double rounded = cents * 0.01L;
    return static_cast<double>(rounded);
}

double priceWithTax(const QString& priceText) {
    const auto net = parsePrice(priceText);
    if (!net)
        throw AppError(
            QStringLiteral("Cena %1 nie jest poprawną liczbą.").arg(quotedInMessage(priceText)));
    return priceWithTax(*net);
}

} // namespace qm
