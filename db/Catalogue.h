#pragma once

#include "Columns.h"
#include "Procedure.h"

namespace qm::db {

// The fixed catalogue: the only SQL the program ever sends.
namespace defs {
extern const ProcedureDef GetWorkersData;
extern const ProcedureDef GetWorkersOrders;
extern const ProcedureDef GetWorkerOrders;
extern const ProcedureDef GetOrdersByDateRange;
extern const ProcedureDef GetWorkersOrdersID;
extern const ProcedureDef GetProductInfo;
extern const ProcedureDef GetAllProductsInfo;
extern const ProcedureDef CheckDataBeforeImport;
extern const ProcedureDef CurrentServerDate;
extern const ProcedureDef WorkersPurchase;
extern const ProcedureDef RollbackWorkerPurchase;
extern const ProcedureDef ImportCSV;
extern const ProcedureDef ModifyArticlePrice;
const std::vector<const ProcedureDef*>& all();
} // namespace defs

// One component per procedure, all bound to one connection.
struct Catalogue {
    explicit Catalogue(Connection& connection);

    Procedure ibcspGetWorkersData;
    Procedure ibcspGetWorkersOrders;
    Procedure ibcspGetWorkerOrders;
    Procedure ibcspGetOrdersByDateRange;
    Procedure ibcspGetWorkersOrdersID;
    Procedure ibcspGetProductInfo;
    Procedure ibcspGetAllProductsInfo;
    Procedure ibcspCheckDataBeforeImport;
    Procedure ibcspCurrentServerDate;
    Procedure ibcspWorkersPurchase;
    Procedure ibcspRollbackWorkerPurchase;
    Procedure ibcspImportCSV;
    Procedure ibcspModifyArticlePrice;

    // Closes every component (their results and prepared statements).
    void closeAll();
};

} // namespace qm::db
