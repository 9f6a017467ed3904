#pragma once

#include "GridReport.h"
#include "SalesReportControls.h"
#include "core/GridTable.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace qm {
class Dialogs;
}
namespace qm::db {
struct Catalogue;
class Procedure;
} // namespace qm::db
namespace qm::workers {
class WorkerDirectory;
}

namespace qm::reports {

// The sales listings of the sales report tab, without any window: every recorded purchase, one
// worker's purchases, or the purchases of a date range, one row per item bought, joined with the
// buyer's address from the worker directory.
//
// Every handler runs to its end on the window's thread. Opening a query and reading its count are
// not guarded here: a database error (db::DbError) or a worker ID that cannot be converted
// (qm::AppError) escapes, the grid stays empty and GenerateReportButton disabled, and the caller
// shows it in the general error report (qm::runGuarded). An error while walking the rows is
// guarded: the rows listed so far stay and the mode's failure message is shown.
//
// A listing that takes longer than progressDelay() shows the modal progress until it ends, also
// when it ends with an error.
class SalesListing {
public:
    using Clock = std::function<QDateTime()>;

    // grid has the columns of listingColumns().
    SalesListing(Dialogs& dialogs, db::Catalogue& catalogue,
                 const workers::WorkerDirectory& arrayWithDataOfWorkers,
                 SalesReportControls& controls, GridTable& grid);

    // "PRACOWNIK_ID", "ETYKIETA", "ODWO_ID", "DATA ZAKUPU", "ADRES", "KOD_POCZTOWY", "ULICA",
    // "ZAKLAD", all text.
    static std::vector<GridColumn> listingColumns();

    // The report kind of the checked radio button; None before the first choice.
    ReportKind reportKind() const;

    // The date range; only the date part reaches the server. Both are null until the tab is
    // first shown.
    const QDateTime& dateFrom() const { return dateFrom_; }
    const QDateTime& dateTo() const { return dateTo_; }

    // The sales report tab became visible. Before the first mode choice both pickers and
    // GenerateReportButton are disabled and both range fields (and both pickers) set to now;
    // afterwards nothing changes, so the listing stays as it was.
    void cxReportForSellsTabSheetShow();
    // "Wszyscy" became checked: lists every recorded purchase.
    void AllSellsRadioButtonClick();
    // "ID Pracownika" became checked: asks for a worker ID and lists that worker's purchases.
    void WorkerIDRadioButtonClick();
    // "Zakres dat (od - do)" became checked: empties the listing and enables the pickers; the
    // listing is filled when a date is changed.
    void DateRangeRadioButtonClick();
    // The date in DateFromTimePicker (DateToTimePicker) was changed: stores it in dateFrom
    // (dateTo) and lists the purchases of the range.
    void DateFromTimePickerChange();
    void DateToTimePickerChange();

    // Where "now" comes from; the system clock unless a test sets another.
    void setClock(Clock clock) { clock_ = std::move(clock); }
    std::chrono::milliseconds progressDelay() const { return progressDelay_; }
    void setProgressDelay(std::chrono::milliseconds delay) { progressDelay_ = delay; }

private:
    void dateChanged(DatePicker picker, QDateTime& field);
    void startListing();
    // The listing fill over the open procedure's first count rows. With fixedWorkerId every row
    // shows that worker and GenerateReportButton is enabled once, after a complete walk;
    // otherwise each row shows its own buyer and the button is enabled with the first row.
    void fill(db::Procedure& p, int count, const QString& failureMessage,
              const std::optional<QString>& fixedWorkerId);

    Dialogs& dialogs_;
    db::Catalogue& catalogue_;
    const workers::WorkerDirectory& workers_;
    SalesReportControls& controls_;
    GridTable& grid_;
    struct Columns {
        int workerId, label, odwoId, date, address, postcode, street, institution;
    } columns_;

    QDateTime dateFrom_;
    QDateTime dateTo_;
    Clock clock_;
    std::chrono::milliseconds progressDelay_{500};
    QElapsedTimer started_;
};

} // namespace qm::reports
