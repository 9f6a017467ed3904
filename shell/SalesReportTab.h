#pragma once

#include "reports/SalesListing.h"
#include "reports/SalesReportControls.h"

#include <QObject>
#include <memory>

class QDateEdit;

namespace qm::shell {

class TfMainPanel;

// The "Raport sprzedazy" tab: its controls on the window, the listings that work on them, and the
// report output of the listed sales.
class SalesReportTab : public QObject, public reports::SalesReportControls {
public:
    explicit SalesReportTab(TfMainPanel& window);
    ~SalesReportTab() override;

    reports::SalesListing& listing() { return *listing_; }

    // The click of "Wygeneruj raport": the listed sales as a PDF or CSV report of the checked
    // mode's kind.
    void GenerateReportButtonClick();

    bool allSellsChecked() const override;
    bool workerIdChecked() const override;
    bool dateRangeChecked() const override;
    QDate pickerDate(reports::DatePicker picker) const override;
    void setPickerDate(reports::DatePicker picker, const QDate& date) override;
    void setEnabled(reports::ReportControl control, bool enabled) override;
    bool isEnabled(reports::ReportControl control) const override;

private:
    void build();
    void wire();
    QDateEdit* picker(reports::DatePicker picker) const;
    QWidget* widget(reports::ReportControl control) const;

    TfMainPanel& w_;
    std::unique_ptr<reports::SalesListing> listing_;
};

} // namespace qm::shell
