#pragma once

#include "core/Dialogs.h"

#include <QString>
#include <functional>
#include <memory>

namespace qm::printing {

// The filter of every PDF save dialog, in the seam's "description|patterns" form.
inline const QString kPdfFilter = QStringLiteral("PDF Document (*.pdf)|*.pdf;");

// Asks where a PDF goes through the save dialog, suggesting the name (without extension) in the
// working directory; an empty text when cancelled.
QString askPdfPath(Dialogs& dialogs, const QString& suggestedName);

// The road of a printed document: the question (stop on anything but "TAK"), the output dialog
// (preview, printer or PDF file, and copies; stop when cancelled), for a file the save dialog
// (stop when cancelled), then the document generated with the modal progress shown, and handed
// over. A failure of the generation or of the writing is thrown, the progress closed first.
void printDocumentRoad(Dialogs& dialogs, const QString& question, const QString& outputTitle,
                       const QString& progressText, const QString& suggestedFileName,
                       const std::function<std::unique_ptr<PrintableDocument>()>& generate);

} // namespace qm::printing
