// The PDF of a grid report read back with poppler: the page settings of the kind, the title and
// "n/N" on every page, the captions on every page, column bands that lead with the first column,
// long cell texts wrapped in their row, and the empty grid.
#include "core/GridTable.h"
#include "printing/PdfOutput.h"
#include "printing/Poppler.h"
#include "reports/GridReport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

using namespace qm::reports;
using namespace qm::test;

namespace {

const QStringList kSalesCaptions{"PRACOWNIK_ID", "ETYKIETA",     "ODWO_ID", "DATA ZAKUPU",
                                 "ADRES",        "KOD_POCZTOWY", "ULICA",   "ZAKLAD"};
const int kSalesWidths[] = {85, 211, 147, 204, 179, 100, 221, 143};
const QString kLongStreet =
    QStringLiteral("ul. Generała Władysława Andersa-Sikorskiego 128 m. 44 (wejście od podwórza)");

std::unique_ptr<qm::GridTable> salesListing(int rows) {
    std::vector<qm::GridColumn> columns;
    for (int c = 0; c < kSalesCaptions.size(); ++c)
        columns.push_back({kSalesCaptions[c], kSalesWidths[c], false});
    auto g = std::make_unique<qm::GridTable>(std::move(columns));
    for (int r = 0; r < rows; ++r) {
        const int row = g->appendRow();
        g->setText(row, 0, QStringLiteral("P%1").arg(r + 1, 4, 10, QLatin1Char('0')));
        g->setText(row, 1, QStringLiteral("12/7101/%1").arg(r));
        g->setText(row, 2, QStringLiteral("O%1").arg(r + 1, 4, 10, QLatin1Char('0')));
        g->setText(row, 3, QStringLiteral("2026-12-11 10:%1").arg(r % 60, 2, 10, QLatin1Char('0')));
        g->setText(row, 4, QStringLiteral("Swarzędz"));
        g->setText(row, 5, QStringLiteral("62-020"));
        g->setText(row, 6, r == 4 ? kLongStreet : QStringLiteral("ul. Krótka 1"));
        g->setText(row, 7, QStringLiteral("Z%1").arg(r % 3 + 1));
    }
    return g;
}

// The row markers "P0001"... on a page, in order.
std::vector<int> markers(const QString& text) {
    static const QRegularExpression marker(QStringLiteral("\\bP(\\d{4})\\b"));
    std::vector<int> found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found.push_back(it.next().captured(1).toInt());
    return found;
}

// A page's text in the order it was drawn: cell after cell, the lines of a cell together.
QString drawnText(const QString& path, int page) {
    return runPoppler(QStringLiteral("pdftotext"),
                      {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                       QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                       QString::number(page), path, QStringLiteral("-")});
}

// Whether the caption is on the page; a caption wider than its column is wrapped in its cell.
bool hasCaption(const QString& text, const QString& caption) {
    QString joined = text;
    joined.remove(QRegularExpression(QStringLiteral("\\s+")));
    return joined.contains(caption.simplified().remove(QLatin1Char(' ')));
}

QString pageSize(const QString& path) {
    for (const QString& line :
         runPoppler(QStringLiteral("pdfinfo"), {path}).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Page size:")))
            return line.mid(10).trimmed();
    return {};
}

void expectEmbedded(const QString& path, const std::set<QString>& families) {
    std::set<QString> seen;
    for (const PdfFont& font : pdfFonts(path)) {
        SCOPED_TRACE(font.name.toStdString());
        EXPECT_TRUE(font.embedded);
        for (const QString& family : families)
            if (font.name.contains(family))
                seen.insert(family);
    }
    EXPECT_EQ(seen, families) << pdfFonts(path).size();
}

TEST(GridReportPdf, LongWideListingOnA4WithTitleNumbersCaptionsAndBands) {
    const int rowCount = 120;
    const auto grid = salesListing(rowCount);
    const auto doc = reportDocument(ReportKind::AllWorkersSales, *grid);
    EXPECT_DOUBLE_EQ(doc->scale(), 1);
    EXPECT_GT(doc->rowHeight(4), 1.5 * doc->rowHeight()); // the long street takes more lines
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sprzedaz.pdf"));
    qm::printing::writePdf(*doc, path);

    const int pages = pdfPages(path);
    ASSERT_EQ(pages, doc->pageCount());
    ASSERT_GT(pages, 3);
    EXPECT_EQ(pdfTitle(path).toStdString(), "QXR_Raport_sprzedazy_dla_wszystkich_pracownikow");
    EXPECT_TRUE(pageSize(path).contains(QLatin1String("A4"))) << pageSize(path).toStdString();
    expectEmbedded(path, {QStringLiteral("Tahoma")});

    // Pages come in runs of one page per column band, the bands holding the same rows.
    std::vector<int> allRows;
    std::vector<int> bandRows;
    std::set<QString> captionsOfRun;
    for (int page = 1; page <= pages; ++page) {
        SCOPED_TRACE(page);
        const QString text = drawnText(path, page);
        EXPECT_TRUE(text.contains(QStringLiteral("RAPORT SPRZEDAŻY DLA WSZYSTKICH PRACOWNIKÓW")));
        EXPECT_TRUE(text.contains(QStringLiteral("%1/%2").arg(page).arg(pages)));
        EXPECT_TRUE(hasCaption(text, QStringLiteral("PRACOWNIK_ID"))); // the first column leads
        const std::vector<int> rows = markers(text);
        EXPECT_FALSE(rows.empty());
        const auto& block = doc->pages()[size_t(page - 1)].blocks.at(0);
        for (const int c : block.columns)
            EXPECT_TRUE(hasCaption(text, kSalesCaptions[c])) << kSalesCaptions[c].toStdString();
        if (block.columns.size() > 1 && block.columns[1] == 1) { // the first band of a run
            EXPECT_EQ(captionsOfRun.size(), captionsOfRun.empty() ? 0u : 8u);
            captionsOfRun.clear();
            bandRows = rows;
            allRows.insert(allRows.end(), rows.begin(), rows.end());
        } else {
            EXPECT_EQ(rows, bandRows);
        }
        for (const int c : block.columns)
            captionsOfRun.insert(kSalesCaptions[c]);
        // The band with the street: every word of the long one.
        if (block.columns.back() == 7 && std::find(rows.begin(), rows.end(), 5) != rows.end()) {
            for (const QString& word :
                 kLongStreet.split(QRegularExpression(QStringLiteral("[ -]"))))
                EXPECT_TRUE(text.contains(word)) << word.toStdString();
        }
    }
    EXPECT_EQ(captionsOfRun.size(), 8u); // no column dropped
    std::vector<int> expected(rowCount);
    for (int r = 0; r < rowCount; ++r)
        expected[size_t(r)] = r + 1;
    EXPECT_EQ(allRows, expected);
}

TEST(GridReportPdf, EmptyGridIsOnePageWithTitleEveryCaptionAndOneOfOne) {
    const QStringList captions{"ODWO_ID",
                               "KOD",
                               "NAZWA",
                               "TKANINA_NAZWA",
                               "TKANINA_NAZWA2",
                               "NAZWA_KORPUSU",
                               "ILOSC",
                               "ARTYKUL_RODZIC_ID",
                               "QBM",
                               "CENA",
                               "CENA_Z_VAT"};
    const int widths[] = {82, 154, 195, 213, 144, 132, 48, 111, 47, 78, 83};
    std::vector<qm::GridColumn> columns;
    for (int c = 0; c < captions.size(); ++c)
        columns.push_back({captions[c], widths[c], c == 10});
    const qm::GridTable grid(std::move(columns));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("artykuly.pdf"));
    const auto doc = reportDocument(ReportKind::Articles, grid);
    ASSERT_GT(doc->pages().at(0).blocks.size(), 1u);
    qm::printing::writePdf(*doc, path);

    ASSERT_EQ(pdfPages(path), 1);
    EXPECT_EQ(pdfTitle(path).toStdString(), "QXR_Wszystkie_artykuly_znajdujace_sie_w_bazie");
    const QString text = drawnText(path, 1);
    EXPECT_TRUE(text.contains(QStringLiteral("WSZYSTKIE ARTYKUŁY ZNAJDUJĄCE SIĘ W BAZIE")));
    EXPECT_TRUE(text.contains(QLatin1String("1/1")));
    for (const QString& caption : captions)
        EXPECT_TRUE(hasCaption(text, caption)) << caption.toStdString();
    // Each band's caption row once, each led by the first column.
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("\\bODWO_ID\\b"))),
              qsizetype(doc->pages().at(0).blocks.size()));
    expectEmbedded(path, {QStringLiteral("Tahoma"), QStringLiteral("LiberationSerif")});
}

} // namespace
