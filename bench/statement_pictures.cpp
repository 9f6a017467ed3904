// Writes the drawn purchase statement and the statement preview of a sample basket as PDF files:
//   statement-pictures OUTPUT_DIR
// giving OUTPUT_DIR/statement.pdf and OUTPUT_DIR/statement-preview.pdf.
#include "core/GridTable.h"
#include "counter/Statement.h"
#include "counter/StatementPreview.h"
#include "db/DeploymentSettings.h"
#include "printing/PdfOutput.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: statement-pictures OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));

    qm::db::DeploymentSettings settings;
    settings.placeName = QStringLiteral("Jasienica");
    settings.employerStreet = QStringLiteral("ul. Fabryczna 7");
    settings.employerPostcode = QStringLiteral("43-385 Jasienica");
    const qm::counter::StatementEntries basket = {
        {QStringLiteral("Sofa Łódź 3-osobowa"), QStringLiteral("12/7001/01")},
        {QStringLiteral("Fotel Łódź"), QStringLiteral("12/7001/01")},
        {QStringLiteral("Narożnik rozkładany z funkcją spania i pojemnikiem na pościel"),
         QStringLiteral("14/7310/02")},
        {QStringLiteral("Stolik kawowy"), QStringLiteral("7002")},
    };

    try {
        const QPageSize paper(QPageSize::A4);
        qm::printing::RecordingSurface surface;
        qm::printing::PageCanvas canvas(surface, qm::printing::pageInches(paper));
        qm::counter::drawStatement(
            canvas, basket, qm::counter::statementDateLine(settings.placeName, QDate(2020, 10, 5)),
            settings);
        const qm::printing::DrawnDocument statement(qm::counter::statement::kTitle, paper,
                                                    surface.pageCount(), surface.texts());
        qm::printing::writePdf(statement, out.filePath(QStringLiteral("statement.pdf")));

        qm::GridTable basketView(
            {{QStringLiteral("NAZWA"), 435, false}, {QStringLiteral("ETYKIETA"), 340, false}});
        for (const auto& [name, label] : basket) {
            const int row = basketView.appendRow();
            basketView.setText(row, 0, name);
            basketView.setText(row, 1, label);
        }
        const auto preview = qm::counter::statementPreviewDocument(basketView, settings);
        qm::printing::writePdf(*preview, out.filePath(QStringLiteral("statement-preview.pdf")));
    } catch (const qm::AppError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
