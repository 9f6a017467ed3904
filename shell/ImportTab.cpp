#include "ImportTab.h"

#include "TfMainPanel.h"
#include "WindowStyle.h"
#include "reports/GridReport.h"
#include "ui/GridView.h"

#include <QGridLayout>
#include <QPushButton>

namespace qm::shell {

ImportTab::ImportTab(TfMainPanel& window) : w_(window) {
    build();
    w_.onClick(this, w_.GenerateReportImportCSVButton,
               [this] { GenerateReportImportCSVButtonClick(); });
}

void ImportTab::GenerateReportImportCSVButtonClick() {
    reports::generateReport(w_.dialogs(), w_.session().importErrorsTable(),
                            reports::ReportKind::ImportErrors);
}

void ImportTab::build() {
    TfMainPanel& w = w_;
    QGridLayout* g = gridPanel(w.cxImportCSVFileToDBTabSheet, QStringLiteral("gpImportCSVPanel"));
    w.cxImportCSVReportGrid = new ui::GridView(w.session().importErrorsTable(), 13);
    w.cxImportCSVReportGrid->setObjectName(QStringLiteral("cxImportCSVReportGrid"));
    w.GenerateReportImportCSVButton = button(QStringLiteral("GenerateReportImportCSVButton"),
                                             QStringLiteral("Wygeneruj raport"), 21);
    w.LoadCSVFileButton =
        button(QStringLiteral("LoadCSVFileButton"), QStringLiteral("Zaladuj plik CSV"), 21);
    place(g, w.cxImportCSVReportGrid, 2, 6, 1, 8);
    place(g, w.GenerateReportImportCSVButton, 2, 2, 9);
    place(g, w.LoadCSVFileButton, 6, 2, 9);
    focusOrder({w.LoadCSVFileButton, w.GenerateReportImportCSVButton, w.cxImportCSVReportGrid});
}

} // namespace qm::shell
