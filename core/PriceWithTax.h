#pragma once

#include <QString>
#include <limits>
#include <optional>

namespace qm {

// The gross prices shown to the operator depend on the x87 extended format: the product and the
// halfway test are made with a 64-bit significand. Anywhere else the same prices would come out
// differently, so refuse to build.
static_assert(std::numeric_limits<long double>::digits == 64,
              "the price with tax needs long double to be the 80-bit extended type "
              "(64-bit significand); this compiler or target gives another type");

// A price as the database layer renders it ("1299,00", "-5,50": decimal comma, no grouping), as
// the nearest extended value; nothing for any other text.
std::optional<long double> parsePrice(const QString& text);

// The net price × 1.23, rounded to two decimal places: the product in extended precision with
// 1.23 as the nearest extended value, ×100, to the nearest whole number (halves to even), ×0.01
// as the nearest extended value, kept as a double.
double priceWithTax(long double netPrice);

// The same for a price text; throws qm::AppError when the text is not a price.
double priceWithTax(const QString& priceText);

} // namespace qm
