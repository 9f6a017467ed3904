#include "DrawnDocument.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace qm::printing {

DrawnDocument::DrawnDocument(QString title, QPageSize paper, int pageCount,
                             std::vector<DrawnText> texts)
    : title_(std::move(title)), paper_(std::move(paper)), pageCount_(pageCount),
      texts_(std::move(texts)) {}

QPageLayout DrawnDocument::pageLayout() const {
    return QPageLayout(paper_, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
}

void DrawnDocument::paint(QPagedPaintDevice& device) const {
    QPainter painter;
    if (!painter.begin(&device))
        throw qm::AppError(QStringLiteral("Nie można rozpocząć drukowania dokumentu."));
    PainterSurface surface(painter, device);
    int page = 0;
    for (const DrawnText& text : texts_) {
        for (; page < text.page; ++page)
            surface.newPage();
        surface.drawText(text);
    }
    for (; page + 1 < pageCount_; ++page)
        surface.newPage();
    painter.end();
}

QSizeF pageInches(const QPageSize& paper) {
    return paper.size(QPageSize::Inch);
}

} // namespace qm::printing
