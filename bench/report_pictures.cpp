// The sales report of the demo database as a PDF, for the pictures in docs/: every recorded sale
// listed as the report tab lists it, written as the report output writes it:
//   report-pictures OUTPUT_DIR
// giving OUTPUT_DIR/raport.pdf.
#include "BenchSupport.h"
#include "core/GridTable.h"
#include "db/Catalogue.h"
#include "printing/PdfOutput.h"
#include "reports/GridReport.h"
#include "reports/SalesListing.h"
#include "support/MemorySalesReportControls.h"
#include "support/TestDatabase.h"
#include "workers/WorkerDirectory.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: report-pictures OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    try {
        qm::test::TestDatabase db(QStringLiteral("report-pictures"), true);
        qm::db::Connection connection(db.settings());
        qm::db::Catalogue catalogue(connection);
        connection.open();
        qm::bench::YesDialogs dialogs;
        qm::workers::WorkerDirectory directory;
        directory.load(catalogue, dialogs);
        qm::test::MemorySalesReportControls controls;
        qm::GridTable grid(qm::reports::SalesListing::listingColumns());
        qm::reports::SalesListing listing(dialogs, catalogue, directory, controls, grid);
        listing.cxReportForSellsTabSheetShow();
        controls.radio = qm::test::MemorySalesReportControls::Radio::AllSells;
        listing.AllSellsRadioButtonClick();
        const auto document =
            qm::reports::reportDocument(qm::reports::ReportKind::AllWorkersSales, grid);
        qm::printing::writePdf(*document, out.filePath(QStringLiteral("raport.pdf")));
        std::printf("%d rows on %d pages\n", grid.rows(), document->pageCount());
    } catch (const qm::Error& e) {
        std::fprintf(stderr, "%s\n", e.text().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
