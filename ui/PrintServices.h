#pragma once

#include "core/Dialogs.h"

#include <QPageSize>
#include <optional>

class QWidget;

namespace qm::ui {

// The output dialog of a report: on-screen preview (the default), printer or PDF file, and the
// number of copies. Nothing when cancelled. The printer choice is offered only when a printer is
// installed.
std::optional<qm::ReportOutput> chooseReportOutputDialog(QWidget* parent, const QString& title);

// The modal print preview of the document; it can print (through the print dialog) and save as
// PDF, the file chosen and a failure reported through the dialogs. Returns when it is closed.
void showPrintPreview(QWidget* parent, const qm::PrintableDocument& document, qm::Dialogs& dialogs);

// Prints the document on the default printer in that many copies. Throws qm::AppError when no
// printer is installed or the printer fails.
void printDocument(QWidget* parent, const qm::PrintableDocument& document, int copies);

// The progress window: shown by the first call, updated by each call, closed when done reaches
// total.
void showProgress(QWidget* parent, const QString& text, int done, int total);

// The default printer's default paper; 8.5 x 11 in (Letter) when no printer is installed.
QPageSize defaultPaperSize();

} // namespace qm::ui
