#include "Statement.h"

#include "core/Dialogs.h"
#include "db/Catalogue.h"
#include "db/DeploymentSettings.h"
#include "printing/ReportRoad.h"

#include <algorithm>
#include <array>

namespace qm::counter {

using printing::Align;
using printing::PageCanvas;

namespace {

const QString kArial = QStringLiteral("Arial");
constexpr double kTextSize = 12;

// Rows from the last entry's row down to the signature label's row.
constexpr int kEntryToSignature = 15;

void newLines(PageCanvas& report, int count) {
    for (int i = 0; i < count; ++i)
        report.newLine();
}

// Row 3 of a page in the statement's font: where the date line stands on the first page.
void toThirdRow(PageCanvas& report) {
    report.newLine();
    report.clearColumns();
    report.setFont(kArial, kTextSize);
    newLines(report, 2);
}

// The row of column headings, in the two list columns, then the next line.
void listHeadings(PageCanvas& report) {
    report.setColumn(0.5, Align::Left, 3.1);
    report.setColumn(4.0, Align::Left, 4.5);
    report.boldOn();
    report.printInColumn(statement::kNameHeading);
    report.printInColumn(statement::kLabelHeading);
    report.boldOff();
    report.newLine();
}

} // namespace

QString polishMonthName(int month) {
    static const std::array<QString, 12> names = {
        QStringLiteral("styczeń"),     QStringLiteral("luty"),     QStringLiteral("marzec"),
        QStringLiteral("kwiecień"),    QStringLiteral("maj"),      QStringLiteral("czerwiec"),
        QStringLiteral("lipiec"),      QStringLiteral("sierpień"), QStringLiteral("wrzesień"),
        QStringLiteral("październik"), QStringLiteral("listopad"), QStringLiteral("grudzień")};
    if (month < 1 || month > 12)
        return {};
    return names[size_t(month - 1)];
}

QString statementDate(const QDate& date) {
    return QStringLiteral("%1 %2 %3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(polishMonthName(date.month()))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

QString statementDateLine(const QString& placeName, const QDate& date) {
    return placeName + QStringLiteral(", dnia ") + statementDate(date) + QStringLiteral(" r.");
}

// The page, line by line. Rows are counted from 0 at the top of the page; with n entries the
// headings stand on row 18, the entries on rows 19 to n + 18, the declaration heading on row
// n + 25 and the signature label on row n + 33.
//
// A basket too long for the paper goes on over further pages. Each further page lists the entries
// under the repeated column headings, which stand on its row 3 (where the first page has its date
// line), with the entries from row 4 on. An entry goes to the next page when its line would not
// end on the paper. The declarations and the signature label always follow the last entry on its
// page: when they do not fit below it, the last entry moves to the next page with them, so that
// the page the worker signs lists at least one of the furniture items.
void drawStatement(PageCanvas& report, const StatementEntries& basket, const QString& dateLine,
                   const db::DeploymentSettings& settings) {
    // The page starts on row 0 in the default font, Arial 10 points.
    report.newLine();
    report.clearColumns();
    report.setColumn(3.0, Align::Right, 4.5);
    report.setFont(kArial, kTextSize);
    newLines(report, 2);
    report.printInColumn(dateLine);

    newLines(report, 3);
    report.clearColumns();
    report.setColumn(5.0, Align::Left, 4.5);
    report.printInColumn(statement::kAddressee);
    report.newLine();
    report.boldOn();
    report.printInColumn(statement::kEmployer);
    report.boldOff();
    report.newLine();
    report.printInColumn(settings.employerStreet);
    report.newLine();
    report.printInColumn(settings.employerPostcode);

    newLines(report, 4);
    report.clearColumns();
    report.boldOn();
    report.printCentred(statement::kTitle, 4.0);
    report.boldOff();

    newLines(report, 3);
    report.setColumn(0.5, Align::Left, 7.0);
    report.printInColumn(statement::kIntroduction);
    report.clearColumns();
    newLines(report, 2);

    listHeadings(report);

    int onPage = 0; // entries listed on the current page
    for (size_t i = 0; i < basket.size(); ++i) {
        const bool last = i + 1 == basket.size();
        if (onPage > 0 && (!report.fits() || (last && !report.fits(kEntryToSignature)))) {
            report.newPage();
            toThirdRow(report);
            listHeadings(report);
            onPage = 0;
        }
        report.printInColumn(basket[i].first);
        report.printInColumn(basket[i].second);
        report.newLine();
        ++onPage;
    }

    report.clearColumns();
    newLines(report, 6);
    report.setColumn(0.5, Align::Left, 7.0);
    report.printInColumn(statement::kDeclarationHeading);
    for (const QString* line : {&statement::kDeclaration1, &statement::kDeclaration2,
                                &statement::kDeclaration3, &statement::kDeclaration4a}) {
        report.newLine();
        report.printInColumn(*line);
    }
    report.newLine();
    report.printInColumn(QStringLiteral("   ") + statement::kDeclaration4b);

    newLines(report, 3);
    report.clearColumns();
    report.setColumn(6.2, Align::Left, 3.0);
    report.printInColumn(statement::kSignatureLabel);
    report.clearColumns();
}

void rvsSummaryGridReportPrint(PageCanvas& report, db::Catalogue& catalogue,
                               const StatementEntries& basket,
                               const db::DeploymentSettings& settings) {
    db::Procedure& serverDate = catalogue.ibcspCurrentServerDate;
    serverDate.close();
    serverDate.open();
    const QDateTime today = serverDate.asDateTime(db::col::kCurrentDate);
    if (!today.isValid())
        throw AppError(QStringLiteral("Serwer bazy danych nie podał bieżącej daty."));
    drawStatement(report, basket, statementDateLine(settings.placeName, today.date()), settings);
}

std::unique_ptr<printing::DrawnDocument> generateStatement(db::Catalogue& catalogue,
                                                           const StatementEntries& basket,
                                                           const db::DeploymentSettings& settings,
                                                           const QPageSize& paper) {
    printing::RecordingSurface surface;
    PageCanvas report(surface, printing::pageInches(paper));
    rvsSummaryGridReportPrint(report, catalogue, basket, settings);
    return std::make_unique<printing::DrawnDocument>(statement::kTitle, paper, surface.pageCount(),
                                                     surface.texts());
}

void GenerateReportForSellButtonClick(Dialogs& dialogs, db::Catalogue& catalogue,
                                      const StatementEntries& basket,
                                      const db::DeploymentSettings& settings,
                                      const QPageSize& paper) {
    printing::printDocumentRoad(
        dialogs, QStringLiteral("Czy na pewno wygenerować oświadczenie dla obecnych zakupów?"),
        statement::kTitle, QStringLiteral("Generowanie oświadczenia…"), statement::kTitle,
        [&] { return generateStatement(catalogue, basket, settings, paper); });
}

} // namespace qm::counter
