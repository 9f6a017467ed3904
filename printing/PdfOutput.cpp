#include "PdfOutput.h"

#include <QDir>
#include <QPdfWriter>
#include <QSaveFile>

namespace qm::printing {

void writePdf(const qm::PrintableDocument& document, const QString& path) {
    // The document goes into a temporary file beside the target, which replaces the target only
    // when it is complete: a failure leaves no half-written file, nor destroys an older one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw qm::AppError(QStringLiteral("Nie można zapisać pliku %1: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    try {
        QPdfWriter writer(&file);
        writer.setTitle(document.title());
        writer.setCreator(QStringLiteral("Vantorix"));
        writer.setPageLayout(document.pageLayout());
        document.paint(writer);
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (!file.commit())
        throw qm::AppError(QStringLiteral("Nie można zapisać pliku %1: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
}

} // namespace qm::printing
