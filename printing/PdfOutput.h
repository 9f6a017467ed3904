#pragma once

#include "core/Dialogs.h"

#include <QString>

namespace qm::printing {

// Writes the document as a PDF file with its fonts embedded and its title as the document title.
// An existing file is replaced. If the file cannot be written, nothing of it is left behind and
// AppError tells why.
void writePdf(const qm::PrintableDocument& document, const QString& path);

} // namespace qm::printing
