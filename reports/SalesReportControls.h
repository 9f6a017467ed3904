#pragma once

#include <QDate>

namespace qm::reports {

enum class ReportControl {
    DateFromTimePicker,
    DateToTimePicker,
    GenerateReportButton,
};

// The two date pickers of the sales report tab.
enum class DatePicker { DateFrom, DateTo };

// What the sales listings need of the sales report tab's controls. The main window implements it
// on its widgets; tests use a plain in-memory implementation.
class SalesReportControls {
public:
    virtual ~SalesReportControls() = default;

    // The three radio buttons form one group: at most one is checked, none before the first
    // choice.
    virtual bool allSellsChecked() const = 0;
    virtual bool workerIdChecked() const = 0;
    virtual bool dateRangeChecked() const = 0;

    // The date a picker shows.
    virtual QDate pickerDate(DatePicker picker) const = 0;
    // Makes a picker show a date. No change handler runs for it (the window blocks the picker's
    // change signal while it sets the date).
    virtual void setPickerDate(DatePicker picker, const QDate& date) = 0;

    virtual void setEnabled(ReportControl control, bool enabled) = 0;
    virtual bool isEnabled(ReportControl control) const = 0;
};

} // namespace qm::reports
