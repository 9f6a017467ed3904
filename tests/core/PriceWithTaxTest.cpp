#include "core/PriceWithTax.h"
#include "core/Dialogs.h"

#include <gtest/gtest.h>

using qm::priceWithTax;

namespace {

// The prices are rendered by the database layer with a decimal comma.
TEST(PriceWithTax, RoundsTheExtendedProductHalvesToEven) {
    struct Case {
        QString net;
        double gross;
    };
    const Case cases[] = {
        {"100,00", 123},  {"19,99", 24.59},     {"123,45", 151.84}, {"0,50", 0.62},
        {"1,50", 1.84},   {"2,50", 3.08},       {"3,50", 4.31},     {"10,50", 12.92},
        {"12,50", 15.38}, {"1299,00", 1597.77}, {"1299", 1597.77},  {"0,00", 0},
        {"0", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.net.toStdString());
        EXPECT_EQ(priceWithTax(c.net), c.gross);
    }
}

TEST(PriceWithTax, RefusesTextsThatAreNoPrice) {
    const QString hugeNumber(100000, QLatin1Char('9'));
    for (const QString& text :
         {QString(), QStringLiteral("abc"), QStringLiteral("12.50"), QStringLiteral("1 299,00"),
          QStringLiteral("1,2,3"), QStringLiteral(",5"), QStringLiteral("5,"),
          QStringLiteral("--5"), QStringLiteral("+5"), QStringLiteral("1e3"), QStringLiteral("inf"),
          QStringLiteral("nan"), QStringLiteral("١٢"), QStringLiteral("12,5-"), hugeNumber}) {
        SCOPED_TRACE(text.left(40).toStdString());
        try {
            priceWithTax(text);
            ADD_FAILURE() << "converted";
        } catch (const qm::AppError& e) {
            EXPECT_TRUE(e.text().startsWith(QStringLiteral("Cena „") + text.left(10)));
            EXPECT_LT(e.text().size(), 120); // a long text is shown cut short
        }
    }
}

} // namespace
