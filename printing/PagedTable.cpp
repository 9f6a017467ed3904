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
    paginate();
}

std::unique_ptr<PagedTableDocument> PagedTableDocument::fromGrid(PagedTableSettings settings,
                                                                 const qm::GridTable& grid) {
    std::vector<TableColumn> columns;
    for (const GridColumn& c : grid.columns())
        columns.push_back({c.caption, c.width, c.numeric});
    std::vector<QStringList> rows;
    rows.reserve(size_t(grid.rows()));
    for (int r = 0; r < grid.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < int(columns.size()); ++c)
            cells << grid.text(r, c);
        rows.push_back(cells);
    }
    return std::make_unique<PagedTableDocument>(std::move(settings), std::move(columns),
                                                std::move(rows));
}

double PagedTableDocument::columnWidth(int column) const {
    const int px = columns_[size_t(column)].width;
    return (px > 0 ? px : TableColumn::kDefaultWidth) * kPixel;
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
        const double height = (rowCount + 1) * rowHeight_;
        scale_ = 1;
        if (width > 0)
            scale_ = std::min(scale_, area.width() / width);
        scale_ = std::min(scale_, area.height() / height);
        pages_.push_back({0, rowCount, 0, columnCount});
        return;
    }

    scale_ = 1;
    // Columns in parts that fit the printable width; a column wider than that is a part alone.
    std::vector<std::pair<int, int>> parts;
    for (int c = 0; c < columnCount;) {
        int end = c;
        double width = 0;
        while (end < columnCount &&
               (end == c || width + columnWidth(end) <= area.width() + kEpsilon))
            width += columnWidth(end++);
        parts.emplace_back(c, end - c);
        c = end;
    }
    if (parts.empty())
        parts.emplace_back(0, 0);
    const int perPage =
        std::max(1, int(std::floor((area.height() - rowHeight_) / rowHeight_ + kEpsilon)));
    for (const auto& [first, count] : parts) {
        int row = 0;
        do {
            const int take = std::min(perPage, rowCount - row);
            pages_.push_back({row, take, first, count});
            row += take;
        } while (row < rowCount);
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
    const double rowHeight = rowHeight_ * scale_;
    const double padding = kCellPadding * scale_;
    QPen rule(QColor(96, 96, 96));
    rule.setWidthF(kRulePoints / 72.0 * dpiX * std::max(scale_, 0.25));

    auto drawCell = [&](double x, double y, double w, const QString& text, bool right,
                        bool heading) {
        const QRectF cell = rect(x, y, w, rowHeight);
        if (heading)
            painter.fillRect(cell, QColor(224, 224, 224));
        painter.setPen(rule);
        painter.drawRect(cell);
        painter.save();
        painter.setClipRect(cell);
        painter.setPen(Qt::black);
        painter.drawText(rect(x + padding, y, w - 2 * padding, rowHeight),
                         int(right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter |
                             Qt::TextSingleLine,
                         text);
        painter.restore();
    };

    for (int p = 0; p < pageCount(); ++p) {
        if (p > 0 && !device.newPage())
            throw qm::AppError(QStringLiteral("Nie można rozpocząć nowej strony dokumentu."));
        drawBand(settings_.header, p, settings_.header.edgeMm * kMm, area.top());
        drawBand(settings_.footer, p, area.bottom(),
                 paper.height() - settings_.footer.edgeMm * kMm);

        const Page& page = pages_[size_t(p)];
        painter.setFont(tableFont);
        double y = area.top();
        double x = area.left();
        for (int c = page.firstColumn; c < page.firstColumn + page.columnCount; ++c) {
            const double w = columnWidth(c) * scale_;
            drawCell(x, y, w, columns_[size_t(c)].caption, false, true);
            x += w;
        }
        for (int r = page.firstRow; r < page.firstRow + page.rowCount; ++r) {
            y += rowHeight;
            x = area.left();
            const QStringList& cells = rows_[size_t(r)];
            for (int c = page.firstColumn; c < page.firstColumn + page.columnCount; ++c) {
                const double w = columnWidth(c) * scale_;
                drawCell(x, y, w, c < cells.size() ? cells[c] : QString(),
                         columns_[size_t(c)].alignRight, false);
                x += w;
            }
        }
    }
    painter.end();
}

} // namespace qm::printing
