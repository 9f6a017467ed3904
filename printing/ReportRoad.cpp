#include "ReportRoad.h"

#include "PdfOutput.h"

#include <QDir>
#include <algorithm>

namespace qm::printing {

QString askPdfPath(Dialogs& dialogs, const QString& suggestedName) {
    return dialogs.saveFile(QDir::currentPath(), kPdfFilter, suggestedName);
}

void printDocumentRoad(Dialogs& dialogs, const QString& question, const QString& outputTitle,
                       const QString& progressText, const QString& suggestedFileName,
                       const std::function<std::unique_ptr<PrintableDocument>()>& generate) {
    if (!askYesNo(dialogs, question))
        return;
    const std::optional<ReportOutput> output = dialogs.chooseReportOutput(outputTitle);
    if (!output)
        return;
    QString path;
    if (output->destination == ReportOutput::Destination::File) {
        path = askPdfPath(dialogs, suggestedFileName);
        if (path.isEmpty())
            return;
    }

    std::unique_ptr<PrintableDocument> document;
    {
        const ProgressScope progress(dialogs, progressText);
        document = generate();
    }

    switch (output->destination) {
    case ReportOutput::Destination::Preview:
        dialogs.printPreview(*document);
        break;
    case ReportOutput::Destination::Printer:
        dialogs.print(*document, std::max(1, output->copies));
        break;
    case ReportOutput::Destination::File:
        writePdf(*document, path);
        break;
    }
}

} // namespace qm::printing
