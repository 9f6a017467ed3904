#include "core/LabelKey.h"

#include <gtest/gtest.h>

using qm::labelKey;
using qm::wholeNumber;

namespace {

TEST(LabelKey, TakesThePartThatNamesTheArticle) {
    const QString longLeft(50000, QLatin1Char('1'));
    const QString longRight(50000, QLatin1Char('3'));
    const QString longKey(100000, QLatin1Char('9'));
    struct Case {
        QString label;
        QString key;
    };
    const Case cases[] = {
        {"12/3456/78", "3456"},
        {"12/3456/78/9", "3456"},
        {"12/3456", "3456"},
        {"3456", "3456"},
        {"/3456/", "3456"},
        {"12//78", ""},
        {"", ""},
        {"/", ""},
        {"//", ""},
        {"3456/", ""},
        {"/3456", "3456"},
        {"a/b/c/d/e", "b"},
        {"12/ 3456 /78", " 3456 "},
        {"12\\3456\\78", "12\\3456\\78"}, // backslashes are no separators
        {QStringLiteral("12／3456／78"), QStringLiteral("12／3456／78")}, // nor full-width slashes
        {QStringLiteral("货/号码/x"), QStringLiteral("号码")},
        {QStringLiteral("😀/😀😀/😀"), QStringLiteral("😀😀")},
        {longLeft + "/22/" + longRight, "22"},
        {"x/" + longKey, longKey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label.left(40).toStdString());
        EXPECT_EQ(labelKey(c.label), c.key);
    }
}

TEST(LabelKey, WholeNumberTakesDecimalDigitsOnly) {
    struct Case {
        QString text;
        std::optional<qint32> number;
    };
    const Case cases[] = {
        {"3456", 3456},
        {" 3456 ", 3456},
        {"-7", -7},
        {"+7", 7},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {QString(100000, QLatin1Char('9')), std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {"12a", std::nullopt},
        {"1A", std::nullopt},
        {"3456.0", std::nullopt},
        {"34 56", std::nullopt},
        {QStringLiteral("１２"), std::nullopt},
        {QStringLiteral("٣٤"), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.left(40).toStdString());
        EXPECT_EQ(wholeNumber(c.text), c.number);
    }
}

} // namespace
