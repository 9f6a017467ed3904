#pragma once

#include "printing/PagedTable.h"

#include <QString>
#include <memory>

namespace qm {
class Dialogs;
class GridTable;
} // namespace qm

namespace qm::reports {

// What a grid is written as: the sales listing in each of its three modes, the import error
// list and the article list. None stands for a sales listing with no mode chosen.
enum class ReportKind {
    None,
    AllWorkersSales,
    WorkerSales,
    DateRangeSales,
    ImportErrors,
    Articles,
};

// The kind of the sales listing from its three radio buttons ("Wszyscy", "ID Pracownika",
// "Zakres dat (od - do)"); None when none is checked.
ReportKind salesReportKind(bool allSellsChecked, bool workerIdChecked, bool dateRangeChecked);

// Printed at the head of every page of the kind's PDF.
QString reportTitle(ReportKind kind);
// The PDF's suggested file name and document title, and the CSV file's name before ".csv".
QString reportName(ReportKind kind);

// A4 portrait with the report margins, the title centred in the header, "n/N" centred in the
// footer (Tahoma 13 px), the table at full scale in the kind's font: Tahoma 12 px for the sales
// of all workers, Times New Roman 8 points otherwise.
printing::PagedTableSettings reportPageSettings(ReportKind kind);

// The kind's PDF document of the grid, its rows in the order the grid's view shows them.
std::unique_ptr<printing::PagedTableDocument> reportDocument(ReportKind kind,
                                                             const GridTable& grid);

// The operation behind every "Wygeneruj raport" button: asks whether to generate the report;
// with a kind, asks PDF or CSV. The PDF is saved where the operator chooses and opened in the
// desktop's viewer; the CSV file goes to the working directory, replacing any file of its name.
// Failures to write are thrown as qm::AppError, for the general error report; nothing
// half-written is left behind.
void generateReport(Dialogs& dialogs, const GridTable& grid, ReportKind kind);

} // namespace qm::reports
