#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace qm {
class Dialogs;
}
namespace qm::db {
struct Catalogue;
}

namespace qm::workers {

// The address columns a sales listing shows for a buyer.
struct WorkerAddress {
    QString address;
    QString postcode;
    QString street;
    QString institution;
};

// The in-memory copy of the company's worker list, loaded once at start.
//
// The cells are kept as the server returned them, seven per worker in server order: ID (the
// integer in decimal digits), first name, surname, address, postcode, street, institution. Both
// lookups compare the given text with the ID cell exactly (no trimming, no numeric comparison, so
// "0012" never matches "12"). An index from ID text to the number of matching workers and the
// last of them, built once the load ends, answers both in constant time. The index is kept by
// number for an ID text that is a number as the load writes it, which every complete worker's
// ID is, and by text for any other (the ID cell of a worker whose load failed half-way).
class WorkerDirectory {
public:
    static constexpr int kCellsPerWorker = 7;
    enum Cell { Id, FirstName, Surname, Address, Postcode, Street, Institution };

    // Runs GET_WORKERS_DATA and replaces the directory with its rows. Opening the query and
    // reading its count are not guarded: their errors escape and the directory stays as it was.
    // An error while walking the rows stops the walk with the information box "Nie udało
    // załadować się danych wszystkich pracowników"; the workers stored so far stay, and the
    // worker being stored keeps the cells filled before the error.
    void load(db::Catalogue& catalogue, Dialogs& dialogs);

    bool isEmpty() const { return cells_.isEmpty(); }
    int workerCount() const { return int(cells_.size()) / kCellsPerWorker; }
    // All cells, seven per worker, in server order.
    const QStringList& cells() const { return cells_; }
    QString cell(int worker, Cell cell) const { return cells_.at(worker * kCellsPerWorker + cell); }

    // The address of the last worker whose ID cell equals workerId, for one row of a sales
    // listing; nothing when no worker matches. With an empty directory, the information box
    // "Program nie posiada pobranych danych pracowników" is shown for the listing's first row
    // only (firstRow), and nothing is returned for any row.
    std::optional<WorkerAddress> listingLookup(Dialogs& dialogs, const QString& workerId,
                                               bool firstRow) const;

    // Whether a purchase may be recorded for workerId: exactly one worker must hold that ID.
    // A refusal shows its information box ("Program nie posiada pobranych danych pracowników"
    // for an empty directory, "Brak pracownika o podanym ID w pobranej bazie" for no match or
    // several) and returns false.
    bool purchaseCheck(Dialogs& dialogs, const QString& workerId) const;

private:
    struct Matches {
        int count = 0;
        int last = -1; // worker number of the last match
    };
    void rebuildIndex();
    const Matches* find(const QString& workerId) const;

    QStringList cells_;
    QHash<qint32, Matches> byNumber_;
    QHash<QString, Matches> byOtherText_;
};

} // namespace qm::workers
