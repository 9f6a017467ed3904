#pragma once

#include "SaleControls.h"
#include "core/GridTable.h"
#include "db/TextCodec.h"

#include <QChar>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace qm {
class Dialogs;
}
namespace qm::db {
struct Catalogue;
}
namespace qm::workers {
class WorkerDirectory;
}

namespace qm::counter {

// One entry of the basket: an article and the label it was scanned from, exactly as typed.
struct BasketEntry {
    QString articleName;
    QString labelText;
    bool operator==(const BasketEntry&) const = default;
};

// The selling counter of the sale tab, without any window: the two sale modes, the worker of
// the current purchase, the basket with its two views, scanning, completing, trimming and
// cancelling a purchase.
//
// Every handler runs to its end on the window's thread. Errors are not caught here: a database
// error (db::DbError) or a text that cannot be converted (qm::AppError) stops the handler where it
// happens, and the caller shows it in the general error report (qm::runGuarded). The one
// exception is the statement preview during completion: its failure is reported at once and the
// completion goes on.
class SaleCounter {
public:
    // Shows the statement of the current purchase and returns when the operator closes it.
    using StatementPreview = std::function<void()>;

    // basketView has the columns of basketViewColumns(), checkView those of checkViewColumns().
    // connectionCodec is the code page in which the connection sends texts (db::Connection::
    // codec()); a label scanned for sale must be representable in it, since it is recorded with
    // the purchase. Without one, the default code page of the deployment, WIN1250, is assumed.
    SaleCounter(Dialogs& dialogs, db::Catalogue& catalogue,
                workers::WorkerDirectory& arrayWithDataOfWorkers, SaleControls& controls,
                GridTable& basketView, GridTable& checkView, StatementPreview statementPreview,
                std::optional<db::TextCodec> connectionCodec = std::nullopt);

    // The longest label text a purchase can record: the server's I_LABEL is VARCHAR(200).
    static constexpr qsizetype kLongestLabel = 200;

    // "NAZWA", "ETYKIETA".
    static std::vector<GridColumn> basketViewColumns();
    // "ODWO_ID", "KOD", "NAZWA", "NAZWA_TKANINY", "NAZWA_KORPUSU", "ILOSC", "QBM", "CENA",
    // "CENA_Z_VAT" (a number).
    static std::vector<GridColumn> checkViewColumns();

    // The worker ID in effect: the last one confirmed with Enter (or given at the prompt).
    const QString& workerId() const { return workerId_; }
    // The basket, in the order the entries were added.
    const std::vector<BasketEntry>& arrayForShoppingProcess() const { return basket_; }

    // The sale tab became visible.
    void cxSellTabSheetShow();
    // The check-mode radio button became checked.
    void CheckProductRadioButtonClick();
    // The sell-mode radio button became checked.
    void SellRadioButtonClick();
    // A character typed into the worker field; Enter confirms the field's text as the worker ID.
    void WorkerIDEditKeyPress(QChar key);
    // A character typed or scanned into the label field; Enter looks the label up.
    void ProductIDEditKeyPress(QChar key);
    void FinalizeSellButtonClick();
    void DeleteCurrentSummaryPositionButtonClick();
    void CancelCurrentSellingButtonClick();

    // Rebuilds the basket view from the basket.
    void refreshBasketView();
    // Back to the starting state: no mode, purchase buttons disabled, no worker, both fields and
    // both views empty, empty basket.
    void resetPurchase();

    static constexpr QChar kEnter = QChar(13);

private:
    // A write of a basket entry whose connection was lost before its answer came: the server may
    // or may not have recorded it.
    struct UnknownWrite {
        BasketEntry entry;
        qint32 buyer;
        // The buyer's standing purchases under the entry's label text just before the write.
        int standingBefore;
    };

    void checkRecordableLabel(const QString& labelText) const;
    void releaseFromLastBuyer(const QString& key, const QString& articleName);
    void recordPurchase();
    // Whether the entry's own article has a piece left.
    bool available(const BasketEntry& entry, const QString& key);
    // The worker's standing purchases, counted by label text.
    std::map<QString, int> standingPurchases(qint32 worker);
    // Whether the write of an entry whose outcome was unknown did record it; throws AppError when
    // that cannot be told.
    bool wasRecorded(const UnknownWrite& write);
    void forgetUnknownWrite(const BasketEntry& entry);
    void tellUnknownWritesDropped(const std::vector<UnknownWrite>& dropped);

    Dialogs& dialogs_;
    db::Catalogue& catalogue_;
    workers::WorkerDirectory& workers_;
    SaleControls& controls_;
    GridTable& basketView_;
    GridTable& checkView_;
    StatementPreview statementPreview_;
    db::TextCodec codec_;
    struct BasketColumns {
        int name, label;
    } basketColumns_;
    struct CheckColumns {
        int odwoId, code, name, fabric, corpus, amount, qbm, price, priceWithTax;
    } checkColumns_;

    QString workerId_;
    std::vector<BasketEntry> basket_;
    std::vector<UnknownWrite> unknownWrites_;
};

} // namespace qm::counter
