#pragma once

#include "printing/DrawnDocument.h"
#include "printing/PageCanvas.h"

#include <QDate>
#include <QPageSize>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace qm {
class Dialogs;
}
namespace qm::db {
struct Catalogue;
struct DeploymentSettings;
} // namespace qm::db

namespace qm::counter {

// The basket as the statement lists it: (article name, label text) in basket order.
using StatementEntries = std::vector<std::pair<QString, QString>>;

// The fixed texts of the purchase statement.
namespace statement {
inline const QString kAddressee = QStringLiteral("Do Pracodawcy:");
inline const QString kEmployer = QStringLiteral("QXR Sp. z o.o.");
inline const QString kTitle = QStringLiteral("OŚWIADCZENIE");
inline const QString kIntroduction =
    QStringLiteral("W związku z zakupem od Pracodawcy następujących mebli:");
inline const QString kNameHeading = QStringLiteral("NAZWA");
inline const QString kLabelHeading = QStringLiteral("ETYKIETA");
inline const QString kDeclarationHeading = QStringLiteral("oświadczam, iż:");
inline const QString kDeclaration1 = QStringLiteral(
    "- wiem, że zakupione meble nie są fabrycznie nowe i posiadają wady lub uszkodzenia,");
inline const QString kDeclaration2 = QStringLiteral(
    "- wiem, że zakupione meble są meblami poreklamacyjnymi i nie są objęte gwarancją,");
inline const QString kDeclaration3 = QStringLiteral("- meble kupuję na potrzeby własne,");
inline const QString kDeclaration4a = QStringLiteral(
    "- zobowiązuję się do nieodsprzedania mebli osobie trzeciej, w szczególności na internetowych");
inline const QString kDeclaration4b = QStringLiteral("serwisach lub portalach aukcyjnych.");
inline const QString kSignatureLabel = QStringLiteral("(czytelny podpis)");
} // namespace statement

// The plain nominative Polish name of the month (1 to 12), e.g. "październik".
QString polishMonthName(int month);
// The date as "dd mmmm yyyy": two-digit day, the month's name, four-digit year,
// e.g. "05 październik 2020".
QString statementDate(const QDate& date);
// place + ", dnia " + the date + " r.".
QString statementDateLine(const QString& placeName, const QDate& date);

// Draws the statement of the entries with the given date line. A basket too long for the page
// goes on over further pages (see the definition for the rule).
void drawStatement(printing::PageCanvas& report, const StatementEntries& basket,
                   const QString& dateLine, const db::DeploymentSettings& settings);

// The drawing routine of rvsSummaryGridReport: reads the server's date through
// ibcspCurrentServerDate, then draws the statement. A failed query throws before anything is
// drawn.
void rvsSummaryGridReportPrint(printing::PageCanvas& report, db::Catalogue& catalogue,
                               const StatementEntries& basket,
                               const db::DeploymentSettings& settings);

// The drawn statement on the given paper, ready for preview, printer or PDF file.
std::unique_ptr<printing::DrawnDocument> generateStatement(db::Catalogue& catalogue,
                                                           const StatementEntries& basket,
                                                           const db::DeploymentSettings& settings,
                                                           const QPageSize& paper);

// The click of "Wygeneruj oświadczenie": asks whether to generate the statement, lets the operator
// choose preview, printer or PDF file and the copies, generates the page with progress shown and
// hands it over. Writes nothing to the database and changes nothing of the counter. A failure
// (the server's date cannot be read, the file cannot be written) is thrown for the caller's
// general error report; the progress window is closed first. `paper` is the default printer's
// paper, or 8.5 x 11 in when no printer is installed.
void GenerateReportForSellButtonClick(Dialogs& dialogs, db::Catalogue& catalogue,
                                      const StatementEntries& basket,
                                      const db::DeploymentSettings& settings,
                                      const QPageSize& paper);

} // namespace qm::counter
