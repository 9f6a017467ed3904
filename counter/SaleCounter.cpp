#include "SaleCounter.h"

#include "core/Dialogs.h"
#include "core/LabelKey.h"
#include "core/PriceWithTax.h"
#include "db/Catalogue.h"
#include "db/DbError.h"
#include "workers/WorkerDirectory.h"

#include <QDate>
#include <QStringList>
#include <QTime>
#include <algorithm>
#include <stdexcept>

namespace qm::counter {

namespace {

const QString kNoSuchProduct = QStringLiteral("Brak podanego produktu w bazie");
const QString kChooseMode = QStringLiteral("Proszę wybrać jedną z dwóch opcji widocznych w tym "
                                           "oknie przed zeskanowaniem produktu.");
const QString kSoldOutRelease = QStringLiteral(
    "Ten produkt został już wyprzedany, więc nie można dodać go do koszyka. Czy cofnąć zakup dla "
    "poprzedniej osoby, która ten produkt już kupiła?");
const QString kSoldOutReleaseSure = QStringLiteral(
    "Czy na pewno cofnąć zakup dla poprzedniej osoby, która ten produkt już kupiła?");
const QString kWorkerIdCaption = QStringLiteral("Proszę podać ID pracownika");
const QString kWorkerIdPrompt = QStringLiteral("ID Pracownika: ");
const QString kWorkerIdNotNumber =
    QStringLiteral("Podane ID pracownika nie jest liczbą, spróbuj ponownie");
const QString kEmptyBasket =
    QStringLiteral("Proszę dodać co najmniej jeden produkt do koszyka przed dokonaniem zakupu");
const QString kOfferStatement =
    QStringLiteral("Czy wygenerować oświadczenie dla obecnych zakupów?");
const QString kFinishPurchase = QStringLiteral("Czy zakończyć obecne zakupy?");
const QString kDeleteEntry = QStringLiteral("Czy na pewno usunąć zaznaczoną pozycję?");
const QString kCancelPurchase = QStringLiteral("Czy na pewno anulować obecne zakupy?");
const QString kSoldOutMeanwhile =
    QStringLiteral("Tych pozycji nie zapisano, ponieważ artykułu zabrakło w międzyczasie na stanie "
                   "(sprzedano go na innym stanowisku):");

constexpr Control kPurchaseButtons[] = {
    Control::CancelCurrentSellingButton, Control::DeleteCurrentSummaryPositionButton,
    Control::GenerateReportForSellButton, Control::FinalizeSellButton};

int columnOf(const GridTable& view, const char* caption) {
    const int index = view.columnIndex(QString::fromUtf8(caption));
    if (index < 0)
        throw std::logic_error(std::string("the sale view has no column ") + caption);
    return index;
}

qint32 wholeNumberOrFail(const QString& text, const char* what) {
    const auto number = wholeNumber(text);
    if (!number)
        throw AppError(QStringLiteral("%1 %2 nie jest liczbą całkowitą.")
                           .arg(QString::fromUtf8(what), quotedInMessage(text)));
    return *number;
}

// The label key of a label text, refused unless it is a whole number the server can take as it
// is: the server's own conversion would round "3010.6" to the key of another article, and would
// answer other texts with its raw conversion errors.
QString checkedLabelKey(const QString& labelText) {
    const QString key = labelKey(labelText);
    if (!wholeNumber(key))
        throw AppError(QStringLiteral("Etykieta %1 nie zawiera poprawnego numeru artykułu.")
                           .arg(quotedInMessage(labelText)));
    return key;
}

// A purchase date as the database layer renders it, "dd.MM.yyyy HH:mm:ss" (or a date alone),
// as milliseconds from a fixed origin; read as a plain calendar value, so no time-zone rule can
// move or reject it.
qint64 purchaseMoment(const QString& text) {
    const QString datePart = text.section(QLatin1Char(' '), 0, 0);
    const QString timePart = text.section(QLatin1Char(' '), 1);
    const QDate date = QDate::fromString(datePart, QStringLiteral("dd.MM.yyyy"));
    const QTime time =
        timePart.isEmpty() ? QTime(0, 0) : QTime::fromString(timePart, QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        throw AppError(
            QStringLiteral("Data zakupu %1 nie jest poprawną datą.").arg(quotedInMessage(text)));
    return date.toJulianDay() * 86'400'000 + time.msecsSinceStartOfDay();
}

// A basket entry named in a message: its article and its whole label text.
QString entryInMessage(const BasketEntry& entry) {
    return QStringLiteral("„%1” (etykieta „%2”)").arg(entry.articleName, entry.labelText);
}

} // namespace

SaleCounter::SaleCounter(Dialogs& dialogs, db::Catalogue& catalogue,
                         workers::WorkerDirectory& arrayWithDataOfWorkers, SaleControls& controls,
                         GridTable& basketView, GridTable& checkView,
                         StatementPreview statementPreview,
                         std::optional<db::TextCodec> connectionCodec)
    : dialogs_(dialogs), catalogue_(catalogue), workers_(arrayWithDataOfWorkers),
      controls_(controls), basketView_(basketView), checkView_(checkView),
      statementPreview_(std::move(statementPreview)),
      codec_(connectionCodec ? *connectionCodec
                             : db::TextCodec::forCharset(QStringLiteral("WIN1250"))) {
    basketColumns_ = {columnOf(basketView, "NAZWA"), columnOf(basketView, "ETYKIETA")};
    checkColumns_ = {columnOf(checkView, "ODWO_ID"),       columnOf(checkView, "KOD"),
                     columnOf(checkView, "NAZWA"),         columnOf(checkView, "NAZWA_TKANINY"),
                     columnOf(checkView, "NAZWA_KORPUSU"), columnOf(checkView, "ILOSC"),
                     columnOf(checkView, "QBM"),           columnOf(checkView, "CENA"),
                     columnOf(checkView, "CENA_Z_VAT")};
}

std::vector<GridColumn> SaleCounter::basketViewColumns() {
    return {{QStringLiteral("NAZWA"), 435}, {QStringLiteral("ETYKIETA"), 340}};
}

std::vector<GridColumn> SaleCounter::checkViewColumns() {
    return {{QStringLiteral("ODWO_ID"), 195},
            {QStringLiteral("KOD"), 202},
            {QStringLiteral("NAZWA"), 319},
            {QStringLiteral("NAZWA_TKANINY"), 318},
            {QStringLiteral("NAZWA_KORPUSU"), 258},
            {QStringLiteral("ILOSC"), 166},
            {QStringLiteral("QBM"), 0},
            {QStringLiteral("CENA"), 113},
            {QStringLiteral("CENA_Z_VAT"), 143, true}};
}

void SaleCounter::cxSellTabSheetShow() {
    if (controls_.checkProductChecked() || controls_.sellChecked())
        return;
    for (const Control c : kPurchaseButtons)
        controls_.setEnabled(c, false);
}

void SaleCounter::CheckProductRadioButtonClick() {
    controls_.setEnabled(Control::WorkerIDEdit, false);
    for (const Control c : kPurchaseButtons)
        controls_.setEnabled(c, false);
    controls_.setActiveLevel(SummaryLevel::Check);
}

void SaleCounter::SellRadioButtonClick() {
    controls_.setEnabled(Control::WorkerIDEdit, true);
    for (const Control c : kPurchaseButtons)
        controls_.setEnabled(c, true);
    controls_.setActiveLevel(SummaryLevel::Basket);
    refreshBasketView();
}

void SaleCounter::WorkerIDEditKeyPress(QChar key) {
    if (key == kEnter)
        workerId_ = controls_.workerIdText();
}

void SaleCounter::refreshBasketView() {
    const GridTable::Bulk bulk(basketView_);
    basketView_.clearRows();
    for (const BasketEntry& entry : basket_) {
        const int row = basketView_.appendRow();
        basketView_.setText(row, basketColumns_.name, entry.articleName);
        basketView_.setText(row, basketColumns_.label, entry.labelText);
    }
}

void SaleCounter::resetPurchase() {
    controls_.clearModes();
    for (const Control c :
         {Control::FinalizeSellButton, Control::DeleteCurrentSummaryPositionButton,
          Control::CancelCurrentSellingButton, Control::GenerateReportForSellButton})
        controls_.setEnabled(c, false);
    workerId_.clear();
    controls_.setWorkerIdText(QString());
    controls_.setProductIdText(QString());
    basketView_.clearRows();
    checkView_.clearRows();
    basket_.clear();
    unknownWrites_.clear();
}

void SaleCounter::ProductIDEditKeyPress(QChar key) {
    if (key != kEnter)
        return;
    const QString labelText = controls_.productIdText();
    if (labelText.isEmpty())
        return;
    // A label that cannot be looked up, or (in sell mode) cannot be recorded with the purchase,
    // is refused here: nothing is sent, the views and the basket stay as they are.
    QString labelKeyText;
    try {
        labelKeyText = checkedLabelKey(labelText);
        if (controls_.sellChecked())
            checkRecordableLabel(labelText);
    } catch (const AppError&) {
        controls_.setProductIdText(QString());
        throw;
    }

    db::Procedure& p = catalogue_.ibcspGetProductInfo;
    p.setText("I_LABEL", labelKeyText);
    p.open();
    const int count = p.readCount(db::col::kCountAmountOfArticles);
    if (!p.onRow() || p.asInteger(db::col::kOdwoId) == 0) {
        dialogs_.information(kNoSuchProduct);
        controls_.setProductIdText(QString());
        return;
    }
    checkView_.clearRows();

    for (int n = 1; n <= count; ++n) {
        if ((n >= 2 && !p.next()) || !p.onRow())
            break;
        if (controls_.checkProductChecked()) {
            controls_.setActiveLevel(SummaryLevel::Check);
            controls_.setProductIdText(QString());
            // Converted before the row is added, so a price that is no number leaves no
            // half-filled row behind.
            const double gross = priceWithTax(p.asText(db::col::kPrice));
            const CheckColumns& c = checkColumns_;
            const int row = checkView_.appendRow();
            checkView_.setText(row, c.odwoId, p.asText(db::col::kOdwoId));
            checkView_.setText(row, c.code, p.asText(db::col::kCode));
            checkView_.setText(row, c.name, p.asText(db::col::kName));
            checkView_.setText(row, c.fabric, p.asText(db::col::kNameOfFabric));
            checkView_.setText(row, c.corpus, p.asText(db::col::kNameOfCorpus));
            checkView_.setText(row, c.amount, p.asText(db::col::kAmount));
            checkView_.setText(row, c.qbm, p.asText(db::col::kQbm));
            checkView_.setText(row, c.price, p.asText(db::col::kPrice));
            checkView_.setNumber(row, c.priceWithTax, gross);
        } else if (controls_.sellChecked()) {
            controls_.setActiveLevel(SummaryLevel::Basket);
            controls_.setProductIdText(QString());
            const int amount = p.asInteger(db::col::kAmount);
            const QString name = p.asText(db::col::kName);
            if (amount > 0) {
                const BasketEntry entry{name, labelText};
                if (std::find(basket_.begin(), basket_.end(), entry) == basket_.end())
                    basket_.push_back(entry);
            } else if (amount == 0) {
                releaseFromLastBuyer(labelKeyText, name);
            }
            refreshBasketView();
        } else {
            dialogs_.information(kChooseMode);
            controls_.setProductIdText(QString());
            return;
        }
    }
}

// The whole label text is recorded with the purchase (I_LABEL of WORKERS_PURCHASE): every
// character must exist in the connection's code page, and the text must fit the parameter. The
// label is refused whole rather than cut or altered.
void SaleCounter::checkRecordableLabel(const QString& labelText) const {
    for (qsizetype i = 0; i < labelText.size();) {
        const qsizetype width = labelText.at(i).isHighSurrogate() && i + 1 < labelText.size() &&
                                        labelText.at(i + 1).isLowSurrogate()
                                    ? 2
                                    : 1;
        const QString character = labelText.mid(i, width);
        try {
            codec_.encode(character);
        } catch (const Error&) {
            const char32_t codePoint =
                width == 2 ? QChar::surrogateToUcs4(labelText.at(i), labelText.at(i + 1))
                           : labelText.at(i).unicode();
            const QString code =
                QStringLiteral("U+%1").arg(uint(codePoint), 4, 16, QLatin1Char('0')).toUpper();
            const QString shown = labelText.at(i).isSurrogate() && width == 1
                                      ? code
                                      : QStringLiteral("„%1” (%2)").arg(character, code);
            throw AppError(QStringLiteral("Etykieta %1 zawiera znak %2, którego nie można zapisać "
                                          "w bazie danych (strona kodowa %3). Produkt nie został "
                                          "dodany do koszyka.")
                               .arg(quotedInMessage(labelText), shown, codec_.charsetName()));
        }
        i += width;
    }
    // The quoted label carries its length, being longer than the part shown.
    if (labelText.toUcs4().size() > kLongestLabel)
        throw AppError(QStringLiteral("Etykieta %1 jest za długa: w bazie danych można zapisać "
                                      "najwyżej %2 znaków. Produkt nie został dodany do koszyka.")
                           .arg(quotedInMessage(labelText), QString::number(kLongestLabel)));
}

void SaleCounter::releaseFromLastBuyer(const QString& key, const QString& articleName) {
    if (!askYesNo(dialogs_, kSoldOutRelease))
        return;
    if (!askYesNo(dialogs_, kSoldOutReleaseSure))
        return;

    struct OrderRecord {
        QString orderId, workerId, labelText, date;
    };
    db::Procedure& orders = catalogue_.ibcspGetWorkersOrdersID;
    orders.open();
    std::vector<OrderRecord> records;
    orders.walkRows(orders.readCount(db::col::kCountWorkerOrders), [&] {
        records.push_back({orders.asText(db::col::kOrderId), orders.asText(db::col::kUserId),
                           orders.asText(db::col::kLabel), orders.asText(db::col::kDate)});
    });

    struct Kept {
        const OrderRecord* record;
        qint64 moment;
    };
    std::vector<Kept> kept;
    for (const OrderRecord& r : records)
        if (labelKey(r.labelText) == key)
            kept.push_back({&r, purchaseMoment(r.date)});
    if (kept.empty())
        return;
    const qint64 latest =
        std::max_element(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) {
            return a.moment < b.moment;
        })->moment;

    db::Procedure& rollback = catalogue_.ibcspRollbackWorkerPurchase;
    for (const Kept& k : kept) {
        if (k.moment != latest)
            continue;
        rollback.setText("I_NAME", articleName);
        rollback.setInteger("I_ORDER_ID", wholeNumberOrFail(k.record->orderId, "Numer zakupu"));
        rollback.setInteger("I_ODWO_ID", wholeNumberOrFail(key, "Klucz etykiety"));
        rollback.execute();
    }
}

void SaleCounter::FinalizeSellButtonClick() {
    if (controls_.workerIdText().isEmpty()) {
        workerId_ = dialogs_.inputBox(kWorkerIdCaption, kWorkerIdPrompt, QString());
        if (isNumber(workerId_))
            controls_.setWorkerIdText(workerId_);
        else
            dialogs_.information(kWorkerIdNotNumber);
        return;
    }
    if (!workers_.purchaseCheck(dialogs_, workerId_))
        return;
    if (basket_.empty()) {
        dialogs_.information(kEmptyBasket);
        return;
    }
    // Whatever happens in the preview, the completion goes on with its next question: a preview
    // that fails is reported and does not end the purchase.
    if (askYesNo(dialogs_, kOfferStatement) && statementPreview_)
        runGuarded(dialogs_, statementPreview_);
    if (!askYesNo(dialogs_, kFinishPurchase))
        return;
    recordPurchase();
}

// Records the basket entry by entry, each purchase committed on its own. An entry leaves the
// basket as soon as its purchase is committed, so when a lookup or a write fails part-way the
// basket (and its view) hold exactly the entries not recorded yet, and completing again cannot
// record any entry twice.
//
// A write whose connection was lost before its answer came may have been recorded all the same.
// Its entry stays in the basket, marked; before it is recorded again, the worker's standing
// purchases under its label are counted once more: one more than before the write means the
// server recorded it, and the entry leaves the basket as recorded; as many as before means it was
// not, and it is recorded now. Any other count (another workstation recorded or released a
// purchase of that label for the worker meanwhile) cannot be told apart, and the operator is told
// which entry to check.
//
// An entry whose article ran out since the scan is not recorded; all of them are named in one
// notice once the others are recorded.
void SaleCounter::recordPurchase() {
    // Each entry passed these checks when it was scanned; they are made again for the whole
    // basket before the first write, so a basket that cannot be recorded is refused whole.
    for (const BasketEntry& entry : basket_) {
        checkedLabelKey(entry.labelText);
        checkRecordableLabel(entry.labelText);
    }
    std::optional<qint32> buyer;
    std::optional<std::map<QString, int>> standing; // the buyer's, read before the first write
    std::vector<BasketEntry> soldOut;
    db::Procedure& purchase = catalogue_.ibcspWorkersPurchase;
    const auto recorded = [&](size_t i) {
        forgetUnknownWrite(basket_[i]);
        basket_.erase(basket_.begin() + qsizetype(i));
        refreshBasketView();
    };
    size_t i = 0;
    while (i < basket_.size()) {
        const BasketEntry entry = basket_[i];
        const auto unknown = std::find_if(unknownWrites_.begin(), unknownWrites_.end(),
                                          [&](const UnknownWrite& w) { return w.entry == entry; });
        if (unknown != unknownWrites_.end()) {
            if (wasRecorded(*unknown)) {
                recorded(i);
                continue;
            }
            forgetUnknownWrite(entry);
        }
        const QString key = checkedLabelKey(entry.labelText);
        if (!available(entry, key)) {
            soldOut.push_back(entry);
            ++i;
            continue;
        }
        if (!buyer)
            buyer = wholeNumberOrFail(workerId_, "ID pracownika");
        if (!standing)
            standing = standingPurchases(*buyer);
        int& standingOfLabel = (*standing)[entry.labelText];
        purchase.setInteger("I_USER_ID", *buyer);
        purchase.setText("I_ODWO_ID", key);
        purchase.setText("I_LABEL", entry.labelText);
        purchase.setText("I_NAME", entry.articleName);
        try {
            purchase.execute();
        } catch (const db::DbError& e) {
            if (e.isConnectionLost())
                unknownWrites_.push_back({entry, *buyer, standingOfLabel});
            // Another workstation may have sold the last piece between the lookup and the write;
            // the procedure then refuses the write, and the entry is one that ran out meanwhile.
            if (!e.isProcedureRefusal() || available(entry, key))
                throw;
            soldOut.push_back(entry);
            ++i;
            continue;
        }
        ++standingOfLabel;
        recorded(i);
    }
    if (!soldOut.empty()) {
        QStringList lines{kSoldOutMeanwhile};
        for (const BasketEntry& entry : soldOut)
            lines << entryInMessage(entry);
        dialogs_.information(lines.join(QLatin1Char('\n')));
    }
    resetPurchase();
}

// A label key may stand for several articles: the entry is tested against the row of its own
// article only.
bool SaleCounter::available(const BasketEntry& entry, const QString& key) {
    db::Procedure& lookup = catalogue_.ibcspGetProductInfo;
    lookup.setText("I_LABEL", key);
    lookup.open();
    std::optional<int> amount;
    lookup.walkRows(lookup.readCount(db::col::kCountAmountOfArticles), [&] {
        if (!amount && lookup.asText(db::col::kName) == entry.articleName)
            amount = lookup.asInteger(db::col::kAmount);
    });
    return amount && *amount > 0;
}

std::map<QString, int> SaleCounter::standingPurchases(qint32 worker) {
    db::Procedure& orders = catalogue_.ibcspGetWorkerOrders;
    orders.setInteger("I_USER_ID", worker);
    orders.open();
    std::map<QString, int> count;
    orders.walkRows(orders.readCount(db::col::kCountWorkerOrders),
                    [&] { ++count[orders.asText(db::col::kLabel)]; });
    return count;
}

bool SaleCounter::wasRecorded(const UnknownWrite& write) {
    const int now = standingPurchases(write.buyer)[write.entry.labelText];
    if (now == write.standingBefore + 1)
        return true;
    if (now == write.standingBefore)
        return false;
    throw AppError(
        QStringLiteral("Nie można ustalić, czy zakup %1 dla pracownika %2 został zapisany: "
                       "połączenie z bazą danych zostało przerwane w trakcie zapisu, a zakupy "
                       "tego pracownika zmieniły się od tej chwili. Sprawdź je w zestawieniu "
                       "sprzedaży i usuń tę pozycję z koszyka; jeśli zakupu tam nie ma, zeskanuj "
                       "etykietę ponownie.")
            .arg(entryInMessage(write.entry), QString::number(write.buyer)));
}

void SaleCounter::forgetUnknownWrite(const BasketEntry& entry) {
    std::erase_if(unknownWrites_, [&](const UnknownWrite& w) { return w.entry == entry; });
}

void SaleCounter::DeleteCurrentSummaryPositionButtonClick() {
    if (!askYesNo(dialogs_, kDeleteEntry))
        return;
    if (basket_.empty())
        return;
    const std::optional<int> row = basketView_.selectedRow();
    if (!row || size_t(*row) >= basket_.size())
        return;
    const BasketEntry entry = basket_[size_t(*row)];
    std::vector<UnknownWrite> dropped;
    for (const UnknownWrite& w : unknownWrites_)
        if (w.entry == entry)
            dropped.push_back(w);
    forgetUnknownWrite(entry);
    basket_.erase(basket_.begin() + *row);
    refreshBasketView();
    tellUnknownWritesDropped(dropped);
}

void SaleCounter::CancelCurrentSellingButtonClick() {
    if (!askYesNo(dialogs_, kCancelPurchase))
        return;
    const std::vector<UnknownWrite> dropped = unknownWrites_;
    resetPurchase();
    tellUnknownWritesDropped(dropped);
}

// An entry whose write lost its connection may stand recorded although it leaves the basket
// unrecorded: the operator is told which to look up.
void SaleCounter::tellUnknownWritesDropped(const std::vector<UnknownWrite>& dropped) {
    if (dropped.empty())
        return;
    QStringList lines{QStringLiteral(
        "Nie wiadomo, czy te zakupy zostały zapisane, bo połączenie z bazą danych zostało "
        "przerwane w trakcie ich zapisu. Sprawdź zakupy pracownika w zestawieniu sprzedaży:")};
    for (const UnknownWrite& w : dropped)
        lines << QStringLiteral("%1, pracownik %2")
                     .arg(entryInMessage(w.entry), QString::number(w.buyer));
    dialogs_.information(lines.join(QLatin1Char('\n')));
}

} // namespace qm::counter
