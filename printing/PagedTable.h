#pragma once

#include "core/Dialogs.h"

#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace qm {
class GridTable;
}

namespace qm::printing {

struct TableColumn {
    QString caption;
    int width = 0; // pixels at 96 per inch; 0 for the default width
    bool alignRight = false;

    static constexpr int kDefaultWidth = 64;
};

// The lines printed in a page's header area (from `edgeMm` below the top edge down to the top
// margin) or footer area (from the bottom margin down to `edgeMm` above the bottom edge).
struct PageBand {
    enum class Anchor { Top, Bottom };
    double edgeMm = 0;
    QStringList lines;
    Qt::AlignmentFlag alignment = Qt::AlignLeft; // AlignLeft or AlignHCenter
    Anchor anchor = Anchor::Top; // lines from the area's top, or ending at its bottom
    bool pageNumber = false;     // appends the line "page/pages", e.g. "2/5"
};

enum class TableScaling {
    // Columns keep their widths; rows and columns go on over as many pages as needed.
    Actual,
    // The whole table is shrunk (never enlarged) to fit one page, across and down.
    FitToOnePage,
};

struct PagedTableSettings {
    QString title; // the document's title
    // Paper and orientation; the margins run from the page's edges to the table.
    QPageLayout layout;
    PageBand header;
    PageBand footer;
    QString bandFamily = QStringLiteral("Arial");
    double bandPoints = 10;
    QString tableFamily = QStringLiteral("Times New Roman");
    double tablePoints = 8;
    TableScaling scaling = TableScaling::Actual;
    // Told now and then how far the measuring of the rows and the painting of the pages is:
    // done of total, total being kProgressTotal.
    std::function<void(int done, int total)> progress;
    static constexpr int kProgressTotal = 1000;
};

// A table printed on pages: the row of column headings at the top of the table on every page,
// then as many rows as the page holds, with text lines in the header and footer areas. A cell
// text wider than its column goes on over further lines of its row; a row is as high as its
// highest cell, and is never split over two pages.
//
// At full scale, columns that do not fit the printable width go on in column bands: the rows of
// a page are printed band after band, each band on a page of its own, every band after the first
// starting with the first column again so that a row can be followed across the pages. A table
// with no rows is one page with the heading row of every band, one below the other.
class PagedTableDocument : public qm::PrintableDocument {
public:
    PagedTableDocument(PagedTableSettings settings, std::vector<TableColumn> columns,
                       std::vector<QStringList> rows);
    // The grid's columns and its rows in grid order, each cell as the grid shows it.
    static std::unique_ptr<PagedTableDocument> fromGrid(PagedTableSettings settings,
                                                        const qm::GridTable& grid);
    // The same with the grid's rows in the given order (rows of the grid, e.g. as displayed).
    static std::unique_ptr<PagedTableDocument>
    fromGrid(PagedTableSettings settings, const qm::GridTable& grid, const std::vector<int>& order);

    QString title() const override { return settings_.title; }
    QPageLayout pageLayout() const override { return settings_.layout; }
    void paint(QPagedPaintDevice& device) const override;

    // Rows of the table under one heading row, in some of its columns.
    struct Block {
        int firstRow = 0;
        int rowCount = 0;
        std::vector<int> columns; // in print order
    };
    // One block; or, for a table without rows, the heading row of each band.
    struct Page {
        std::vector<Block> blocks;
    };
    const std::vector<Page>& pages() const { return pages_; }
    int pageCount() const { return int(pages_.size()); }
    // The factor every size of the table is printed at (1 at full scale).
    double scale() const { return scale_; }
    // Height of a row of one line at full scale, in inches.
    double rowHeight() const { return rowHeight_; }
    // Height of the heading row, and of a row of the table, at full scale, in inches.
    double headingHeight() const { return headingHeight_; }
    double rowHeight(int row) const { return rowHeights_[size_t(row)]; }
    // Width of a column at full scale, in inches.
    double columnWidth(int column) const;

    QStringList headerLines(int page) const { return bandLines(settings_.header, page); }
    QStringList footerLines(int page) const { return bandLines(settings_.footer, page); }
    const PagedTableSettings& settings() const { return settings_; }
    const std::vector<TableColumn>& columns() const { return columns_; }
    const std::vector<QStringList>& rows() const { return rows_; }

private:
    void measure();
    void paginate();
    std::vector<std::vector<int>> columnBands(double width) const;
    double cellHeight(const QString& text, int column) const;
    QStringList bandLines(const PageBand& band, int page) const;
    void report(int done) const;

    PagedTableSettings settings_;
    std::vector<TableColumn> columns_;
    std::vector<QStringList> rows_;
    std::vector<Page> pages_;
    double scale_ = 1;
    double rowHeight_ = 0;
    double headingHeight_ = 0;
    std::vector<double> rowHeights_;
};

} // namespace qm::printing
