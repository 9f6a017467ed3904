#pragma once

#include "Columns.h"
#include "Procedure.h"

namespace qm::db {

// One component per procedure of the fixed catalogue, all bound to one connection. The catalogue
// itself (procedure, kind, transaction, SQL text, parameters) is written once, in table(); each
// component below takes its entry from there.
struct Catalogue {
    explicit Catalogue(Connection& connection);
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    // One entry of the catalogue: the component it configures and the procedure's definition.
    struct Entry {
        Procedure Catalogue::*component;
        ProcedureDef def;
    };
    // The only SQL the program ever sends, in catalogue order.
    static const std::vector<Entry>& table();
    // The definition a component takes from the table.
    static const ProcedureDef& defOf(Procedure Catalogue::*component);

private:
    Connection& connection_;

public:
    Procedure ibcspGetWorkersData{connection_, defOf(&Catalogue::ibcspGetWorkersData)};
    Procedure ibcspGetWorkersOrders{connection_, defOf(&Catalogue::ibcspGetWorkersOrders)};
    Procedure ibcspGetWorkerOrders{connection_, defOf(&Catalogue::ibcspGetWorkerOrders)};
    Procedure ibcspGetOrdersByDateRange{connection_, defOf(&Catalogue::ibcspGetOrdersByDateRange)};
    Procedure ibcspGetWorkersOrdersID{connection_, defOf(&Catalogue::ibcspGetWorkersOrdersID)};
    Procedure ibcspGetProductInfo{connection_, defOf(&Catalogue::ibcspGetProductInfo)};
    Procedure ibcspGetAllProductsInfo{connection_, defOf(&Catalogue::ibcspGetAllProductsInfo)};
    Procedure ibcspCheckDataBeforeImport{connection_,
                                         defOf(&Catalogue::ibcspCheckDataBeforeImport)};
    Procedure ibcspCurrentServerDate{connection_, defOf(&Catalogue::ibcspCurrentServerDate)};
    Procedure ibcspWorkersPurchase{connection_, defOf(&Catalogue::ibcspWorkersPurchase)};
    Procedure ibcspRollbackWorkerPurchase{connection_,
                                          defOf(&Catalogue::ibcspRollbackWorkerPurchase)};
    Procedure ibcspImportCSV{connection_, defOf(&Catalogue::ibcspImportCSV)};
    Procedure ibcspModifyArticlePrice{connection_, defOf(&Catalogue::ibcspModifyArticlePrice)};

    // Closes every component (their results and prepared statements).
    void closeAll();
};

} // namespace qm::db
