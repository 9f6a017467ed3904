#include "SalesReportTab.h"

#include "TfMainPanel.h"
#include "WindowStyle.h"
#include "reports/GridReport.h"
#include "ui/GridView.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace qm::shell {

SalesReportTab::SalesReportTab(TfMainPanel& window) : w_(window) {
    build();
    Session& s = w_.session();
    listing_ = std::make_unique<reports::SalesListing>(
        s.dialogs(), s.catalogue(), s.arrayWithDataOfWorkers(), *this, s.sellsTable());
    wire();
}

SalesReportTab::~SalesReportTab() = default;

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
        // A typed date counts once it is complete, not at every keystroke.
        p->setKeyboardTracking(false);
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

void SalesReportTab::wire() {
    TfMainPanel& w = w_;
    reports::SalesListing& listing = *listing_;
    w.onShow(this, w.cxReportForSellsTabSheet,
             [&listing] { listing.cxReportForSellsTabSheetShow(); });
    w.onToggledOn(this, w.AllSellsRadioButton, [&listing] { listing.AllSellsRadioButtonClick(); });
    w.onToggledOn(this, w.WorkerIDRadioButton, [&listing] { listing.WorkerIDRadioButtonClick(); });
    w.onToggledOn(this, w.DateRangeRadioButton,
                  [&listing] { listing.DateRangeRadioButtonClick(); });
    connect(w.DateFromTimePicker, &QDateEdit::dateChanged, this,
            [this] { w_.handle([this] { listing_->DateFromTimePickerChange(); }); });
    connect(w.DateToTimePicker, &QDateEdit::dateChanged, this,
            [this] { w_.handle([this] { listing_->DateToTimePickerChange(); }); });
    w.onClick(this, w.GenerateReportButton, [this] { GenerateReportButtonClick(); });
}

void SalesReportTab::GenerateReportButtonClick() {
    reports::generateReport(w_.dialogs(), w_.session().sellsTable(), listing_->reportKind());
}

bool SalesReportTab::allSellsChecked() const {
    return w_.AllSellsRadioButton->isChecked();
}
bool SalesReportTab::workerIdChecked() const {
    return w_.WorkerIDRadioButton->isChecked();
}
bool SalesReportTab::dateRangeChecked() const {
    return w_.DateRangeRadioButton->isChecked();
}

QDate SalesReportTab::pickerDate(reports::DatePicker p) const {
    return picker(p)->date();
}

void SalesReportTab::setPickerDate(reports::DatePicker p, const QDate& date) {
    const QSignalBlocker quiet(picker(p));
    picker(p)->setDate(date);
}

void SalesReportTab::setEnabled(reports::ReportControl control, bool enabled) {
    widget(control)->setEnabled(enabled);
}

bool SalesReportTab::isEnabled(reports::ReportControl control) const {
    return widget(control)->isEnabled();
}

QDateEdit* SalesReportTab::picker(reports::DatePicker p) const {
    return p == reports::DatePicker::DateFrom ? w_.DateFromTimePicker : w_.DateToTimePicker;
}

QWidget* SalesReportTab::widget(reports::ReportControl control) const {
    switch (control) {
    case reports::ReportControl::DateFromTimePicker:
        return w_.DateFromTimePicker;
    case reports::ReportControl::DateToTimePicker:
        return w_.DateToTimePicker;
    case reports::ReportControl::GenerateReportButton:
        return w_.GenerateReportButton;
    }
    return nullptr;
}

} // namespace qm::shell
