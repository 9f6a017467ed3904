#pragma once

#include "PageCanvas.h"
#include "core/Dialogs.h"

#include <QPageSize>
#include <vector>

namespace qm::printing {

// Pages drawn on a PageCanvas, kept as their texts, that a preview can show and a printer or a PDF
// writer can render. Portrait, all four margins 0.
class DrawnDocument : public qm::PrintableDocument {
public:
    DrawnDocument(QString title, QPageSize paper, int pageCount, std::vector<DrawnText> texts);

    QString title() const override { return title_; }
    QPageLayout pageLayout() const override;
    void paint(QPagedPaintDevice& device) const override;

    int pageCount() const { return pageCount_; }
    const std::vector<DrawnText>& texts() const { return texts_; }

private:
    QString title_;
    QPageSize paper_;
    int pageCount_;
    std::vector<DrawnText> texts_;
};

// The page size in inches.
QSizeF pageInches(const QPageSize& paper);

} // namespace qm::printing
