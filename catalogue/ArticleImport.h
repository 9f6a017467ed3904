#pragma once

#include "ArticleFile.h"
#include "CatalogueControls.h"
#include "core/GridTable.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace qm {
class Dialogs;
}
namespace qm::db {
struct Catalogue;
}

namespace qm::catalogue {

// How the last import ended.
enum class ImportOutcome {
    None,              // no import ran to the loop (dialog cancelled, file refused)
    Success,           // every record imported or nothing to import
    SuccessWithErrors, // the loop ended with rejected records in the error list
    Failed,            // the loop stopped at a record that could not be converted or written
};

// The article import of the "Import CSV" tab, without any window: the file dialog, the reader,
// the check and registration of each record, the error list and the outcome message.
//
// Every record is tested on its three key values and against the database; an article the
// database does not hold yet is registered and committed on its own, so a failure part-way keeps
// what was registered before it. A file of many records shows a progress box while it runs.
//
// Errors outside the loop are not caught here: a file the reader refuses stops the handler with
// qm::AppError, and the caller shows it in the general error report (qm::runGuarded).
class ArticleImport {
public:
    // errorList has the columns of errorListColumns().
    ArticleImport(Dialogs& dialogs, db::Catalogue& catalogue, CatalogueControls& controls,
                  GridTable& errorList);

    // "POWOD BLEDU", "ODWO_ID", "KOD", "NAZWA".
    static std::vector<GridColumn> errorListColumns();

    // "Zaladuj plik CSV".
    void LoadCSVFileButtonClick();

    // The start-up question "Czy zaimportować plik CSV z artykułami?". On "TAK" shows the import
    // tab (showImportTab) and runs the same import as the button. Returns whether it ran.
    bool offerStartUpImport(const std::function<void()>& showImportTab);

    ImportOutcome lastOutcome() const { return outcome_; }
    // The records of the last file read, kept until the next import.
    const std::vector<ArticleRecord>& records() const { return records_; }

    // Imports of more records than this show a progress box.
    static constexpr int kProgressFrom = 300;

private:
    void importRecords();

    Dialogs& dialogs_;
    db::Catalogue& catalogue_;
    CatalogueControls& controls_;
    GridTable& errorList_;
    std::vector<ArticleRecord> records_;
    ImportOutcome outcome_ = ImportOutcome::None;
};

} // namespace qm::catalogue
