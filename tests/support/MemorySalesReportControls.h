#pragma once

#include "reports/SalesReportControls.h"

#include <map>

namespace qm::test {

// The sales report tab's controls as plain values. Choosing a mode here only sets the radio
// buttons (one group: choosing one clears the others); the test then runs the click handler
// itself. Every control starts enabled, as a widget does, so a handler that forgets to disable
// one is seen.
class MemorySalesReportControls : public qm::reports::SalesReportControls {
public:
    using ReportControl = qm::reports::ReportControl;
    using DatePicker = qm::reports::DatePicker;
    enum class Radio { None, AllSells, WorkerID, DateRange };

    bool allSellsChecked() const override { return radio == Radio::AllSells; }
    bool workerIdChecked() const override { return radio == Radio::WorkerID; }
    bool dateRangeChecked() const override { return radio == Radio::DateRange; }

    QDate pickerDate(DatePicker picker) const override {
        return picker == DatePicker::DateFrom ? dateFrom : dateTo;
    }
    void setPickerDate(DatePicker picker, const QDate& date) override {
        (picker == DatePicker::DateFrom ? dateFrom : dateTo) = date;
    }

    void setEnabled(ReportControl control, bool enabled) override { enabled_[control] = enabled; }
    bool isEnabled(ReportControl control) const override {
        const auto it = enabled_.find(control);
        return it == enabled_.end() || it->second;
    }

    bool pickersEnabled() const {
        return isEnabled(ReportControl::DateFromTimePicker) &&
               isEnabled(ReportControl::DateToTimePicker);
    }
    bool pickersDisabled() const {
        return !isEnabled(ReportControl::DateFromTimePicker) &&
               !isEnabled(ReportControl::DateToTimePicker);
    }
    bool buttonEnabled() const { return isEnabled(ReportControl::GenerateReportButton); }

    Radio radio = Radio::None;
    // What the pickers show; the window's pickers start at their stored date.
    QDate dateFrom{2019, 11, 21};
    QDate dateTo{2019, 11, 21};

private:
    std::map<ReportControl, bool> enabled_;
};

} // namespace qm::test
