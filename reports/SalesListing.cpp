#include "SalesListing.h"

#include "core/Dialogs.h"
#include "core/LabelKey.h"
#include "db/Catalogue.h"
#include "workers/WorkerDirectory.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace qm::reports {

namespace {

const QString kAllFailed =
    QStringLiteral("Nie udało załadować się koszyków wszystkich pracowników");
const QString kWorkerFailed = QStringLiteral("Nie udało załadować się koszyka pracownika");
const QString kRangeFailed =
    QStringLiteral("Nie udało załadować się koszyków pracowników według określonego zakresu dat");
const QString kPromptCaption = QStringLiteral("Podaj ID pracownika do wyszukania");
const QString kPromptLabel = QStringLiteral("ID pracownika");
const QString kWorkerIdNotNumber =
    QStringLiteral("Podane ID pracownika nie jest liczbą, spróbuj ponownie");
const QString kGiveWorkerId = QStringLiteral("Proszę podać ID pracownika");
const QString kNoPurchases =
    QStringLiteral("Brak podanego ID pracownika w bazie zakupionych rzeczy");
const QString kProgressText = QStringLiteral("Wczytywanie listy zakupów...");

int columnOf(const GridTable& grid, const char* caption) {
    const int index = grid.columnIndex(QString::fromUtf8(caption));
    if (index < 0)
        throw std::logic_error(std::string("the sales listing has no column ") + caption);
    return index;
}

// A fault of the row walk itself: the result has fewer or more rows than its count column says.
class WalkFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The grid in bulk mode while the guard lives, once begun: the views are told once, at the end.
class BulkGuard {
public:
    explicit BulkGuard(GridTable& grid) : grid_(grid) {}
    ~BulkGuard() {
        if (begun_)
            grid_.endBulk();
    }
    BulkGuard(const BulkGuard&) = delete;
    BulkGuard& operator=(const BulkGuard&) = delete;
    void begin() {
        if (!begun_) {
            grid_.beginBulk();
            begun_ = true;
        }
    }

private:
    GridTable& grid_;
    bool begun_ = false;
};

// The spare row of a listing: the last row of the grid while the rows are written, removed when
// the fill ends, whichever way it ends.
class SpareRow {
public:
    explicit SpareRow(GridTable& grid) : grid_(grid) { grid_.appendRow(); }
    ~SpareRow() { grid_.removeRow(grid_.rows() - 1); }
    SpareRow(const SpareRow&) = delete;
    SpareRow& operator=(const SpareRow&) = delete;

private:
    GridTable& grid_;
};

// The typed worker ID as the whole number sent to the server. A text that passed the character
// check may still be no decimal whole number ("1A", "2.5") or too large for one: such a text is
// refused with its own message and nothing is sent.
qint32 workerNumber(const QString& text) {
    if (const auto number = wholeNumber(text))
        return *number;
    bool digitsOnly = true;
    for (const QChar c : text)
        digitsOnly = digitsOnly && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (digitsOnly)
        throw AppError(
            QStringLiteral("Podane ID pracownika %1 jest za duże.").arg(quotedInMessage(text)));
    throw AppError(QStringLiteral("Podane ID pracownika %1 nie jest liczbą całkowitą.")
                       .arg(quotedInMessage(text)));
}

} // namespace

SalesListing::SalesListing(Dialogs& dialogs, db::Catalogue& catalogue,
                           const workers::WorkerDirectory& arrayWithDataOfWorkers,
                           SalesReportControls& controls, GridTable& grid)
    : dialogs_(dialogs), catalogue_(catalogue), workers_(arrayWithDataOfWorkers),
      controls_(controls), grid_(grid), clock_([] { return QDateTime::currentDateTime(); }) {
    columns_ = {columnOf(grid, "PRACOWNIK_ID"), columnOf(grid, "ETYKIETA"),
                columnOf(grid, "ODWO_ID"),      columnOf(grid, "DATA ZAKUPU"),
                columnOf(grid, "ADRES"),        columnOf(grid, "KOD_POCZTOWY"),
                columnOf(grid, "ULICA"),        columnOf(grid, "ZAKLAD")};
}

std::vector<GridColumn> SalesListing::listingColumns() {
    return {{QStringLiteral("PRACOWNIK_ID"), 85}, {QStringLiteral("ETYKIETA"), 211},
            {QStringLiteral("ODWO_ID"), 147},     {QStringLiteral("DATA ZAKUPU"), 204},
            {QStringLiteral("ADRES"), 179},       {QStringLiteral("KOD_POCZTOWY"), 100},
            {QStringLiteral("ULICA"), 221},       {QStringLiteral("ZAKLAD"), 143}};
}

ReportKind SalesListing::reportKind() const {
    return salesReportKind(controls_.allSellsChecked(), controls_.workerIdChecked(),
                           controls_.dateRangeChecked());
}

void SalesListing::cxReportForSellsTabSheetShow() {
    if (reportKind() != ReportKind::None)
        return;
    controls_.setEnabled(ReportControl::DateFromTimePicker, false);
    controls_.setEnabled(ReportControl::DateToTimePicker, false);
    controls_.setEnabled(ReportControl::GenerateReportButton, false);
    dateFrom_ = dateTo_ = clock_();
    // The pickers show the range that a date change will query.
    controls_.setPickerDate(DatePicker::DateFrom, dateFrom_.date());
    controls_.setPickerDate(DatePicker::DateTo, dateTo_.date());
}

void SalesListing::AllSellsRadioButtonClick() {
    grid_.clearRows();
    controls_.setEnabled(ReportControl::DateFromTimePicker, false);
    controls_.setEnabled(ReportControl::DateToTimePicker, false);
    controls_.setEnabled(ReportControl::GenerateReportButton, false);

    startListing();
    db::Procedure& p = catalogue_.ibcspGetWorkersOrders;
    p.open();
    fill(p, p.readCount(db::col::kCountWorkerOrders), kAllFailed, std::nullopt);
}

void SalesListing::WorkerIDRadioButtonClick() {
    grid_.clearRows();
    controls_.setEnabled(ReportControl::DateFromTimePicker, false);
    controls_.setEnabled(ReportControl::DateToTimePicker, false);
    controls_.setEnabled(ReportControl::GenerateReportButton, false);

    const QString typed = dialogs_.inputBox(kPromptCaption, kPromptLabel, QString());
    if (!isNumber(typed)) {
        dialogs_.information(kWorkerIdNotNumber);
        return;
    }
    if (typed.isEmpty()) {
        dialogs_.information(kGiveWorkerId);
        return;
    }
    const qint32 worker = workerNumber(typed);

    startListing();
    db::Procedure& p = catalogue_.ibcspGetWorkerOrders;
    p.setInteger("I_USER_ID", worker);
    p.open();
    const int count = p.readCount(db::col::kCountWorkerOrders);
    const QString workerId = p.asText(db::col::kUserId);
    if (workerId.isEmpty()) {
        dialogs_.information(kNoPurchases);
        return;
    }
    fill(p, count, kWorkerFailed, workerId);
}

void SalesListing::DateRangeRadioButtonClick() {
    grid_.clearRows();
    controls_.setEnabled(ReportControl::DateFromTimePicker, true);
    controls_.setEnabled(ReportControl::DateToTimePicker, true);
    controls_.setEnabled(ReportControl::GenerateReportButton, false);
}

void SalesListing::DateFromTimePickerChange() {
    dateChanged(DatePicker::DateFrom, dateFrom_);
}

void SalesListing::DateToTimePickerChange() {
    dateChanged(DatePicker::DateTo, dateTo_);
}

void SalesListing::dateChanged(DatePicker picker, QDateTime& field) {
    field = QDateTime(controls_.pickerDate(picker), QTime(0, 0));
    // The pickers can be changed only in the date range mode. A change that arrives in another
    // mode keeps the date but leaves that mode's listing alone, so the grid never holds a range
    // listing under another mode's report.
    if (!controls_.dateRangeChecked())
        return;
    grid_.clearRows();
    controls_.setEnabled(ReportControl::GenerateReportButton, false);

    startListing();
    db::Procedure& p = catalogue_.ibcspGetOrdersByDateRange;
    p.setDate("I_DATE_FROM", dateFrom_.date());
    p.setDate("I_DATE_TO", dateTo_.date());
    p.open();
    fill(p, p.readCount(db::col::kCountWorkerOrders), kRangeFailed, std::nullopt);
}

void SalesListing::startListing() {
    started_.start();
}

void SalesListing::fill(db::Procedure& p, int count, const QString& failureMessage,
                        const std::optional<QString>& fixedWorkerId) {
    const Columns& c = columns_;
    // The rows the server sent, or fewer when the count says so, and the spare row.
    grid_.reserveRows(std::min(count, p.fetchedRows()) + 1);
    SpareRow spare(grid_);
    bool buttonEnabled = false;
    bool complete = false;
    try {
        DelayedProgress progress(dialogs_, kProgressText, int(progressDelay_.count()), &started_);
        BulkGuard bulk(grid_);
        for (int n = 1; n <= count; ++n) {
            if (n >= 2 && !p.next())
                throw WalkFault("fewer rows than the count column says");
            const QString workerId = fixedWorkerId ? *fixedWorkerId : p.asText(db::col::kUserId);
            const QString label = p.asText(db::col::kLabel);
            const int row = grid_.appendRow() - 1;
            grid_.setText(row, c.workerId, workerId);
            grid_.setText(row, c.label, label);
            grid_.setText(row, c.date, p.asText(db::col::kDate));
            if (const auto a = workers_.listingLookup(dialogs_, workerId, n == 1)) {
                grid_.setText(row, c.address, a->address);
                grid_.setText(row, c.postcode, a->postcode);
                grid_.setText(row, c.street, a->street);
                grid_.setText(row, c.institution, a->institution);
            }
            grid_.setText(row, c.odwoId, labelKey(label));
            if (!fixedWorkerId && !buttonEnabled) {
                controls_.setEnabled(ReportControl::GenerateReportButton, true);
                buttonEnabled = true;
            }
            // The first row goes to the views at once (a notice about the directory may be
            // showing over them); the rest in one go.
            bulk.begin();
            progress.step(n, count);
        }
        if (p.fetchedRows() > std::max(count, 0))
            throw WalkFault("more rows than the count column says");
        complete = true;
    } catch (const std::exception&) {
        dialogs_.information(failureMessage);
    }
    if (fixedWorkerId && complete)
        controls_.setEnabled(ReportControl::GenerateReportButton, true);
}

} // namespace qm::reports
