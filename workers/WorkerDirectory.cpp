#include "WorkerDirectory.h"

#include "core/Dialogs.h"
#include "db/Catalogue.h"

#include <exception>
#include <limits>
#include <optional>

namespace qm::workers {

namespace {

const QString kNoWorkerData = QStringLiteral("Program nie posiada pobranych danych pracowników");
const QString kNoSuchWorker = QStringLiteral("Brak pracownika o podanym ID w pobranej bazie");
const QString kLoadFailed = QStringLiteral("Nie udało załadować się danych wszystkich pracowników");

// The text columns after the ID, in cell order.
constexpr const char* kTextColumns[] = {db::col::kName,    db::col::kSurname,
                                        db::col::kAddress, db::col::kPostcode,
                                        db::col::kStreet,  db::col::kInstitution};

// The whole number whose text, as QString::number writes it, is exactly text: digits with no
// leading zero, a minus before any but zero, within 32 bits; nothing for any other text.
std::optional<qint32> numberWrittenAs(const QString& text) {
    const bool negative = text.startsWith(QLatin1Char('-'));
    const QStringView digits = QStringView(text).mid(negative ? 1 : 0);
    if (digits.isEmpty() || digits.size() > 10 ||
        (digits.front() == QLatin1Char('0') && (digits.size() > 1 || negative)))
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

} // namespace

void WorkerDirectory::load(db::Catalogue& catalogue, Dialogs& dialogs) {
    db::Procedure& p = catalogue.ibcspGetWorkersData;
    p.open();
    cells_.clear();
    byNumber_.clear();
    byOtherText_.clear();
    const int count = p.readCount(db::col::kCountWorkersData);
    try {
        p.walkRows(count, [&] {
            const qsizetype first = cells_.size();
            for (int i = 0; i < kCellsPerWorker; ++i)
                cells_.append(QString());
            cells_[first + Id] = QString::number(p.asInteger(db::col::kReferenceNumber));
            for (int i = 0; i < kCellsPerWorker - 1; ++i)
                cells_[first + FirstName + i] = p.asText(kTextColumns[i]);
        });
    } catch (const std::exception&) {
        dialogs.information(kLoadFailed);
    }
    rebuildIndex();
}

void WorkerDirectory::rebuildIndex() {
    byNumber_.clear();
    byOtherText_.clear();
    byNumber_.reserve(workerCount());
    for (int k = 0; k < workerCount(); ++k) {
        const QString& id = cells_.at(k * kCellsPerWorker + Id);
        const std::optional<qint32> number = numberWrittenAs(id);
        Matches& m = number ? byNumber_[*number] : byOtherText_[id];
        ++m.count;
        m.last = k;
    }
}

const WorkerDirectory::Matches* WorkerDirectory::find(const QString& workerId) const {
    if (const std::optional<qint32> number = numberWrittenAs(workerId)) {
        const auto it = byNumber_.constFind(*number);
        return it == byNumber_.cend() ? nullptr : &*it;
    }
    const auto it = byOtherText_.constFind(workerId);
    return it == byOtherText_.cend() ? nullptr : &*it;
}

std::optional<WorkerAddress>
WorkerDirectory::listingLookup(Dialogs& dialogs, const QString& workerId, bool firstRow) const {
    if (isEmpty()) {
        if (firstRow)
            dialogs.information(kNoWorkerData);
        return std::nullopt;
    }
    const Matches* matches = find(workerId);
    if (!matches)
        return std::nullopt;
    const int k = matches->last;
    return WorkerAddress{cell(k, Address), cell(k, Postcode), cell(k, Street),
                         cell(k, Institution)};
}

bool WorkerDirectory::purchaseCheck(Dialogs& dialogs, const QString& workerId) const {
    if (isEmpty()) {
        dialogs.information(kNoWorkerData);
        return false;
    }
    const Matches* matches = find(workerId);
    if (!matches || matches->count != 1) {
        dialogs.information(kNoSuchWorker);
        return false;
    }
    return true;
}

} // namespace qm::workers
