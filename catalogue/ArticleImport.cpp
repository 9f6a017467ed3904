#include "ArticleImport.h"

#include "core/Dialogs.h"
#include "core/LabelKey.h"
#include "db/Catalogue.h"

#include <QDir>

namespace qm::catalogue {

namespace {

const QString kChooseFile = QStringLiteral("Wybierz plik CSV");
const QString kEmptyRecord = QStringLiteral("Pusty rekord");
const QString kExistingRecord = QStringLiteral("Istniejący rekord");
const QString kImportFailed = QStringLiteral("Import danych nie powiódł się");
const QString kImportSucceeded = QStringLiteral("Import danych powiódł się");
const QString kImportSucceededWithErrors =
    QStringLiteral("Import danych powiódł się pomimo pewnych błędów. Błędne rekordy nie zostały "
                   "zaimportowane.");
const QString kStartUpQuestion = QStringLiteral("Czy zaimportować plik CSV z artykułami?");
const QString kFileFilter = QStringLiteral("csv files (*.csv)|*.csv");

// The progress box's text, with the record count.
QString progressText(int done, int total) {
    return QStringLiteral("Import artykułów z pliku CSV: %1 z %2 rekordów").arg(done).arg(total);
}

// The text parameters of both procedures carry at most this many characters.
constexpr qsizetype kTextParameterLength = 80;
constexpr int kProgressStep = 50;

QString cut(const QString& text, qsizetype length) {
    if (text.size() <= length)
        return text;
    // Never end inside a surrogate pair.
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

// A decimal value of the QBM and CENA columns: an optional sign, digits, and optionally a point
// or a comma followed by digits. Given back with a point, as the server reads it.
std::optional<QString> decimalText(const QString& text) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        out += text.at(i++);
    qsizetype digitsBefore = 0;
    for (; i < text.size() && text.at(i).unicode() >= u'0' && text.at(i).unicode() <= u'9'; ++i)
        out += text.at(i), ++digitsBefore;
    if (digitsBefore == 0)
        return std::nullopt;
    if (i == text.size())
        return out;
    if (text.at(i) != QLatin1Char('.') && text.at(i) != QLatin1Char(','))
        return std::nullopt;
    out += QLatin1Char('.');
    ++i;
    qsizetype digitsAfter = 0;
    for (; i < text.size() && text.at(i).unicode() >= u'0' && text.at(i).unicode() <= u'9'; ++i)
        out += text.at(i), ++digitsAfter;
    if (digitsAfter == 0 || i != text.size())
        return std::nullopt;
    return out;
}

// A record that ends the import; the text names where.
struct RecordFailure {
    QString where;
};

// The progress box of a long import, closed on every way out.
class ImportProgress {
public:
    ImportProgress(Dialogs& dialogs, int total)
        : dialogs_(dialogs), total_(total), shown_(total > ArticleImport::kProgressFrom) {
        if (shown_)
            dialogs_.progress(progressText(0, total_), 0, total_);
    }
    ~ImportProgress() {
        if (shown_)
            dialogs_.progress(progressText(total_, total_), total_, total_);
    }
    ImportProgress(const ImportProgress&) = delete;
    ImportProgress& operator=(const ImportProgress&) = delete;

    void done(int records) {
        if (shown_ && records > 0 && records % kProgressStep == 0 && records < total_)
            dialogs_.progress(progressText(records, total_), records, total_);
    }

private:
    Dialogs& dialogs_;
    int total_;
    bool shown_;
};

// Keeps the write statement prepared for the whole import; each record is still committed on
// its own.
class PreparedWrites {
public:
    explicit PreparedWrites(db::Procedure& procedure) : procedure_(procedure) {
        procedure_.setKeepPrepared(true);
    }
    ~PreparedWrites() { procedure_.setKeepPrepared(false); }
    PreparedWrites(const PreparedWrites&) = delete;
    PreparedWrites& operator=(const PreparedWrites&) = delete;

private:
    db::Procedure& procedure_;
};

} // namespace

ArticleImport::ArticleImport(Dialogs& dialogs, db::Catalogue& catalogue,
                             CatalogueControls& controls, GridTable& errorList)
    : dialogs_(dialogs), catalogue_(catalogue), controls_(controls), errorList_(errorList) {
    if (errorList_.columns().size() != errorListColumns().size())
        throw std::logic_error("the import error list has other columns");
}

std::vector<GridColumn> ArticleImport::errorListColumns() {
    return {{QStringLiteral("POWOD BLEDU"), 158},
            {QStringLiteral("ODWO_ID"), 115},
            {QStringLiteral("KOD"), 177},
            {QStringLiteral("NAZWA"), 194}};
}

bool ArticleImport::offerStartUpImport(const std::function<void()>& showImportTab) {
    if (!askYesNo(dialogs_, kStartUpQuestion))
        return false;
    if (showImportTab)
        showImportTab();
    LoadCSVFileButtonClick();
    return true;
}

void ArticleImport::LoadCSVFileButtonClick() {
    const QString csvPatch = dialogs_.openFile(QDir::rootPath(), kFileFilter);
    outcome_ = ImportOutcome::None;
    controls_.setEnabled(Control::GenerateReportImportCSVButton, false);
    errorList_.clearRows();
    if (csvPatch.isEmpty()) {
        dialogs_.information(kChooseFile);
        return;
    }
    records_.clear();
    ArticleFileContent content = ArticleFile::read(csvPatch);
    if (!content.readable())
        throw AppError(*content.refusal);
    records_ = std::move(content.records);

    importRecords();
}

void ArticleImport::importRecords() {
    using C = ArticleColumn;
    db::Procedure& check = catalogue_.ibcspCheckDataBeforeImport;
    db::Procedure& import = catalogue_.ibcspImportCSV;
    int errorCounter = 0;
    const auto reject = [&](const QString& reason, const ArticleRecord& r) {
        const int row = errorList_.appendRow();
        errorList_.setText(row, 0, reason);
        errorList_.setText(row, 1, r.value(C::ODWO_ID));
        errorList_.setText(row, 2, r.value(C::KOD));
        errorList_.setText(row, 3, r.value(C::NAZWA));
        ++errorCounter;
    };
    const auto whole = [](const ArticleRecord& r, C column) {
        const auto number = wholeNumber(r.value(column));
        if (!number)
            throw RecordFailure{
                QStringLiteral("Wiersz %1, kolumna %2: wartość %3 nie jest liczbą "
                               "całkowitą.")
                    .arg(r.line)
                    .arg(articleColumnName(column), quotedInMessage(r.value(column)))};
        return *number;
    };
    const auto decimal = [](const ArticleRecord& r, C column) {
        const auto text = decimalText(r.value(column));
        if (!text)
            throw RecordFailure{
                QStringLiteral("Wiersz %1, kolumna %2: wartość %3 nie jest liczbą "
                               "(na przykład 12.50 lub 12,50).")
                    .arg(r.line)
                    .arg(articleColumnName(column), quotedInMessage(r.value(column)))};
        return *text;
    };
    const auto text = [](const ArticleRecord& r, C column) {
        return cut(r.value(column), kTextParameterLength);
    };

    std::optional<QString> failure;
    {
        GridTable::Bulk bulk(errorList_);
        ImportProgress progress(dialogs_, int(records_.size()));
        PreparedWrites prepared(import);
        const ArticleRecord* current = nullptr;
        try {
            int done = 0;
            for (const ArticleRecord& r : records_) {
                current = &r;
                progress.done(done++);
                if (r.value(C::ODWO_ID).isEmpty() || r.value(C::KOD).isEmpty() ||
                    r.value(C::NAZWA).isEmpty()) {
                    reject(kEmptyRecord, r);
                    continue;
                }
                const qint32 odwoId = whole(r, C::ODWO_ID);
                const qint32 amount = whole(r, C::ILOSC);
                const qint32 parent = whole(r, C::ARTYKUL_RODZIC_ID);

                check.close();
                check.setInteger("I_ODWO_ID", odwoId);
                check.setText("I_CODE", text(r, C::KOD));
                check.setText("I_NAME", text(r, C::NAZWA));
                check.setText("I_NAME_OF_FABRIC", text(r, C::NAZWA_TKA1));
                check.setText("I_NAME_OF_FABRIC2", text(r, C::NAZWA_TKA2));
                check.setText("I_NAME_OF_CORPUS", text(r, C::NAZWA_KORPUSU));
                check.setInteger("I_AMOUNT", amount);
                check.setInteger("I_PARENT_OF_ARTICLE_ID", parent);
                check.open();
                if (check.readCount(db::col::kCountArticle) > 0) {
                    reject(kExistingRecord, r);
                    continue;
                }

                import.setInteger("I_ODWO_ID", odwoId);
                import.setText("I_CODE", text(r, C::KOD));
                import.setText("I_NAME", text(r, C::NAZWA));
                import.setText("I_NAME_OF_FABRIC", text(r, C::NAZWA_TKA1));
                import.setText("I_NAME_OF_FABRIC2", text(r, C::NAZWA_TKA2));
                import.setText("I_NAME_OF_CORPUS", text(r, C::NAZWA_KORPUSU));
                import.setInteger("I_AMOUNT", amount);
                import.setInteger("I_PARENT_OF_ARTICLE_ID", parent);
                import.setText("I_QBM", decimal(r, C::QBM));
                import.setText("I_PRICE", decimal(r, C::CENA));
                import.execute();
            }
        } catch (const RecordFailure& f) {
            failure = f.where;
        } catch (const std::exception& e) {
            // A failed procedure call (the server's text) or a text the connection's code page
            // cannot carry.
            const auto* error = dynamic_cast<const Error*>(&e);
            const QString reason = error ? error->text() : QString::fromUtf8(e.what());
            failure = current ? QStringLiteral("Wiersz %1 (ODWO_ID %2, NAZWA %3): %4")
                                    .arg(current->line)
                                    .arg(quotedInMessage(current->value(C::ODWO_ID)),
                                         quotedInMessage(current->value(C::NAZWA)), reason)
                              : reason;
        }
    }
    // The progress box is closed by now; the report button stays disabled.
    if (failure) {
        outcome_ = ImportOutcome::Failed;
        dialogs_.information(kImportFailed + QLatin1Char('\n') + *failure);
        return;
    }

    outcome_ = errorCounter > 0 ? ImportOutcome::SuccessWithErrors : ImportOutcome::Success;
    dialogs_.information(errorCounter > 0 ? kImportSucceededWithErrors : kImportSucceeded);
    controls_.setEnabled(Control::GenerateReportImportCSVButton, true);
}

} // namespace qm::catalogue
