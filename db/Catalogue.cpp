#include "Catalogue.h"

namespace qm::db {

namespace defs {

using K = ProcedureKind;
using T = TransactionRole;
using F = Form;

const ProcedureDef GetWorkersData{"ibcspGetWorkersData",
                                  "GET_WORKERS_DATA",
                                  K::Query,
                                  T::OnlyLoad,
                                  "SELECT * FROM GET_WORKERS_DATA",
                                  {}};
const ProcedureDef GetWorkersOrders{"ibcspGetWorkersOrders",
                                    "GET_WORKERS_ORDERS",
                                    K::Query,
                                    T::OnlyLoad,
                                    "SELECT * FROM GET_WORKERS_ORDERS",
                                    {}};
const ProcedureDef GetWorkerOrders{"ibcspGetWorkerOrders",
                                   "GET_WORKER_ORDERS",
                                   K::Query,
                                   T::OnlyLoad,
                                   "SELECT * FROM GET_WORKER_ORDERS(:I_USER_ID)",
                                   {{"I_USER_ID", F::Integer}}};
const ProcedureDef GetOrdersByDateRange{
    "ibcspGetOrdersByDateRange",
    "GET_ORDERS_BY_DATE_RANGE",
    K::Query,
    T::OnlyLoad,
    "SELECT * FROM GET_ORDERS_BY_DATE_RANGE(:I_DATE_FROM, :I_DATE_TO)",
    {{"I_DATE_FROM", F::Date}, {"I_DATE_TO", F::Date}}};
const ProcedureDef GetWorkersOrdersID{"ibcspGetWorkersOrdersID",
                                      "GET_WORKERS_ORDERS_ID",
                                      K::Query,
                                      T::OnlyLoad,
                                      "SELECT * FROM GET_WORKERS_ORDERS_ID",
                                      {}};
const ProcedureDef GetProductInfo{"ibcspGetProductInfo",
                                  "GET_PRODUCT_INFO",
                                  K::Query,
                                  T::OnlyLoad,
                                  "SELECT * FROM GET_PRODUCT_INFO(:I_LABEL)",
                                  {{"I_LABEL", F::Text}}};
const ProcedureDef GetAllProductsInfo{"ibcspGetAllProductsInfo",
                                      "GET_ALL_PRODUCTS_INFO",
                                      K::Query,
                                      T::OnlyLoad,
                                      "SELECT * FROM GET_ALL_PRODUCTS_INFO",
                                      {}};
const ProcedureDef CheckDataBeforeImport{
    "ibcspCheckDataBeforeImport",
    "CHECK_DATA_BEFORE_IMPORT",
    K::Query,
    T::OnlyLoad,
    "SELECT * FROM CHECK_DATA_BEFORE_IMPORT(:I_ODWO_ID, :I_CODE, :I_NAME, :I_NAME_OF_FABRIC, "
    ":I_NAME_OF_FABRIC2, :I_NAME_OF_CORPUS, :I_AMOUNT, :I_PARENT_OF_ARTICLE_ID)",
    {{"I_ODWO_ID", F::Integer},
     {"I_CODE", F::Text},
     {"I_NAME", F::Text},
     {"I_NAME_OF_FABRIC", F::Text},
     {"I_NAME_OF_FABRIC2", F::Text},
     {"I_NAME_OF_CORPUS", F::Text},
     {"I_AMOUNT", F::Integer},
     {"I_PARENT_OF_ARTICLE_ID", F::Integer}}};
const ProcedureDef CurrentServerDate{"ibcspCurrentServerDate",
                                     "CURRENT_SERVER_DATE",
                                     K::Query,
                                     T::OnlyLoad,
                                     "SELECT * FROM CURRENT_SERVER_DATE",
                                     {}};
const ProcedureDef WorkersPurchase{
    "ibcspWorkersPurchase",
    "WORKERS_PURCHASE",
    K::Execute,
    T::OnlySave,
    "EXECUTE PROCEDURE WORKERS_PURCHASE(:I_USER_ID, :I_ODWO_ID, :I_LABEL, :I_NAME)",
    {{"I_USER_ID", F::Integer}, {"I_ODWO_ID", F::Text}, {"I_LABEL", F::Text}, {"I_NAME", F::Text}}};
const ProcedureDef RollbackWorkerPurchase{
    "ibcspRollbackWorkerPurchase",
    "ROLLBACK_WORKER_PURCHASE",
    K::Execute,
    T::OnlySave,
    "EXECUTE PROCEDURE ROLLBACK_WORKER_PURCHASE(:I_ORDER_ID, :I_ODWO_ID, :I_NAME)",
    {{"I_ORDER_ID", F::Integer}, {"I_ODWO_ID", F::Integer}, {"I_NAME", F::Text}}};
const ProcedureDef ImportCSV{
    "ibcspImportCSV",
    "IMPORT_DATA_FROM_CSV",
    K::Execute,
    T::OnlySave,
    "EXECUTE PROCEDURE IMPORT_DATA_FROM_CSV(:I_ODWO_ID, :I_CODE, :I_NAME, :I_NAME_OF_FABRIC, "
    ":I_NAME_OF_FABRIC2, :I_NAME_OF_CORPUS, :I_AMOUNT, :I_PARENT_OF_ARTICLE_ID, :I_QBM, :I_PRICE)",
    {{"I_ODWO_ID", F::Integer},
     {"I_CODE", F::Text},
     {"I_NAME", F::Text},
     {"I_NAME_OF_FABRIC", F::Text},
     {"I_NAME_OF_FABRIC2", F::Text},
     {"I_NAME_OF_CORPUS", F::Text},
     {"I_AMOUNT", F::Integer},
     {"I_PARENT_OF_ARTICLE_ID", F::Integer},
     {"I_QBM", F::Text},
     {"I_PRICE", F::Text}}};
const ProcedureDef ModifyArticlePrice{
    "ibcspModifyArticlePrice",
    "MODIFY_ARTICLE_PRICE",
    K::Execute,
    T::OnlySave,
    "EXECUTE PROCEDURE MODIFY_ARTICLE_PRICE(:I_ODWO_ID, :I_CODE, :I_NAME, :I_PRICE)",
    {{"I_ODWO_ID", F::Text}, {"I_CODE", F::Text}, {"I_NAME", F::Text}, {"I_PRICE", F::Text}}};

const std::vector<const ProcedureDef*>& all() {
    static const std::vector<const ProcedureDef*> list = {
        &GetWorkersData,     &GetWorkersOrders, &GetWorkerOrders,        &GetOrdersByDateRange,
        &GetWorkersOrdersID, &GetProductInfo,   &GetAllProductsInfo,     &CheckDataBeforeImport,
        &CurrentServerDate,  &WorkersPurchase,  &RollbackWorkerPurchase, &ImportCSV,
        &ModifyArticlePrice};
    return list;
}

} // namespace defs

Catalogue::Catalogue(Connection& c)
    : ibcspGetWorkersData(c, defs::GetWorkersData),
      ibcspGetWorkersOrders(c, defs::GetWorkersOrders),
      ibcspGetWorkerOrders(c, defs::GetWorkerOrders),
      ibcspGetOrdersByDateRange(c, defs::GetOrdersByDateRange),
      ibcspGetWorkersOrdersID(c, defs::GetWorkersOrdersID),
      ibcspGetProductInfo(c, defs::GetProductInfo),
      ibcspGetAllProductsInfo(c, defs::GetAllProductsInfo),
      ibcspCheckDataBeforeImport(c, defs::CheckDataBeforeImport),
      ibcspCurrentServerDate(c, defs::CurrentServerDate),
      ibcspWorkersPurchase(c, defs::WorkersPurchase),
      ibcspRollbackWorkerPurchase(c, defs::RollbackWorkerPurchase),
      ibcspImportCSV(c, defs::ImportCSV), ibcspModifyArticlePrice(c, defs::ModifyArticlePrice) {}

void Catalogue::closeAll() {
    for (Procedure* p : {&ibcspGetWorkersData, &ibcspGetWorkersOrders, &ibcspGetWorkerOrders,
                         &ibcspGetOrdersByDateRange, &ibcspGetWorkersOrdersID, &ibcspGetProductInfo,
                         &ibcspGetAllProductsInfo, &ibcspCheckDataBeforeImport,
                         &ibcspCurrentServerDate, &ibcspWorkersPurchase,
                         &ibcspRollbackWorkerPurchase, &ibcspImportCSV, &ibcspModifyArticlePrice}) {
        p->close();
        p->releaseStatement();
    }
}

} // namespace qm::db
