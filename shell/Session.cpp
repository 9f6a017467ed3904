#include "Session.h"

#include "catalogue/ArticleImport.h"
#include "catalogue/ArticleList.h"
#include "counter/SaleCounter.h"
#include "reports/SalesListing.h"

namespace qm::shell {

Session::Session(const db::DeploymentSettings& settings, Dialogs& dialogs)
    : dialogs_(dialogs), settings_(settings), ibcdbQXR_(std::make_unique<db::Connection>(settings)),
      catalogue_(std::make_unique<db::Catalogue>(*ibcdbQXR_)),
      basketTable_(counter::SaleCounter::basketViewColumns()),
      checkTable_(counter::SaleCounter::checkViewColumns()),
      sellsTable_(reports::SalesListing::listingColumns()),
      importErrorsTable_(catalogue::ArticleImport::errorListColumns()),
      articlesTable_(catalogue::ArticleList::articleListColumns()) {}

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
