#include "PagedTable.h"

#include "PageCanvas.h"
#include "ReportFonts.h"
#include "core/GridTable.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace qm::printing {

namespace {

constexpr double kPixel = 1.0 / 96.0;       // inches
constexpr double kCellPadding = 2 * kPixel; // inside each cell, on every side
constexpr double kRulePoints = 0.5;         // width of the cell borders
constexpr double kMm = 1.0 / 25.4;          // inches
constexpr double kEpsilon = 1e-9;

} // namespace

PagedTableDocument::PagedTableDocument(PagedTableSettings settings,
                                       std::vector<TableColumn> columns,
                                       std::vector<QStringList> rows)
    : settings_(std::move(settings)), columns_(std::move(columns)), rows_(std::move(rows)) {
    rowHeight_ = lineSpacingInches(reportFont(settings_.tableFamily, settings_.tablePoints)) +
                 2 * kCellPadding;
    measure();
    paginate();
}

std::unique_ptr<PagedTableDocument> PagedTableDocument::fromGrid(PagedTableSettings settings,
                                                                 const qm::GridTable& grid) {
    std::vector<int> order(size_t(grid.rows()));
    for (int r = 0; r < grid.rows(); ++r)
        order[size_t(r)] = r;
    return fromGrid(std::move(settings), grid, order);
}

std::unique_ptr<PagedTableDocument> PagedTableDocument::fromGrid(PagedTableSettings settings,
                                                                 const qm::GridTable& grid,
                                                                 const std::vector<int>& order) {
    std::vector<TableColumn> columns;
    for (const GridColumn& c : grid.columns())
        columns.push_back({c.caption, c.width, c.numeric});
    std::vector<QStringList> rows;
    rows.reserve(order.size());
    for (const int r : order) {
        QStringList cells;
        cells.reserve(qsizetype(columns.size()));
        for (int c = 0; c < int(columns.size()); ++c)
            cells << grid.text(r, c);
        rows.push_back(std::move(cells));
    }
    return std::make_unique<PagedTableDocument>(std::move(settings), std::move(columns),
                                                std::move(rows));
}

double PagedTableDocument::columnWidth(int column) const {
    const int px = columns_[size_t(column)].width;
    return (px > 0 ? px : TableColumn::kDefaultWidth) * kPixel;
}

void PagedTableDocument::report(int done) const {
    if (settings_.progress)
        settings_.progress(std::min(done, PagedTableSettings::kProgressTotal),
                           PagedTableSettings::kProgressTotal);
}

double PagedTableDocument::cellHeight(const QString& text, int column) const {
    if (text.isEmpty())
        return rowHeight_;
    const QFont font = reportFont(settings_.tableFamily, settings_.tablePoints);
    const qsizetype lines = wrapToWidth(font, text, columnWidth(column) - 2 * kCellPadding).size();
    return std::max<qsizetype>(lines, 1) * (rowHeight_ - 2 * kCellPadding) + 2 * kCellPadding;
}

void PagedTableDocument::measure() {
    const int columnCount = int(columns_.size());
    headingHeight_ = rowHeight_;
    for (int c = 0; c < columnCount; ++c)
        headingHeight_ = std::max(headingHeight_, cellHeight(columns_[size_t(c)].caption, c));
    rowHeights_.assign(rows_.size(), rowHeight_);
    const int rowCount = int(rows_.size());
    const int half = PagedTableSettings::kProgressTotal / 2;
    for (int r = 0; r < rowCount; ++r) {
        const QStringList& cells = rows_[size_t(r)];
        double height = rowHeight_;
        for (int c = 0; c < columnCount && c < cells.size(); ++c)
            height = std::max(height, cellHeight(cells[c], c));
        rowHeights_[size_t(r)] = height;
        if (r % 256 == 255)
            report(int(qint64(half) * (r + 1) / rowCount));
    }
    report(half);
}

std::vector<std::vector<int>> PagedTableDocument::columnBands(double width) const {
    const int columnCount = int(columns_.size());
    std::vector<std::vector<int>> bands;
    for (int c = 0; c < columnCount;) {
        std::vector<int> band;
        double used = 0;
        // Every band after the first starts with the first column again, when both fit.
        if (c > 0 && columnWidth(0) + columnWidth(c) <= width + kEpsilon) {
            band.push_back(0);
            used = columnWidth(0);
        }
        // A column wider than the page is a band of its own.
        while (c < columnCount && (band.empty() || used + columnWidth(c) <= width + kEpsilon)) {
            used += columnWidth(c);
            band.push_back(c++);
        }
        bands.push_back(std::move(band));
    }
    if (bands.empty())
        bands.emplace_back();
    return bands;
}

void PagedTableDocument::paginate() {
    const QRectF area = settings_.layout.paintRect(QPageLayout::Inch);
    const int rowCount = int(rows_.size());
    const int columnCount = int(columns_.size());
    pages_.clear();

    if (settings_.scaling == TableScaling::FitToOnePage) {
        double width = 0;
        for (int c = 0; c < columnCount; ++c)
            width += columnWidth(c);
        double height = headingHeight_;
        for (const double h : rowHeights_)
            height += h;
        scale_ = 1;
        if (width > 0)
            scale_ = std::min(scale_, area.width() / width);
        scale_ = std::min(scale_, area.height() / height);
        std::vector<int> all(static_cast<size_t>(columnCount));
        for (int c = 0; c < columnCount; ++c)
            all[size_t(c)] = c;
        pages_.push_back({{{0, rowCount, std::move(all)}}});
        return;
    }

    scale_ = 1;
    const std::vector<std::vector<int>> bands = columnBands(area.width());
    if (rowCount == 0) {
        Page page;
        for (const std::vector<int>& band : bands)
            page.blocks.push_back({0, 0, band});
        pages_.push_back(std::move(page));
        return;
    }
    // The rows a page holds under its heading row; a row higher than the page is alone on it.
    for (int row = 0; row < rowCount;) {
        double used = headingHeight_;
        int end = row;
        while (end < rowCount &&
               (end == row || used + rowHeights_[size_t(end)] <= area.height() + kEpsilon))
            used += rowHeights_[size_t(end++)];
        for (const std::vector<int>& band : bands)
            pages_.push_back({{{row, end - row, band}}});
        row = end;
    }
}

QStringList PagedTableDocument::bandLines(const PageBand& band, int page) const {
    QStringList lines = band.lines;
    if (band.pageNumber)
        lines << QStringLiteral("%1/%2").arg(page + 1).arg(pageCount());
    return lines;
}

void PagedTableDocument::paint(QPagedPaintDevice& device) const {
    QPainter painter;
    if (!painter.begin(&device))
        throw qm::AppError(QStringLiteral("Nie można rozpocząć drukowania dokumentu."));
    moveOriginToPaperCorner(painter, device);
    const double dpiX = device.logicalDpiX();
    const double dpiY = device.logicalDpiY();
    auto point = [&](double x, double y) { return QPointF(x * dpiX, y * dpiY); };
    auto rect = [&](double x, double y, double w, double h) {
        return QRectF(point(x, y), point(x + w, y + h));
    };

    const QSizeF paper = settings_.layout.fullRect(QPageLayout::Inch).size();
    const QRectF area = settings_.layout.paintRect(QPageLayout::Inch);
    const QFont bandFont = reportFont(settings_.bandFamily, settings_.bandPoints);
    const QFontMetricsF bandMetrics(bandFont, &device);
    const double bandAscent = bandMetrics.ascent() / dpiY;
    const double bandDescent = bandMetrics.descent() / dpiY;
    const double bandSpacing = lineSpacingInches(bandFont);

    auto drawBand = [&](const PageBand& band, int page, double top, double bottom) {
        const QStringList lines = bandLines(band, page);
        double baseline = top + bandAscent;
        if (band.anchor == PageBand::Anchor::Bottom)
            baseline = bottom - bandDescent - (lines.size() - 1) * bandSpacing;
        painter.setFont(bandFont);
        painter.setPen(Qt::black);
        for (const QString& line : lines) {
            double x = area.left() * dpiX;
            if (band.alignment == Qt::AlignHCenter)
                x = (area.left() + area.width() / 2) * dpiX -
                    bandMetrics.horizontalAdvance(line) / 2;
            painter.drawText(QPointF(x, baseline * dpiY), line);
            baseline += bandSpacing;
        }
    };

    const QFont tableFont = reportFont(settings_.tableFamily, settings_.tablePoints * scale_);
    // Lines are broken at full scale, where the rows were measured; the text scales with the
    // columns, so the same breaks hold.
    const QFont measuringFont = reportFont(settings_.tableFamily, settings_.tablePoints);
    const double padding = kCellPadding * scale_;
    const double lineHeight = (rowHeight_ - 2 * kCellPadding) * scale_;
    const double ascent = ascentInches(tableFont);
    const QFontMetricsF tableMetrics(tableFont, &device);
    QPen rule(QColor(96, 96, 96));
    rule.setWidthF(kRulePoints / 72.0 * dpiX * std::max(scale_, 0.25));

    auto drawCell = [&](double x, double y, int column, double height, const QString& text,
                        bool heading) {
        const double w = columnWidth(column) * scale_;
        const QRectF cell = rect(x, y, w, height);
        if (heading)
            painter.fillRect(cell, QColor(224, 224, 224));
        painter.setPen(rule);
        painter.drawRect(cell);
        if (text.isEmpty())
            return;
        painter.setPen(Qt::black);
        const bool right = !heading && columns_[size_t(column)].alignRight;
        const QStringList lines =
            wrapToWidth(measuringFont, text, columnWidth(column) - 2 * kCellPadding);
        // One line sits in the middle of the row; several fill it from the top.
        double baseline = y + (height - lines.size() * lineHeight) / 2 + ascent;
        for (const QString& line : lines) {
            double left = (x + padding) * dpiX;
            if (right)
                left = (x + w - padding) * dpiX - tableMetrics.horizontalAdvance(line);
            painter.drawText(QPointF(left, baseline * dpiY), line);
            baseline += lineHeight;
        }
    };

    const int half = PagedTableSettings::kProgressTotal / 2;
    for (int p = 0; p < pageCount(); ++p) {
        if (p > 0 && !device.newPage())
            throw qm::AppError(QStringLiteral("Nie można rozpocząć nowej strony dokumentu."));
        drawBand(settings_.header, p, settings_.header.edgeMm * kMm, area.top());
        drawBand(settings_.footer, p, area.bottom(),
                 paper.height() - settings_.footer.edgeMm * kMm);

        painter.setFont(tableFont);
        double y = area.top();
        for (const Block& block : pages_[size_t(p)].blocks) {
            const double heading = headingHeight_ * scale_;
            double x = area.left();
            for (const int c : block.columns) {
                drawCell(x, y, c, heading, columns_[size_t(c)].caption, true);
                x += columnWidth(c) * scale_;
            }
            y += heading;
            for (int r = block.firstRow; r < block.firstRow + block.rowCount; ++r) {
                const double height = rowHeights_[size_t(r)] * scale_;
                x = area.left();
                const QStringList& cells = rows_[size_t(r)];
                for (const int c : block.columns) {
                    drawCell(x, y, c, height, c < cells.size() ? cells[c] : QString(), false);
                    x += columnWidth(c) * scale_;
                }
                y += height;
            }
            y += rowHeight_ * scale_; // a blank line between blocks on one page
        }
        report(half + int(qint64(half) * (p + 1) / pageCount()));
    }
    painter.end();
}

} // namespace qm::printing
