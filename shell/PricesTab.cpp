#include "PricesTab.h"

#include "TfMainPanel.h"
#include "WindowStyle.h"
#include "reports/GridReport.h"
#include "ui/GridView.h"

#include <QGridLayout>
#include <QPushButton>

namespace qm::shell {

PricesTab::PricesTab(TfMainPanel& window) : w_(window) {
    build();
    Session& s = w_.session();
    list_ = std::make_unique<catalogue::ArticleList>(s.dialogs(), s.catalogue(), s.articlesTable());
    w_.onClick(this, w_.RefreshDataButton, [this] { list_->RefreshDataButtonClick(); });
    w_.onClick(this, w_.ModifyPriceButton, [this] { list_->ModifyPriceButtonClick(); });
    w_.onClick(this, w_.GenerateReportInModifyPriceModeButton,
               [this] { GenerateReportInModifyPriceModeButtonClick(); });
}

PricesTab::~PricesTab() = default;

void PricesTab::GenerateReportInModifyPriceModeButtonClick() {
    reports::generateReport(w_.dialogs(), w_.session().articlesTable(),
                            reports::ReportKind::Articles);
}

void PricesTab::build() {
    TfMainPanel& w = w_;
    QGridLayout* g = gridPanel(w.cxModifyPricesTabSheet, QStringLiteral("gpModifyPricesPanel"));
    w.cxModifyPricesGrid = new ui::GridView(w.session().articlesTable(), 13);
    w.cxModifyPricesGrid->setObjectName(QStringLiteral("cxModifyPricesGrid"));
    w.GenerateReportInModifyPriceModeButton =
        button(QStringLiteral("GenerateReportInModifyPriceModeButton"),
               QStringLiteral("Wygeneruj raport"), 27);
    w.RefreshDataButton =
        button(QStringLiteral("RefreshDataButton"), QStringLiteral("Odśwież dane"), 33);
    w.ModifyPriceButton =
        button(QStringLiteral("ModifyPriceButton"), QStringLiteral("Popraw cenę"), 33);
    place(g, w.cxModifyPricesGrid, 0, 10, 1, 8);
    place(g, w.GenerateReportInModifyPriceModeButton, 0, 2, 9);
    place(g, w.RefreshDataButton, 4, 2, 9);
    place(g, w.ModifyPriceButton, 8, 2, 9);
    focusOrder({w.cxModifyPricesGrid, w.RefreshDataButton, w.ModifyPriceButton,
                w.GenerateReportInModifyPriceModeButton});
}

} // namespace qm::shell
