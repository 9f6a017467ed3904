#include "WorkerDirectory.h"

#include "core/Dialogs.h"
#include "db/Catalogue.h"

#include <exception>

namespace qm::workers {

namespace {

const QString kNoWorkerData = QStringLiteral("Program nie posiada pobranych danych pracowników");
const QString kNoSuchWorker = QStringLiteral("Brak pracownika o podanym ID w pobranej bazie");
const QString kLoadFailed = QStringLiteral("Nie udało załadować się danych wszystkich pracowników");

// The text columns after the ID, in cell order.
constexpr const char* kTextColumns[] = {db::col::kName,    db::col::kSurname,
                                        db::col::kAddress, db::col::kPostcode,
                                        db::col::kStreet,  db::col::kInstitution};

} // namespace

void WorkerDirectory::load(db::Catalogue& catalogue, Dialogs& dialogs) {
    db::Procedure& p = catalogue.ibcspGetWorkersData;
    p.open();
    cells_.clear();
    index_.clear();
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
    index_.clear();
    index_.reserve(workerCount());
    for (int k = 0; k < workerCount(); ++k) {
        Matches& m = index_[cells_.at(k * kCellsPerWorker + Id)];
        ++m.count;
        m.last = k;
    }
}

std::optional<WorkerAddress>
WorkerDirectory::listingLookup(Dialogs& dialogs, const QString& workerId, bool firstRow) const {
    if (isEmpty()) {
        if (firstRow)
            dialogs.information(kNoWorkerData);
        return std::nullopt;
    }
    const auto it = index_.constFind(workerId);
    if (it == index_.cend())
        return std::nullopt;
    const int k = it->last;
    return WorkerAddress{cell(k, Address), cell(k, Postcode), cell(k, Street),
                         cell(k, Institution)};
}

bool WorkerDirectory::purchaseCheck(Dialogs& dialogs, const QString& workerId) const {
    if (isEmpty()) {
        dialogs.information(kNoWorkerData);
        return false;
    }
    const auto it = index_.constFind(workerId);
    if (it == index_.cend() || it->count != 1) {
        dialogs.information(kNoSuchWorker);
        return false;
    }
    return true;
}

} // namespace qm::workers
