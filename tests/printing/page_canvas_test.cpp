// The page-drawing layer: which faces the fonts really are, how a text is cut to its column, and
// where lines and pages start.
#include "printing/PageCanvas.h"
#include "printing/ReportFonts.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using namespace qm::printing;

namespace {

TEST(ReportFonts, AskedFamiliesAreSetInTheirMetricCompatibleFaces) {
    struct Case {
        const char* asked;
        const char* used;
    };
    for (const Case& c :
         {Case{"Arial", "Liberation Sans"}, Case{"Times New Roman", "Liberation Serif"}}) {
        SCOPED_TRACE(c.asked);
        const QFont font = reportFont(QString::fromLatin1(c.asked), 12);
        EXPECT_EQ(QFontInfo(font).family().toStdString(), c.used);
        EXPECT_DOUBLE_EQ(font.pointSizeF(), 12);
    }
    // Widths scale with the size: no hinting at any resolution.
    const QString text = QStringLiteral("Narożnik Łódź");
    EXPECT_NEAR(textWidthInches(reportFont(QStringLiteral("Arial"), 24), text),
                2 * textWidthInches(reportFont(QStringLiteral("Arial"), 12), text), 1e-3);
}

TEST(PageCanvas, TextIsCutAtTheColumnEdgeCharacterByCharacter) {
    struct Case {
        const char* what;
        QString text;
        double width;
        bool bold;
    };
    const QString longName = QStringLiteral(
        "Narożnik rozkładany z funkcją spania i pojemnikiem na pościel, tkanina welur");
    const Case cases[] = {
        {"fits: unchanged", QStringLiteral("Sofa Łódź"), 3.1, false},
        {"too long, regular", longName, 3.1, false},
        {"too long, bold cuts by the bold widths", longName, 3.1, true},
        {"narrow column", longName, 0.5, false},
        {"nothing fits", longName, 0.01, false},
        {"pairs of surrogates are never split", QStringLiteral("Fotel 😀😀😀😀😀😀😀😀😀"), 1.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingSurface surface;
        PageCanvas canvas(surface, {8.5, 11});
        canvas.setFont(QStringLiteral("Arial"), 12);
        if (c.bold)
            canvas.boldOn();
        canvas.setColumn(0.5, Align::Left, c.width);
        canvas.printInColumn(c.text);
        ASSERT_EQ(surface.texts().size(), 1u);
        const QString shown = surface.texts()[0].text;
        const QFont font = reportFont(QStringLiteral("Arial"), 12, c.bold);
        EXPECT_TRUE(c.text.startsWith(shown));
        EXPECT_FALSE(shown.endsWith(QChar(0x2026)));
        EXPECT_LE(textWidthInches(font, shown), c.width + 1e-9);
        if (shown.size() < c.text.size()) {
            // One more character would not fit.
            const qsizetype next = c.text.at(shown.size()).isHighSurrogate() ? 2 : 1;
            EXPECT_GT(textWidthInches(font, c.text.left(shown.size() + next)), c.width);
        }
        EXPECT_FALSE(!shown.isEmpty() && shown.back().isHighSurrogate());
    }
    // Bold is wider, so it keeps fewer characters than regular in the same column.
    RecordingSurface surface;
    PageCanvas canvas(surface, {8.5, 11});
    canvas.setFont(QStringLiteral("Arial"), 12);
    canvas.setColumn(0.5, Align::Left, 3.1);
    canvas.setColumn(4.0, Align::Left, 3.1);
    canvas.printInColumn(longName);
    canvas.boldOn();
    canvas.printInColumn(longName);
    EXPECT_LT(surface.texts()[1].text.size(), surface.texts()[0].text.size());
    EXPECT_TRUE(surface.texts()[1].bold);
}

TEST(PageCanvas, LinesAdvanceByTheCurrentFontAndEachPageStartsAfresh) {
    RecordingSurface surface;
    PageCanvas canvas(surface, {8.5, 11});
    // Row 0 in the default font, Arial 10: its baseline at four fifths of 1/6 in.
    EXPECT_NEAR(canvas.baseline(), 0.8 / 6, 1e-12);
    canvas.newLine(); // at 10 points: 1/6 in
    EXPECT_NEAR(canvas.baseline(), 0.3, 1e-12);
    canvas.setFont(QStringLiteral("Arial"), 12);
    for (int row = 2; row <= 50; ++row) {
        canvas.newLine(); // at 12 points: 0.2 in
        ASSERT_EQ(canvas.row(), row);
        ASSERT_NEAR(canvas.baseline(), 0.1 + 0.2 * row, 1e-9);
    }
    // Row 54 ends at 10.94 in, within 11 in; row 55 would end at 11.14 in.
    for (int row = 51; row <= 54; ++row)
        canvas.newLine();
    EXPECT_TRUE(canvas.fits());
    EXPECT_FALSE(canvas.fits(1));

    // The column walk: the next column each time, from the first after a new line; printing past
    // the last column is a fault of the caller, not a lost text.
    canvas.setColumn(0.5, Align::Left, 3);
    canvas.setColumn(7.5, Align::Right, 1);
    canvas.printInColumn(QStringLiteral("a"));
    canvas.printInColumn(QStringLiteral("b"));
    EXPECT_THROW(canvas.printInColumn(QStringLiteral("c")), std::logic_error);
    canvas.newLine();
    canvas.printInColumn(QStringLiteral("d"));
    ASSERT_EQ(surface.texts().size(), 3u);
    EXPECT_EQ(surface.texts()[1].align, Align::Right);
    EXPECT_DOUBLE_EQ(surface.texts()[2].x, 0.5);

    canvas.boldOn();
    canvas.newPage();
    EXPECT_EQ(surface.pageCount(), 2);
    EXPECT_EQ(canvas.page(), 1);
    EXPECT_EQ(canvas.row(), 0);
    EXPECT_NEAR(canvas.baseline(), 0.8 / 6, 1e-12);
    EXPECT_THROW(canvas.printInColumn(QStringLiteral("no columns on a new page")),
                 std::logic_error);
    canvas.printCentred(QStringLiteral("x"), 4);
    const DrawnText& t = surface.texts().back();
    EXPECT_EQ(t.page, 1);
    EXPECT_EQ(t.font.toStdString(), "Arial");
    EXPECT_DOUBLE_EQ(t.size, 10);
    EXPECT_FALSE(t.bold);
}

} // namespace
