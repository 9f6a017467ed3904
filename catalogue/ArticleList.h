#pragma once

#include "core/GridTable.h"

#include <QString>
#include <optional>
#include <vector>

namespace qm {
class Dialogs;
}
namespace qm::db {
struct Catalogue;
}

namespace qm::catalogue {

// The article list of the "Popraw Ceny" tab and the correction of one article's price, without
// any window.
//
// Errors the handlers do not guard are not caught here: a list that cannot be opened, or a price
// the server refuses, stops the handler with its error, and the caller shows it in the general
// error report (qm::runGuarded).
class ArticleList {
public:
    // articles has the columns of articleListColumns().
    ArticleList(Dialogs& dialogs, db::Catalogue& catalogue, GridTable& articles);

    // "ODWO_ID", "KOD", "NAZWA", "TKANINA_NAZWA", "TKANINA_NAZWA2", "NAZWA_KORPUSU", "ILOSC",
    // "ARTYKUL_RODZIC_ID", "QBM", "CENA" and "CENA_Z_VAT" (a number).
    static std::vector<GridColumn> articleListColumns();

    // "Odśwież dane": replaces the whole list with the database's articles.
    void RefreshDataButtonClick();
    // "Popraw cenę": stores a new price of the selected article and updates its row in place.
    void ModifyPriceButtonClick();

    // A price typed by the operator (a point as the decimal separator, an optional exponent such
    // as 1e3), as the nearest extended value; nothing for any other text.
    static std::optional<long double> typedPrice(const QString& text);

private:
    Dialogs& dialogs_;
    db::Catalogue& catalogue_;
    GridTable& articles_;
};

} // namespace qm::catalogue
