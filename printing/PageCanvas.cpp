#include "PageCanvas.h"

#include "ReportFonts.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <stdexcept>

namespace qm::printing {

namespace {

// The fifth of a line that lies below the baseline.
constexpr double kBelowBaseline = 0.2;

} // namespace

PageCanvas::PageCanvas(PageSurface& surface, QSizeF pageInches)
    : surface_(surface), pageInches_(pageInches) {
    startPage();
}

void PageCanvas::startPage() {
    row_ = 0;
    family_ = defaultFamily();
    size_ = kDefaultSize;
    bold_ = false;
    columns_.clear();
    nextColumn_ = 0;
    baseline_ = (1.0 - kBelowBaseline) * lineHeight(size_);
}

void PageCanvas::newLine() {
    baseline_ += lineHeight();
    ++row_;
    nextColumn_ = 0;
}

void PageCanvas::clearColumns() {
    columns_.clear();
    nextColumn_ = 0;
}

void PageCanvas::setColumn(double position, Align align, double width) {
    columns_.push_back({position, align, width});
}

void PageCanvas::setFont(const QString& family, double size) {
    family_ = family;
    size_ = size;
}

QFont PageCanvas::currentFont() const {
    return reportFont(family_, size_, bold_);
}

bool PageCanvas::fits(int linesAhead) const {
    const double bottom = baseline_ + linesAhead * lineHeight() + kBelowBaseline * lineHeight();
    return bottom <= pageInches_.height() + 1e-9;
}

QString PageCanvas::cutToWidth(const QString& text, const QFont& font, double width) {
    QString shown = text;
    if (textWidthInches(font, shown) <= width + 1e-9)
        return shown;
    // Cut whole characters (grapheme clusters), never half of a surrogate pair or an accent.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.toEnd();
    while (!shown.isEmpty() && textWidthInches(font, shown) > width + 1e-9) {
        const qsizetype previous = finder.toPreviousBoundary();
        shown.truncate(previous < 0 ? 0 : previous);
    }
    return shown;
}

void PageCanvas::printInColumn(const QString& text) {
    if (nextColumn_ >= columns_.size())
        throw std::logic_error("PageCanvas::printInColumn: no column left on the line");
    const Column& column = columns_[nextColumn_++];
    draw(cutToWidth(text, currentFont(), column.width), column.position, column.align,
         column.width);
}

void PageCanvas::printCentred(const QString& text, double position) {
    draw(text, position, Align::Centre, 0);
}

void PageCanvas::draw(const QString& text, double x, Align align, double width) {
    surface_.drawText({page_, row_, baseline_, x, align, width, family_, size_, bold_, text});
}

void PageCanvas::newPage() {
    surface_.newPage();
    ++page_;
    startPage();
}

void moveOriginToPaperCorner(QPainter& painter, const QPagedPaintDevice& device) {
    // The painter starts at the corner of the device's paint rectangle, inside its margins.
    const int dpi = device.logicalDpiX();
    const QPageLayout layout = device.pageLayout();
    painter.translate(layout.fullRectPixels(dpi).topLeft() - layout.paintRectPixels(dpi).topLeft());
}

PainterSurface::PainterSurface(QPainter& painter, QPagedPaintDevice& device)
    : painter_(painter), device_(device) {
    moveOriginToPaperCorner(painter_, device_);
}

void PainterSurface::newPage() {
    device_.newPage();
}

void PainterSurface::drawText(const DrawnText& t) {
    const QFont font = reportFont(t.font, t.size, t.bold);
    painter_.setFont(font);
    painter_.setPen(Qt::black);
    const double dpiX = device_.logicalDpiX();
    const double dpiY = device_.logicalDpiY();
    const double advance = QFontMetricsF(font, &device_).horizontalAdvance(t.text);
    double left = t.x * dpiX;
    if (t.align == Align::Right)
        left = (t.x + t.width) * dpiX - advance;
    else if (t.align == Align::Centre)
        left = t.x * dpiX - advance / 2;
    painter_.drawText(QPointF(left, t.baseline * dpiY), t.text);
}

} // namespace qm::printing
