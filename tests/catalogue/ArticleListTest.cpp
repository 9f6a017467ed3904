#include "CatalogueHarness.h"
#include "ui/GridView.h"

using namespace qm::test;

namespace {

const QString kLoadFailed =
    QStringLiteral("Nie udało załadować się danych o wszystkich produktach");
const QString kModify = QStringLiteral("Czy na pewno zmodyfikować cenę wybranego produktu?");
const QString kReplace =
    QStringLiteral("Czy na pewno zastąpić starą cenę wybranego produktu przez nową?");
const QString kCaption = QStringLiteral("Proszę podać nową cenę");
const QString kPrompt = QStringLiteral("Nowa cena: ");
const QString kNotANumber =
    QStringLiteral("Podana cena nie jest liczbą lub jest mniejsza od zera, spróbuj ponownie");
const QString kNoPrice = QStringLiteral("Wprowadź cenę w celu jej zmodyfikowania");

constexpr int kPrice = 9;
constexpr int kWithTax = 10;

QString article(int odwoId, const QString& code, const QString& name, const QString& price) {
    return QStringLiteral("INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, NAME_OF_FABRIC, "
                          "NAME_OF_FABRIC2, NAME_OF_CORPUS, AMOUNT, PARENT_OF_ARTICLE_ID, QBM, "
                          "PRICE) VALUES (%1, %2, '%3', 'Tk', NULL, 'Dąb', 2, 7, 1.5, %4);\n")
        .arg(odwoId)
        .arg(code.isNull() ? QStringLiteral("NULL") : "'" + code + "'", name, price);
}

QStringList rowTexts(const qm::GridTable& grid, int row) {
    QStringList texts;
    for (int c = 0; c < kWithTax; ++c)
        texts << grid.text(row, c);
    return texts;
}

TEST(ArticleListTest, RefreshShowsEveryArticleAndKeepsTheRowsReadBeforeAFailure) {
    TestDatabase db(QStringLiteral("catalogue-list"));
    CatalogueStation s(db);
    // No articles: an empty list and no message.
    EXPECT_TRUE(s.run([&] { s.list.RefreshDataButtonClick(); }));
    s.dialogs.verify();
    EXPECT_EQ(s.articles.rows(), 0);

    db.sql(article(3001, "K1", "Komoda Ćma", "12.50") + article(3002, "K2", "Ława", "1.50") +
           article(3003, QString(), "Stół", "3.50") + article(3004, "K4", "Regał", "100"));
    struct Row {
        QStringList texts;
        double withTax;
    };
    const Row expected[] = {
        {{"3001", "K1", "Komoda Ćma", "Tk", "", "Dąb", "2", "7", "1,50", "12,50"}, 15.38},
        {{"3002", "K2", "Ława", "Tk", "", "Dąb", "2", "7", "1,50", "1,50"}, 1.84},
        {{"3003", "", "Stół", "Tk", "", "Dąb", "2", "7", "1,50", "3,50"}, 4.31},
        {{"3004", "K4", "Regał", "Tk", "", "Dąb", "2", "7", "1,50", "100,00"}, 123},
    };
    EXPECT_TRUE(s.run([&] { s.list.RefreshDataButtonClick(); }));
    s.dialogs.verify();
    ASSERT_EQ(s.articles.rows(), 4);
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(rowTexts(s.articles, r), expected[r].texts);
        EXPECT_EQ(s.articles.value(r, kWithTax).toDouble(), expected[r].withTax);
    }

    // An article without a price stops the walk: the rows before it stay, and so does its own
    // row with the cells set before the failure.
    db.sql(article(3005, "K5", "Bez ceny", "NULL") + article(3006, "K6", "Po", "1"));
    s.dialogs.expectInformation(kLoadFailed);
    EXPECT_TRUE(s.run([&] { s.list.RefreshDataButtonClick(); }));
    s.dialogs.verify();
    ASSERT_EQ(s.articles.rows(), 5);
    EXPECT_EQ(rowTexts(s.articles, 4),
              QStringList({"3005", "K5", "Bez ceny", "Tk", "", "Dąb", "2", "7", "1,50", ""}));
    EXPECT_FALSE(s.articles.value(4, kWithTax).isValid());
}

// A correction takes the article of the row the operator selected in the sorted view, and
// updates that row only.
class PriceCorrectionTest : public ::testing::Test {
protected:
    static TestDatabase& priceDatabase() {
        static TestDatabase db(QStringLiteral("catalogue-price"));
        return db;
    }

    void SetUp() override {
        db.sql("DELETE FROM ARTICLES;\n" + article(4001, "KA", "Alfa", "10") +
               article(4002, "KB", "Beta", "20") + article(4003, "KC", "Gamma", "30") +
               article(4004, QString(), "Delta", "40"));
        ASSERT_TRUE(s.run([&] { s.list.RefreshDataButtonClick(); }));
        view.sortByColumn(2, Qt::DescendingOrder); // Gamma, Delta, Beta, Alfa
        view.selectRow(1);
        ASSERT_EQ(s.articles.selectedRow(), 3);
        before = snapshot();
    }

    std::vector<QStringList> snapshot() const {
        std::vector<QStringList> rows;
        for (int r = 0; r < s.articles.rows(); ++r)
            rows.push_back(rowTexts(s.articles, r)
                           << QString::number(s.articles.value(r, kWithTax).toDouble()));
        return rows;
    }

    TestDatabase& db = priceDatabase();
    CatalogueStation s{db};
    qm::ui::GridView view{s.articles, 13};
    std::vector<QStringList> before;
};

TEST_F(PriceCorrectionTest, TheSelectedArticleGetsTheTypedPrice) {
    s.dialogs.expectQuestion(kModify, true)
        .expectInput(kCaption, kPrompt, "12.50")
        .expectQuestion(kReplace, true);
    EXPECT_TRUE(s.run([&] { s.list.ModifyPriceButtonClick(); }));
    s.dialogs.verify();
    EXPECT_EQ(storedArticles(s.catalogue, 4001, 4004),
              QStringList(
                  {"4001|KA|Alfa|Tk||Dąb|2|7|1,50|10,00", "4002|KB|Beta|Tk||Dąb|2|7|1,50|20,00",
                   "4003|KC|Gamma|Tk||Dąb|2|7|1,50|30,00", "4004||Delta|Tk||Dąb|2|7|1,50|12,50"}));
    std::vector<QStringList> after = before;
    after[3][kPrice] = "12.50";
    after[3][kWithTax] = "15.38";
    EXPECT_EQ(snapshot(), after);

    // An exponent is the server's to read: 1e3 is stored as 1000; the row shows the text typed.
    s.dialogs.expectQuestion(kModify, true)
        .expectInput(kCaption, kPrompt, "1e3")
        .expectQuestion(kReplace, true);
    EXPECT_TRUE(s.run([&] { s.list.ModifyPriceButtonClick(); }));
    s.dialogs.verify();
    EXPECT_EQ(storedArticles(s.catalogue, 4004, 4004),
              QStringList({"4004||Delta|Tk||Dąb|2|7|1,50|1000,00"}));
    EXPECT_EQ(s.articles.text(3, kPrice), "1e3");
    EXPECT_EQ(s.articles.value(3, kWithTax).toDouble(), 1230);
}

struct Refusal {
    const char* what;
    bool firstYes;
    const char* typed;  // nullptr: the input box is not shown
    QString notice;     // empty: no information box
    bool secondAsked;   // the second question is shown, answered "TAK" only when
    bool serverRefuses; // the server then refuses the text
};

class PriceRefusal : public PriceCorrectionTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(PriceRefusal, NothingIsStoredAndNoRowChanges) {
    const Refusal& c = GetParam();
    s.dialogs.expectQuestion(kModify, c.firstYes);
    if (c.typed)
        s.dialogs.expectInput(kCaption, kPrompt, QString::fromUtf8(c.typed));
    if (!c.notice.isEmpty())
        s.dialogs.expectInformation(c.notice);
    if (c.secondAsked)
        s.dialogs.expectQuestion(kReplace, c.serverRefuses);
    if (c.serverRefuses)
        s.dialogs.expectError();
    s.run([&] { s.list.ModifyPriceButtonClick(); });
    s.dialogs.verify();
    EXPECT_EQ(storedArticles(s.catalogue, 4004, 4004),
              QStringList({"4004||Delta|Tk||Dąb|2|7|1,50|40,00"}));
    EXPECT_EQ(snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PriceRefusal,
    ::testing::Values(Refusal{"first question answered NIE", false, nullptr, {}, false, false},
                      Refusal{"second question answered NIE", true, "13", {}, true, false},
                      Refusal{"a decimal comma", true, "12,50", kNotANumber, false, false},
                      Refusal{"a minus sign", true, "-5", kNotANumber, false, false},
                      Refusal{"cancelled input box", true, "", kNoPrice, false, false},
                      Refusal{"letters the server cannot read", true, "ABC", {}, true, true},
                      Refusal{"two points", true, "1.2.3", {}, true, true}));

TEST_F(PriceCorrectionTest, NoSelectedRowAsksTheFirstQuestionOnly) {
    view.clearSelection();
    view.selectionModel()->clearCurrentIndex();
    ASSERT_FALSE(s.articles.selectedRow());
    s.dialogs.expectQuestion(kModify, true);
    EXPECT_TRUE(s.run([&] { s.list.ModifyPriceButtonClick(); }));
    s.dialogs.verify();
    EXPECT_EQ(snapshot(), before);
}

} // namespace
