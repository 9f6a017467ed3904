#include "ArticleList.h"

#include "core/Dialogs.h"
#include "core/PriceWithTax.h"
#include "db/Catalogue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace qm::catalogue {

namespace {

const QString kLoadFailed =
    QStringLiteral("Nie udało załadować się danych o wszystkich produktach");
const QString kModifyQuestion =
    QStringLiteral("Czy na pewno zmodyfikować cenę wybranego produktu?");
const QString kReplaceQuestion =
    QStringLiteral("Czy na pewno zastąpić starą cenę wybranego produktu przez nową?");
const QString kPriceCaption = QStringLiteral("Proszę podać nową cenę");
const QString kPricePrompt = QStringLiteral("Nowa cena: ");
const QString kNotANumber =
    QStringLiteral("Podana cena nie jest liczbą lub jest mniejsza od zera, spróbuj ponownie");
const QString kNoPrice = QStringLiteral("Wprowadź cenę w celu jej zmodyfikowania");

constexpr qsizetype kCodeLength = 50;
constexpr qsizetype kNameLength = 100;

enum Cell {
    OdwoId,
    Code,
    Name,
    Fabric,
    Fabric2,
    Corpus,
    Amount,
    Parent,
    Qbm,
    Price,
    PriceWithTax,
};

// The result columns of cells 1 to 10, in cell order.
constexpr const char* kSourceColumns[] = {
    db::col::kOdwoId,        db::col::kCode,         db::col::kName,   db::col::kNameOfFabric,
    db::col::kNameOfFabric2, db::col::kNameOfCorpus, db::col::kAmount, db::col::kParentOfArticle,
    db::col::kQbm,           db::col::kPrice};

QString cut(const QString& text, qsizetype length) {
    if (text.size() <= length)
        return text;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

ArticleList::ArticleList(Dialogs& dialogs, db::Catalogue& catalogue, GridTable& articles)
    : dialogs_(dialogs), catalogue_(catalogue), articles_(articles) {
    if (articles_.columns().size() != articleListColumns().size())
        throw std::logic_error("the article list has other columns");
}

std::vector<GridColumn> ArticleList::articleListColumns() {
    return {{QStringLiteral("ODWO_ID"), 82},
            {QStringLiteral("KOD"), 154},
            {QStringLiteral("NAZWA"), 195},
            {QStringLiteral("TKANINA_NAZWA"), 213},
            {QStringLiteral("TKANINA_NAZWA2"), 144},
            {QStringLiteral("NAZWA_KORPUSU"), 132},
            {QStringLiteral("ILOSC"), 48},
            {QStringLiteral("ARTYKUL_RODZIC_ID"), 111},
            {QStringLiteral("QBM"), 47},
            {QStringLiteral("CENA"), 78},
            {QStringLiteral("CENA_Z_VAT"), 83, true}};
}

void ArticleList::RefreshDataButtonClick() {
    articles_.clearRows();
    db::Procedure& p = catalogue_.ibcspGetAllProductsInfo;
    p.open();
    const int count = p.readCount(db::col::kCountAmountOfArticles);
    articles_.reserveRows(std::min(count, p.fetchedRows()));

    GridTable::Bulk bulk(articles_);
    try {
        p.walkRows(count, [&] {
            const int row = articles_.appendRow();
            for (int cell = OdwoId; cell < Price; ++cell)
                articles_.setText(row, cell, p.asText(kSourceColumns[cell]));
            const QString price = p.asText(kSourceColumns[Price]);
            articles_.setText(row, Price, price);
            articles_.setNumber(row, PriceWithTax, priceWithTax(price));
        });
    } catch (const std::exception&) {
        // The rows read so far stay, the one being filled too.
        dialogs_.information(kLoadFailed);
    }
}

std::optional<long double> ArticleList::typedPrice(const QString& text) {
    // Digits with at most one point and at least one digit, then optionally "e" or "E" and
    // digits: the spellings the server converts to a price. "5." and ".5" are written out as
    // "5.0" and "0.5" before the conversion.
    std::string ascii;
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto digitAt = [&](qsizetype k) {
        return k < n && text.at(k).unicode() < 0x80 && isDigit(char(text.at(k).unicode()));
    };
    qsizetype before = 0;
    while (digitAt(i))
        ascii += char(text.at(i++).unicode()), ++before;
    qsizetype after = 0;
    if (i < n && text.at(i) == QLatin1Char('.')) {
        ++i;
        ascii += before == 0 ? "0." : ".";
        while (digitAt(i))
            ascii += char(text.at(i++).unicode()), ++after;
        if (after == 0)
            ascii += '0';
    }
    if (before + after == 0)
        return std::nullopt;
    if (i < n && (text.at(i) == QLatin1Char('e') || text.at(i) == QLatin1Char('E'))) {
        ++i;
        ascii += 'e';
        qsizetype exponent = 0;
        while (digitAt(i))
            ascii += char(text.at(i++).unicode()), ++exponent;
        if (exponent == 0)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;
    long double value = 0;
    const char* begin = ascii.data();
    const char* end = begin + ascii.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void ArticleList::ModifyPriceButtonClick() {
    if (!askYesNo(dialogs_, kModifyQuestion))
        return;
    const std::optional<int> row = articles_.selectedRow();
    if (!row || *row < 0 || *row >= articles_.rows())
        return;
    const QString newPrice = dialogs_.inputBox(kPriceCaption, kPricePrompt, QString());
    if (!isNumber(newPrice)) {
        dialogs_.information(kNotANumber);
        return;
    }
    if (newPrice.isEmpty()) {
        dialogs_.information(kNoPrice);
        return;
    }
    if (!askYesNo(dialogs_, kReplaceQuestion))
        return;

    // The server converts the typed text; a text it cannot read as a price fails there and
    // nothing is stored.
    db::Procedure& p = catalogue_.ibcspModifyArticlePrice;
    p.setText("I_ODWO_ID", articles_.text(*row, OdwoId));
    p.setText("I_CODE", cut(articles_.text(*row, Code), kCodeLength));
    p.setText("I_NAME", cut(articles_.text(*row, Name), kNameLength));
    p.setText("I_PRICE", newPrice);
    p.execute();

    const std::optional<long double> net = typedPrice(newPrice);
    articles_.setText(*row, Price, newPrice);
    if (net)
        articles_.setNumber(*row, PriceWithTax, priceWithTax(*net));
    else // stored by the server under a spelling this program does not read: shown on refresh
        articles_.setText(*row, PriceWithTax, QString());
}

} // namespace qm::catalogue
