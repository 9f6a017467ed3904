// The drawn statement as positioned texts, without rendering: every row, column, font and text,
// the cut of long names, the date line, the continuation of long baskets over further pages; and
// the preview's header and footer lines.
#include "core/GridTable.h"
#include "counter/Statement.h"
#include "counter/StatementPreview.h"
#include "db/DeploymentSettings.h"
#include "printing/ReportFonts.h"

#include <QPageSize>
#include <gtest/gtest.h>

using namespace qm::counter;
using qm::printing::Align;
using qm::printing::DrawnText;

namespace {

qm::db::DeploymentSettings employer() {
    qm::db::DeploymentSettings s;
    s.placeName = QStringLiteral("Jasienica");
    s.employerStreet = QStringLiteral("ul. Fabryczna 7");
    s.employerPostcode = QStringLiteral("43-385 Jasienica");
    return s;
}

const QString kDateLine = QStringLiteral("Jasienica, dnia 05 październik 2020 r.");

struct Drawn {
    int pages;
    std::vector<DrawnText> texts;
};

Drawn draw(const StatementEntries& basket, const QPageSize& paper = QPageSize(QPageSize::A4)) {
    qm::printing::RecordingSurface surface;
    qm::printing::PageCanvas canvas(surface, qm::printing::pageInches(paper));
    drawStatement(canvas, basket, kDateLine, employer());
    return {surface.pageCount(), surface.texts()};
}

// One text of the page as the statement places it.
struct Expected {
    int row;
    double x;
    Align align;
    double width;
    bool bold;
    QString text;
};

// The first page of a statement that fits one page, row by row.
std::vector<Expected> onePage(const StatementEntries& basket) {
    const int n = int(basket.size());
    std::vector<Expected> page = {
        {3, 3.0, Align::Right, 4.5, false, kDateLine},
        {6, 5.0, Align::Left, 4.5, false, QStringLiteral("Do Pracodawcy:")},
        {7, 5.0, Align::Left, 4.5, true, QStringLiteral("QXR Sp. z o.o.")},
        {8, 5.0, Align::Left, 4.5, false, QStringLiteral("ul. Fabryczna 7")},
        {9, 5.0, Align::Left, 4.5, false, QStringLiteral("43-385 Jasienica")},
        {13, 4.0, Align::Centre, 0, true, QStringLiteral("OŚWIADCZENIE")},
        {16, 0.5, Align::Left, 7.0, false,
         QStringLiteral("W związku z zakupem od Pracodawcy następujących mebli:")},
        {18, 0.5, Align::Left, 3.1, true, QStringLiteral("NAZWA")},
        {18, 4.0, Align::Left, 4.5, true, QStringLiteral("ETYKIETA")},
    };
    for (int k = 1; k <= n; ++k) {
        page.push_back({18 + k, 0.5, Align::Left, 3.1, false, basket[size_t(k - 1)].first});
        page.push_back({18 + k, 4.0, Align::Left, 4.5, false, basket[size_t(k - 1)].second});
    }
    const std::vector<Expected> tail = {
        {n + 25, 0.5, Align::Left, 7.0, false, QStringLiteral("oświadczam, iż:")},
        {n + 26, 0.5, Align::Left, 7.0, false,
         QStringLiteral("- wiem, że zakupione meble nie są fabrycznie nowe i posiadają wady lub "
                        "uszkodzenia,")},
        {n + 27, 0.5, Align::Left, 7.0, false,
         QStringLiteral("- wiem, że zakupione meble są meblami poreklamacyjnymi i nie są objęte "
                        "gwarancją,")},
        {n + 28, 0.5, Align::Left, 7.0, false,
         QStringLiteral("- meble kupuję na potrzeby własne,")},
        {n + 29, 0.5, Align::Left, 7.0, false,
         QStringLiteral(
             "- zobowiązuję się do nieodsprzedania mebli osobie trzeciej, w szczególności "
             "na internetowych")},
        {n + 30, 0.5, Align::Left, 7.0, false,
         QStringLiteral("   serwisach lub portalach aukcyjnych.")},
        {n + 33, 6.2, Align::Left, 3.0, false, QStringLiteral("(czytelny podpis)")},
    };
    page.insert(page.end(), tail.begin(), tail.end());
    return page;
}

void expectPage(const Drawn& drawn, const std::vector<Expected>& expected) {
    ASSERT_EQ(drawn.texts.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const DrawnText& t = drawn.texts[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.text.toStdString());
        EXPECT_EQ(t.text.toStdString(), e.text.toStdString());
        EXPECT_EQ(t.page, 0);
        EXPECT_EQ(t.row, e.row);
        EXPECT_NEAR(t.baseline, 0.1 + 0.2 * e.row, 1e-9);
        EXPECT_DOUBLE_EQ(t.x, e.x);
        EXPECT_EQ(t.align, e.align);
        EXPECT_DOUBLE_EQ(t.width, e.width);
        EXPECT_EQ(t.bold, e.bold);
        EXPECT_EQ(t.font.toStdString(), "Arial");
        EXPECT_DOUBLE_EQ(t.size, 12);
    }
}

TEST(DrawnStatement, EveryRowColumnAndStyleForNoneOneAndSeveralEntries) {
    const std::vector<StatementEntries> baskets = {
        {},
        {{QStringLiteral("Sofa Łódź"), QStringLiteral("12/7001/01")}},
        // The same label for two articles of different names: two rows, in basket order.
        {{QStringLiteral("Sofa Łódź"), QStringLiteral("12/7001/01")},
         {QStringLiteral("Fotel Łódź"), QStringLiteral("12/7001/01")},
         {QStringLiteral("Stolik kawowy"), QStringLiteral("7002")}},
    };
    for (const StatementEntries& basket : baskets) {
        SCOPED_TRACE(basket.size());
        const Drawn drawn = draw(basket);
        EXPECT_EQ(drawn.pages, 1);
        expectPage(drawn, onePage(basket));
    }
}

TEST(DrawnStatement, ALongArticleNameIsCutAtItsColumnAndTheLabelBesideItStays) {
    const QString longName = QStringLiteral(
        "Narożnik rozkładany z funkcją spania i pojemnikiem na pościel, tkanina welur "
        "ciemnozielony");
    const QString longLabel = QString(60, QLatin1Char('W'));
    const StatementEntries basket = {{longName, QStringLiteral("12/7001/01")},
                                     {QStringLiteral("Stolik"), longLabel}};
    const Drawn drawn = draw(basket);
    const QFont font = qm::printing::reportFont(QStringLiteral("Arial"), 12);

    struct Cell {
        int index; // in drawing order
        QString full;
        double width;
    };
    for (const Cell& c : {Cell{9, longName, 3.1}, Cell{12, longLabel, 4.5}}) {
        const QString shown = drawn.texts[size_t(c.index)].text;
        SCOPED_TRACE(shown.toStdString());
        ASSERT_LT(shown.size(), c.full.size());
        EXPECT_TRUE(c.full.startsWith(shown));
        EXPECT_LE(qm::printing::textWidthInches(font, shown), c.width);
        EXPECT_GT(qm::printing::textWidthInches(font, c.full.left(shown.size() + 1)), c.width);
    }
    EXPECT_EQ(drawn.texts[10].text.toStdString(), "12/7001/01");
    EXPECT_EQ(drawn.texts[11].text.toStdString(), "Stolik");
    EXPECT_EQ(drawn.texts[10].row, 19);
    EXPECT_EQ(drawn.texts[12].row, 20);
}

TEST(DrawnStatement, DateLineNamesTheMonthInTheNominative) {
    struct Case {
        QDate date;
        const char* expected;
    };
    const Case cases[] = {
        {QDate(2020, 1, 5), "05 styczeń 2020"},    {QDate(2020, 2, 29), "29 luty 2020"},
        {QDate(2021, 3, 1), "01 marzec 2021"},     {QDate(2021, 4, 10), "10 kwiecień 2021"},
        {QDate(2021, 5, 9), "09 maj 2021"},        {QDate(2021, 6, 30), "30 czerwiec 2021"},
        {QDate(2021, 7, 31), "31 lipiec 2021"},    {QDate(2021, 8, 15), "15 sierpień 2021"},
        {QDate(2021, 9, 2), "02 wrzesień 2021"},   {QDate(2020, 10, 5), "05 październik 2020"},
        {QDate(2021, 11, 11), "11 listopad 2021"}, {QDate(2021, 12, 24), "24 grudzień 2021"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(statementDate(c.date).toStdString(), c.expected);
    EXPECT_EQ(statementDateLine(QStringLiteral("Jasienica"), QDate(2020, 10, 5)).toStdString(),
              "Jasienica, dnia 05 październik 2020 r.");
}

// A basket too long for the paper: entries go on under the repeated headings on further pages;
// the declarations and the signature follow the last entry on its page, and the last entry moves
// along when they would not fit below it.
TEST(DrawnStatement, LongBasketGoesOnOverFurtherPages) {
    struct Case {
        QPageSize::PageSizeId paper;
        int entries;
        std::vector<int> perPage; // entries listed on each page
    };
    const Case cases[] = {
        {QPageSize::A4, 0, {0}},
        {QPageSize::A4, 24, {24}},    // signature on row 57, the last that ends on A4
        {QPageSize::A4, 25, {24, 1}}, // room for the 25th entry, not for what follows it
        {QPageSize::A4, 39, {38, 1}}, // the first page would hold 39 entries alone
        {QPageSize::A4, 40, {39, 1}},
        {QPageSize::A4, 100, {39, 54, 7}}, // further pages list from row 4 to row 57
        {QPageSize::Letter, 21, {21}},     // 11 in: row 54 is the last
        {QPageSize::Letter, 22, {21, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "paper " << int(c.paper) << ", " << c.entries);
        StatementEntries basket;
        for (int i = 1; i <= c.entries; ++i)
            basket.push_back({QStringLiteral("Artykuł %1").arg(i), QStringLiteral("E-%1").arg(i)});
        const QPageSize paper(c.paper);
        const Drawn drawn = draw(basket, paper);
        const int pages = int(c.perPage.size());
        ASSERT_EQ(drawn.pages, pages);
        const double height = paper.size(QPageSize::Inch).height();

        std::vector<int> listed(size_t(pages), 0);
        int nextEntry = 1;
        std::vector<int> lastEntryRow(size_t(pages), -1);
        int declarationRow = -1, signatureRow = -1, signaturePage = -1;
        for (const DrawnText& t : drawn.texts) {
            // Nothing below the paper's edge, every row on the 0.2 in grid.
            EXPECT_LE(t.baseline + 0.04, height + 1e-9) << t.text.toStdString();
            EXPECT_NEAR(t.baseline, 0.1 + 0.2 * t.row, 1e-9) << t.text.toStdString();
            if (t.text.startsWith(QStringLiteral("Artykuł "))) {
                EXPECT_EQ(t.text, QStringLiteral("Artykuł %1").arg(nextEntry++));
                ++listed[size_t(t.page)];
                lastEntryRow[size_t(t.page)] = t.row;
            } else if (t.text == QStringLiteral("NAZWA")) {
                EXPECT_EQ(t.row, t.page == 0 ? 18 : 3);
                EXPECT_TRUE(t.bold);
            } else if (t.text == QStringLiteral("oświadczam, iż:")) {
                declarationRow = t.row;
                EXPECT_EQ(t.page, pages - 1);
            } else if (t.text == QStringLiteral("(czytelny podpis)")) {
                signatureRow = t.row;
                signaturePage = t.page;
            } else {
                // The date, the address and the title stand on the first page only.
                EXPECT_TRUE(t.page == 0 || t.text == QStringLiteral("ETYKIETA") ||
                            t.text.startsWith(QStringLiteral("E-")) ||
                            t.text.startsWith(QStringLiteral("- ")) ||
                            t.text.startsWith(QStringLiteral("   serwisach")))
                    << t.text.toStdString();
            }
        }
        EXPECT_EQ(nextEntry, c.entries + 1);
        EXPECT_EQ(listed, c.perPage);
        const int lastRow = lastEntryRow.back() >= 0 ? lastEntryRow.back() : 18;
        EXPECT_EQ(declarationRow, lastRow + 7);
        EXPECT_EQ(signatureRow, lastRow + 15);
        EXPECT_EQ(signaturePage, pages - 1);
        if (pages > 1) {
            EXPECT_EQ(lastEntryRow[1] - listed[1] + 1, 4); // further pages list from row 4
        }
    }
}

TEST(StatementPreview, HeaderAndFooterLinesExactly) {
    auto blanks = [](int n) { return std::string(size_t(n), ' '); };
    auto ellipses = [](int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += "\u2026";
        return s;
    };
    const std::vector<std::string> header = {
        blanks(82) + "Jasienica, dnia 12 października 2019 r.",
        "",
        "",
        blanks(96) + "Do Pracodawcy:",
        blanks(96) + "QXR Sp. z o.o.",
        blanks(96) + "ul. Fabryczna 7",
        blanks(96) + "43-385 Jasienica",
        "",
        "",
        blanks(18),
        blanks(64) + "OŚWIADCZENIE",
        "",
        "W związku z zakupem od Pracodawcy następujących mebli:",
    };
    const std::vector<std::string> footer = {
        "oświadczam, iż:",
        "- wiem, że zakupione meble nie są fabrycznie nowe i posiadają wady lub uszkodzenia,",
        "- wiem, że zakupione meble są meblami poreklamacyjnymi i nie są objęte gwarancją,",
        "- meble kupuję na potrzeby własne,",
        "- zobowiązuję się do nieodsprzedania mebli osobie trzeciej, w szczególności na "
        "internetowych ",
        "serwisach lub portalach aukcyjnych.",
        "",
        "",
        ellipses(16) + "." + ellipses(4) + ".." + blanks(46) + "(czytelny podpis)",
        "",
    };
    auto strings = [](const QStringList& lines) {
        std::vector<std::string> v;
        for (const QString& l : lines)
            v.push_back(l.toStdString());
        return v;
    };
    EXPECT_EQ(strings(statementPreviewHeaderLines(employer())), header);
    EXPECT_EQ(strings(statementPreviewFooterLines()), footer);

    // The document carries them on its one page, on A4 with the statement's margins and fonts.
    qm::GridTable basketView(
        {{QStringLiteral("NAZWA"), 435, false}, {QStringLiteral("ETYKIETA"), 340, false}});
    const int row = basketView.appendRow();
    basketView.setText(row, 0, QStringLiteral("Sofa Łódź"));
    basketView.setText(row, 1, QStringLiteral("12/7001/01"));
    const auto doc = statementPreviewDocument(basketView, employer());
    ASSERT_EQ(doc->pageCount(), 1);
    EXPECT_EQ(strings(doc->headerLines(0)), header);
    EXPECT_EQ(strings(doc->footerLines(0)), footer); // no page number added
    const QPageLayout layout = doc->pageLayout();
    EXPECT_EQ(layout.pageSize().id(), QPageSize::A4);
    EXPECT_EQ(layout.orientation(), QPageLayout::Portrait);
    const QMarginsF m = layout.margins(QPageLayout::Millimeter);
    EXPECT_NEAR(m.top(), 83.6, 1e-6);
    EXPECT_NEAR(m.bottom(), 59.5, 1e-6);
    EXPECT_NEAR(m.left(), 0.7, 1e-6);
    EXPECT_NEAR(m.right(), 0.7, 1e-6);
    const auto& s = doc->settings();
    EXPECT_NEAR(s.header.edgeMm, 5.8, 1e-9);
    EXPECT_NEAR(s.footer.edgeMm, 3.1, 1e-9);
    EXPECT_EQ(s.bandFamily.toStdString(), "Arial");
    EXPECT_NEAR(s.bandPoints / 72 * 96, 19, 1e-9); // 19 pixels at 96 per inch
    EXPECT_EQ(s.tableFamily.toStdString(), "Times New Roman");
    EXPECT_DOUBLE_EQ(s.tablePoints, 8);
    ASSERT_EQ(doc->columns().size(), 2u);
    EXPECT_EQ(doc->columns()[0].width, 435);
    EXPECT_EQ(doc->columns()[1].width, 340);
    EXPECT_EQ(doc->rows(), (std::vector<QStringList>{
                               {QStringLiteral("Sofa Łódź"), QStringLiteral("12/7001/01")}}));
    EXPECT_DOUBLE_EQ(doc->scale(), 1);
}

} // namespace
