#pragma once

#include "printing/PagedTable.h"

#include <QStringList>
#include <memory>

namespace qm {
class Dialogs;
class GridTable;
} // namespace qm
namespace qm::db {
struct DeploymentSettings;
}

namespace qm::counter {

// The statement as the print of the basket view (dxcpPrintSummaryGridReportLink1): its header
// lines, place and employer address filled in. The date is the one held in the header text.
QStringList statementPreviewHeaderLines(const db::DeploymentSettings& settings);
// Its footer lines: the declarations and the dotted signature line.
QStringList statementPreviewFooterLines();

// The basket view's table on A4 between the statement's header and footer, shrunk to fit one
// page, without page numbers.
std::unique_ptr<printing::PagedTableDocument>
statementPreviewDocument(const GridTable& basketView, const db::DeploymentSettings& settings);

// Shows the statement preview of the basket view; returns when the operator closes it.
void showStatementPreview(Dialogs& dialogs, const GridTable& basketView,
                          const db::DeploymentSettings& settings);

} // namespace qm::counter
