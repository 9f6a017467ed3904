#include "StatementPreview.h"

#include "Statement.h"
#include "core/Dialogs.h"
#include "core/GridTable.h"
#include "db/DeploymentSettings.h"

#include <QPageSize>

namespace qm::counter {

namespace {

QString blanks(int count) {
    return QString(count, QLatin1Char(' '));
}

} // namespace

QStringList statementPreviewHeaderLines(const db::DeploymentSettings& settings) {
    return {
        blanks(82) + settings.placeName + QStringLiteral(", dnia 12 października 2019 r."),
        QString(),
        QString(),
        blanks(96) + statement::kAddressee,
        blanks(96) + statement::kEmployer,
        blanks(96) + settings.employerStreet,
        blanks(96) + settings.employerPostcode,
        QString(),
        QString(),
        blanks(18),
        blanks(64) + statement::kTitle,
        QString(),
        statement::kIntroduction,
    };
}

QStringList statementPreviewFooterLines() {
    const QString dots = QString(16, QChar(0x2026)) + QLatin1Char('.') + QString(4, QChar(0x2026)) +
                         QStringLiteral("..");
    return {
        statement::kDeclarationHeading,
        statement::kDeclaration1,
        statement::kDeclaration2,
        statement::kDeclaration3,
        statement::kDeclaration4a + QLatin1Char(' '),
        statement::kDeclaration4b,
        QString(),
        QString(),
        dots + blanks(46) + statement::kSignatureLabel,
        QString(),
    };
}

std::unique_ptr<printing::PagedTableDocument>
statementPreviewDocument(const GridTable& basketView, const db::DeploymentSettings& settings) {
    printing::PagedTableSettings page;
    page.title = statement::kTitle;
    page.layout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                              QMarginsF(0.7, 83.6, 0.7, 59.5), QPageLayout::Millimeter);
    page.header.edgeMm = 5.8;
    page.header.lines = statementPreviewHeaderLines(settings);
    page.footer.edgeMm = 3.1;
    page.footer.lines = statementPreviewFooterLines();
    page.bandFamily = QStringLiteral("Arial");
    page.bandPoints = 19 * 72.0 / 96.0; // 19 pixels at 96 per inch
    page.tableFamily = QStringLiteral("Times New Roman");
    page.tablePoints = 8;
    page.scaling = printing::TableScaling::FitToOnePage;
    return printing::PagedTableDocument::fromGrid(std::move(page), basketView);
}

void showStatementPreview(Dialogs& dialogs, const GridTable& basketView,
                          const db::DeploymentSettings& settings) {
    const auto document = statementPreviewDocument(basketView, settings);
    dialogs.printPreview(*document);
}

} // namespace qm::counter
