// The paged table written as PDF and read back: headings on every page, rows in order and none
// lost, page numbers, columns too wide for one page, shrinking to one page, and file failures.
#include "Poppler.h"
#include "core/GridTable.h"
#include "printing/PagedTable.h"
#include "printing/PdfOutput.h"

#include <QDir>
#include <QFile>
#include <QPageSize>
#include <QRectF>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace qm::printing;
using namespace qm::test;

namespace {

PagedTableSettings listing(TableScaling scaling) {
    PagedTableSettings s;
    s.title = QStringLiteral("RAPORT PRÓBNY");
    s.layout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                           QMarginsF(19.5, 24.8, 19.5, 20.9), QPageLayout::Millimeter);
    s.header = {
        14.5, {QStringLiteral("RAPORT PRÓBNY")}, Qt::AlignHCenter, PageBand::Anchor::Top, false};
    s.footer = {14.5, {}, Qt::AlignHCenter, PageBand::Anchor::Bottom, true};
    s.bandFamily = QStringLiteral("Arial");
    s.bandPoints = 10;
    s.tableFamily = QStringLiteral("Times New Roman");
    s.tablePoints = 8;
    s.scaling = scaling;
    return s;
}

std::unique_ptr<qm::GridTable> grid(int rows, std::vector<qm::GridColumn> columns) {
    auto g = std::make_unique<qm::GridTable>(std::move(columns));
    for (int r = 0; r < rows; ++r) {
        const int row = g->appendRow();
        g->setText(row, 0, QStringLiteral("Wiersz-%1").arg(r + 1, 3, 10, QLatin1Char('0')));
        for (int c = 1; c < int(g->columns().size()); ++c)
            g->setText(row, c, QStringLiteral("K%1W%2").arg(c).arg(r + 1));
    }
    return g;
}

// The numbers of the "Wiersz-NNN" rows in the text, in order.
std::vector<int> rowsIn(const QString& text) {
    std::vector<int> rows;
    qsizetype at = 0;
    while ((at = text.indexOf(QLatin1String("Wiersz-"), at)) >= 0) {
        rows.push_back(text.mid(at + 7, 3).toInt());
        at += 10;
    }
    return rows;
}

class PagedTableTest : public ::testing::Test {
protected:
    QString write(const PagedTableDocument& document, const QString& name) {
        const QString path = dir_.filePath(name);
        writePdf(document, path);
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(PagedTableTest, LongTableRepeatsItsHeadingsAndNumbersItsPages) {
    const auto g = grid(
        150, {{QStringLiteral("NAZWA"), 435, false}, {QStringLiteral("ETYKIETA"), 200, false}});
    const auto doc = PagedTableDocument::fromGrid(listing(TableScaling::Actual), *g);
    ASSERT_GT(doc->pageCount(), 1);
    EXPECT_DOUBLE_EQ(doc->scale(), 1);
    const QString path = write(*doc, QStringLiteral("long.pdf"));

    ASSERT_EQ(pdfPages(path), doc->pageCount());
    EXPECT_EQ(pdfTitle(path).toStdString(), "RAPORT PRÓBNY");
    std::vector<int> seen;
    for (int page = 1; page <= doc->pageCount(); ++page) {
        SCOPED_TRACE(page);
        const QString text = pdfText(path, page);
        EXPECT_EQ(text.count(QLatin1String("NAZWA")), 1);
        EXPECT_EQ(text.count(QLatin1String("ETYKIETA")), 1);
        EXPECT_TRUE(text.contains(QStringLiteral("RAPORT PRÓBNY")));
        EXPECT_TRUE(text.contains(QStringLiteral("%1/%2").arg(page).arg(doc->pageCount())));
        const std::vector<int> rows = rowsIn(text);
        EXPECT_FALSE(rows.empty());
        seen.insert(seen.end(), rows.begin(), rows.end());
    }
    std::vector<int> all(150);
    for (int i = 0; i < 150; ++i)
        all[size_t(i)] = i + 1;
    EXPECT_EQ(seen, all);
    for (const PdfFont& font : pdfFonts(path)) {
        SCOPED_TRACE(font.name.toStdString());
        EXPECT_TRUE(font.embedded);
        EXPECT_TRUE(font.name.startsWith(QLatin1String("Liberation")));
    }
}

TEST_F(PagedTableTest, ColumnsWiderThanThePageGoOnInBandsThatRepeatTheFirstColumn) {
    // 171 mm of printable width hold about 646 pixels: three columns of 300 make two bands, the
    // second one led by the first column again.
    const auto g = grid(10, {{QStringLiteral("PIERWSZA"), 300, false},
                             {QStringLiteral("DRUGA"), 300, false},
                             {QStringLiteral("TRZECIA"), 300, false}});
    const auto doc = PagedTableDocument::fromGrid(listing(TableScaling::Actual), *g);
    ASSERT_EQ(doc->pageCount(), 2);
    EXPECT_EQ(doc->pages()[0].blocks.at(0).columns, (std::vector<int>{0, 1}));
    EXPECT_EQ(doc->pages()[1].blocks.at(0).columns, (std::vector<int>{0, 2}));
    const QString path = write(*doc, QStringLiteral("wide.pdf"));
    const QString first = pdfText(path, 1);
    const QString second = pdfText(path, 2);
    EXPECT_TRUE(first.contains(QLatin1String("DRUGA")));
    EXPECT_FALSE(first.contains(QLatin1String("TRZECIA")));
    EXPECT_TRUE(second.contains(QLatin1String("PIERWSZA")));
    EXPECT_TRUE(second.contains(QLatin1String("TRZECIA")));
    EXPECT_TRUE(second.contains(QLatin1String("K2W10")));
    EXPECT_FALSE(second.contains(QLatin1String("K1W10")));
    EXPECT_EQ(rowsIn(first), rowsIn(second));
}

TEST_F(PagedTableTest, FitToOnePageShrinksOnlyWhatDoesNotFit) {
    struct Case {
        int rows;
        int width;
        bool shrinks;
    };
    for (const Case& c : {Case{3, 400, false}, Case{400, 400, true}, Case{3, 1200, true}}) {
        SCOPED_TRACE(c.rows);
        const auto g = grid(c.rows, {{QStringLiteral("NAZWA"), c.width, false},
                                     {QStringLiteral("ETYKIETA"), 100, false}});
        const auto doc = PagedTableDocument::fromGrid(listing(TableScaling::FitToOnePage), *g);
        ASSERT_EQ(doc->pageCount(), 1);
        const QRectF area = doc->pageLayout().paintRect(QPageLayout::Inch);
        const double width = (c.width + 100) / 96.0 * doc->scale();
        const double height = (c.rows + 1) * doc->rowHeight() * doc->scale();
        EXPECT_LE(width, area.width() + 1e-9);
        EXPECT_LE(height, area.height() + 1e-9);
        if (c.shrinks)
            EXPECT_LT(doc->scale(), 1);
        else
            EXPECT_DOUBLE_EQ(doc->scale(), 1);
        if (c.rows == 400) {
            const QString path = write(*doc, QStringLiteral("fit.pdf"));
            EXPECT_EQ(pdfPages(path), 1);
            EXPECT_EQ(rowsIn(pdfText(path)).size(), 400u);
        }
    }
}

TEST_F(PagedTableTest, AFileThatCannotBeWrittenLeavesNothingAndKeepsTheOldOne) {
    const auto g = grid(2, {{QStringLiteral("NAZWA"), 100, false}});
    const auto doc = PagedTableDocument::fromGrid(listing(TableScaling::Actual), *g);
    const QString missing = dir_.filePath(QStringLiteral("brak/raport.pdf"));
    try {
        writePdf(*doc, missing);
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const qm::AppError& e) {
        EXPECT_TRUE(e.text().contains(QLatin1String("raport.pdf"))) << e.text().toStdString();
    }
    EXPECT_FALSE(QFile::exists(missing));

    // Replacing a file works through a temporary one; the old file goes only when the new one
    // is complete.
    const QString path = write(*doc, QStringLiteral("raport.pdf"));
    const auto bigger = PagedTableDocument::fromGrid(
        listing(TableScaling::Actual), *grid(90, {{QStringLiteral("NAZWA"), 100, false}}));
    writePdf(*bigger, path);
    EXPECT_EQ(rowsIn(pdfText(path)).size(), 90u);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 1);
}

} // namespace
