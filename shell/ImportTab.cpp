#include "ImportTab.h"

#include "TfMainPanel.h"
#include "WindowStyle.h"
#include "reports/GridReport.h"
#include "ui/GridView.h"

#include <QGridLayout>
#include <QPushButton>
#include <QTabWidget>

namespace qm::shell {

ImportTab::ImportTab(TfMainPanel& window) : w_(window) {
    build();
    Session& s = w_.session();
    import_ = std::make_unique<catalogue::ArticleImport>(s.dialogs(), s.catalogue(), *this,
                                                         s.importErrorsTable());
    w_.onClick(this, w_.LoadCSVFileButton, [this] { import_->LoadCSVFileButtonClick(); });
    w_.onClick(this, w_.GenerateReportImportCSVButton,
               [this] { GenerateReportImportCSVButtonClick(); });
}

ImportTab::~ImportTab() = default;

void ImportTab::offerStartUpImport() {
    w_.handle([this] {
        import_->offerStartUpImport(
            [this] { w_.cxMainPageControl->setCurrentWidget(w_.cxImportCSVFileToDBTabSheet); });
    });
}

void ImportTab::setEnabled(catalogue::Control control, bool enabled) {
    widget(control)->setEnabled(enabled);
}

bool ImportTab::isEnabled(catalogue::Control control) const {
    return widget(control)->isEnabled();
}

QWidget* ImportTab::widget(catalogue::Control control) const {
    switch (control) {
    case catalogue::Control::GenerateReportImportCSVButton:
        return w_.GenerateReportImportCSVButton;
    }
    return nullptr;
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
