#include "SalesReportTab.h"

#include "TfMainPanel.h"
#include "WindowStyle.h"
#include "ui/GridView.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>

namespace qm::shell {

SalesReportTab::SalesReportTab(TfMainPanel& window) : w_(window) {
    build();
}

void SalesReportTab::build() {
    TfMainPanel& w = w_;
    QGridLayout* g = gridPanel(w.cxReportForSellsTabSheet, QStringLiteral("gpReportForSellsPanel"));
    w.AllSellsRadioButton = named(new QRadioButton(QStringLiteral("Wszyscy")),
                                  QStringLiteral("AllSellsRadioButton"), 21);
    w.WorkerIDRadioButton = named(new QRadioButton(QStringLiteral("ID Pracownika")),
                                  QStringLiteral("WorkerIDRadioButton"), 21);
    w.DateRangeRadioButton = named(new QRadioButton(QStringLiteral("Zakres dat (od - do)")),
                                   QStringLiteral("DateRangeRadioButton"), 21);
    const auto picker = [](const QString& name) {
        auto* p = named(new QDateEdit(QDate(2019, 11, 21)), name, 13);
        p->setCalendarPopup(true);
        p->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        return p;
    };
    w.DateFromTimePicker = picker(QStringLiteral("DateFromTimePicker"));
    w.DateToTimePicker = picker(QStringLiteral("DateToTimePicker"));
    w.cxAllSellsGrid = new ui::GridView(w.session().sellsTable(), 13);
    w.cxAllSellsGrid->setObjectName(QStringLiteral("cxAllSellsGrid"));
    w.GenerateReportButton =
        button(QStringLiteral("GenerateReportButton"), QStringLiteral("Wygeneruj raport"), 27);

    place(g, w.AllSellsRadioButton, 1, 1, 0);
    place(g, w.WorkerIDRadioButton, 3, 2, 0);
    place(g, w.DateRangeRadioButton, 5, 2, 0);
    place(g, w.DateFromTimePicker, 7, 1, 0);
    place(g, w.DateToTimePicker, 8, 1, 0);
    place(g, w.cxAllSellsGrid, 1, 8, 1, 8);
    place(g, w.GenerateReportButton, 7, 2, 9);
    focusOrder({w.AllSellsRadioButton, w.WorkerIDRadioButton, w.DateRangeRadioButton,
                w.DateFromTimePicker, w.DateToTimePicker, w.GenerateReportButton,
                w.cxAllSellsGrid});
}

} // namespace qm::shell
