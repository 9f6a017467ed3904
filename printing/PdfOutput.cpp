#include "PdfOutput.h"

#include "FileOutput.h"

#include <QPdfWriter>

namespace qm::printing {

void writePdf(const qm::PrintableDocument& document, const QString& path) {
    writeFileAtomically(path, [&](QIODevice& file) {
        QPdfWriter writer(&file);
        writer.setTitle(document.title());
        writer.setCreator(QStringLiteral("Vantorix"));
        writer.setPageLayout(document.pageLayout());
        document.paint(writer);
    });
}

} // namespace qm::printing
