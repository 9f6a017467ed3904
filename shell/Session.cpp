#include "Session.h"

#include "counter/SaleCounter.h"
#include "reports/SalesListing.h"

namespace qm::shell {

namespace {

std::vector<GridColumn> importErrorsColumns() {
    return {{QStringLiteral("POWOD BLEDU"), 158},
            {QStringLiteral("ODWO_ID"), 115},
            {QStringLiteral("KOD"), 177},
            {QStringLiteral("NAZWA"), 194}};
}

std::vector<GridColumn> articlesColumns() {
    return {{QStringLiteral("ODWO_ID"), 82},
            {QStringLiteral("KOD"), 154},
            {QStringLiteral("NAZWA"), 195},
            {QStringLiteral("TKANINA_NAZWA"), 213},
            {QStringLiteral("TKANINA_NAZWA2"), 144},
            {QStringLiteral("NAZWA_KORPUSU"), 132},
            {QStringLiteral("ILOSC"), 48},
            {QStringLiteral("ARTYKUL_RODZIC_ID"), 111},
            {QStringLiteral("QBM"), 47},
            {QStringLiteral("CENA"), 78},
            {QStringLiteral("CENA_Z_VAT"), 83, true}};
}

} // namespace

Session::Session(const db::DeploymentSettings& settings, Dialogs& dialogs)
    : dialogs_(dialogs), settings_(settings), ibcdbQXR_(std::make_unique<db::Connection>(settings)),
      catalogue_(std::make_unique<db::Catalogue>(*ibcdbQXR_)),
      basketTable_(counter::SaleCounter::basketViewColumns()),
      checkTable_(counter::SaleCounter::checkViewColumns()),
      sellsTable_(reports::SalesListing::listingColumns()),
      importErrorsTable_(importErrorsColumns()), articlesTable_(articlesColumns()) {}

Session::~Session() {
    // The procedure components go before the connection they run on.
    catalogue_.reset();
    ibcdbQXR_.reset();
}

void Session::open() {
    ibcdbQXR_->open();
}

void Session::close() {
    ibcdbQXR_->close();
    catalogue_->closeAll();
}

} // namespace qm::shell
