#include "Catalogue.h"

#include <stdexcept>

namespace qm::db {

const std::vector<Catalogue::Entry>& Catalogue::table() {
    using K = ProcedureKind;
    using T = TransactionRole;
    using F = Form;
    using D = Declared;
    static const std::vector<Entry> entries = {
        {&Catalogue::ibcspGetWorkersData,
         {"ibcspGetWorkersData",
          "GET_WORKERS_DATA",
          K::Query,
          T::OnlyLoad,
          "SELECT * FROM GET_WORKERS_DATA",
          {}}},
        {&Catalogue::ibcspGetWorkersOrders,
         {"ibcspGetWorkersOrders",
          "GET_WORKERS_ORDERS",
          K::Query,
          T::OnlyLoad,
          "SELECT * FROM GET_WORKERS_ORDERS",
          {}}},
        {&Catalogue::ibcspGetWorkerOrders,
         {"ibcspGetWorkerOrders",
          "GET_WORKER_ORDERS",
          K::Query,
          T::OnlyLoad,
          "SELECT * FROM GET_WORKER_ORDERS(:I_USER_ID)",
          {{"I_USER_ID", D::integer(), F::Integer}}}},
        {&Catalogue::ibcspGetOrdersByDateRange,
         {"ibcspGetOrdersByDateRange",
          "GET_ORDERS_BY_DATE_RANGE",
          K::Query,
          T::OnlyLoad,
          "SELECT * FROM GET_ORDERS_BY_DATE_RANGE(:I_DATE_FROM, :I_DATE_TO)",
          {{"I_DATE_FROM", D::date(), F::Date}, {"I_DATE_TO", D::date(), F::Date}}}},
        {&Catalogue::ibcspGetWorkersOrdersID,
         {"ibcspGetWorkersOrdersID",
          "GET_WORKERS_ORDERS_ID",
          K::Query,
          T::OnlyLoad,
          "SELECT * FROM GET_WORKERS_ORDERS_ID",
          {}}},
        {&Catalogue::ibcspGetProductInfo,
         {"ibcspGetProductInfo",
          "GET_PRODUCT_INFO",
          K::Query,
          T::OnlyLoad,
          "SELECT * FROM GET_PRODUCT_INFO(:I_LABEL)",
          {{"I_LABEL", D::integer(), F::Text}}}},
        {&Catalogue::ibcspGetAllProductsInfo,
         {"ibcspGetAllProductsInfo",
          "GET_ALL_PRODUCTS_INFO",
          K::Query,
          T::OnlyLoad,
          "SELECT * FROM GET_ALL_PRODUCTS_INFO",
          {}}},
        {&Catalogue::ibcspCheckDataBeforeImport,
         {"ibcspCheckDataBeforeImport",
          "CHECK_DATA_BEFORE_IMPORT",
          K::Query,
          T::OnlyLoad,
          "SELECT * FROM CHECK_DATA_BEFORE_IMPORT(:I_ODWO_ID, :I_CODE, :I_NAME, :I_NAME_OF_FABRIC, "
          ":I_NAME_OF_FABRIC2, :I_NAME_OF_CORPUS, :I_AMOUNT, :I_PARENT_OF_ARTICLE_ID)",
          {{"I_ODWO_ID", D::integer(), F::Integer},
           {"I_CODE", D::text(80), F::Text},
           {"I_NAME", D::text(80), F::Text},
           {"I_NAME_OF_FABRIC", D::text(80), F::Text},
           {"I_NAME_OF_FABRIC2", D::text(80), F::Text},
           {"I_NAME_OF_CORPUS", D::text(80), F::Text},
           {"I_AMOUNT", D::integer(), F::Integer},
           {"I_PARENT_OF_ARTICLE_ID", D::integer(), F::Integer}}}},
        {&Catalogue::ibcspCurrentServerDate,
         {"ibcspCurrentServerDate",
          "CURRENT_SERVER_DATE",
          K::Query,
          T::OnlyLoad,
          "SELECT * FROM CURRENT_SERVER_DATE",
          {}}},
        {&Catalogue::ibcspWorkersPurchase,
         {"ibcspWorkersPurchase",
          "WORKERS_PURCHASE",
          K::Execute,
          T::OnlySave,
          "EXECUTE PROCEDURE WORKERS_PURCHASE(:I_USER_ID, :I_ODWO_ID, :I_LABEL, :I_NAME)",
          {{"I_USER_ID", D::integer(), F::Integer},
           {"I_ODWO_ID", D::integer(), F::Text},
           {"I_LABEL", D::text(200), F::Text},
           {"I_NAME", D::text(100), F::Text}}}},
        {&Catalogue::ibcspRollbackWorkerPurchase,
         {"ibcspRollbackWorkerPurchase",
          "ROLLBACK_WORKER_PURCHASE",
          K::Execute,
          T::OnlySave,
          "EXECUTE PROCEDURE ROLLBACK_WORKER_PURCHASE(:I_ORDER_ID, :I_ODWO_ID, :I_NAME)",
          {{"I_ORDER_ID", D::none(), F::Integer},
           {"I_ODWO_ID", D::integer(), F::Integer},
           {"I_NAME", D::text(100), F::Text}}}},
        {&Catalogue::ibcspImportCSV,
         {"ibcspImportCSV",
          "IMPORT_DATA_FROM_CSV",
          K::Execute,
          T::OnlySave,
          "EXECUTE PROCEDURE IMPORT_DATA_FROM_CSV(:I_ODWO_ID, :I_CODE, :I_NAME, :I_NAME_OF_FABRIC, "
          ":I_NAME_OF_FABRIC2, :I_NAME_OF_CORPUS, :I_AMOUNT, :I_PARENT_OF_ARTICLE_ID, :I_QBM, "
          ":I_PRICE)",
          {{"I_ODWO_ID", D::integer(), F::Integer},
           {"I_CODE", D::text(80), F::Text},
           {"I_NAME", D::text(80), F::Text},
           {"I_NAME_OF_FABRIC", D::text(80), F::Text},
           {"I_NAME_OF_FABRIC2", D::text(80), F::Text},
           {"I_NAME_OF_CORPUS", D::text(80), F::Text},
           {"I_AMOUNT", D::integer(), F::Integer},
           {"I_PARENT_OF_ARTICLE_ID", D::integer(), F::Integer},
           {"I_QBM", D::none(), F::Text},
           {"I_PRICE", D::none(), F::Text}}}},
        {&Catalogue::ibcspModifyArticlePrice,
         {"ibcspModifyArticlePrice",
          "MODIFY_ARTICLE_PRICE",
          K::Execute,
          T::OnlySave,
          "EXECUTE PROCEDURE MODIFY_ARTICLE_PRICE(:I_ODWO_ID, :I_CODE, :I_NAME, :I_PRICE)",
          {{"I_ODWO_ID", D::integer(), F::Text},
           {"I_CODE", D::text(50), F::Text},
           {"I_NAME", D::text(100), F::Text},
           {"I_PRICE", D::decimal(20, 2), F::Text}}}},
    };
    return entries;
}

const ProcedureDef& Catalogue::defOf(Procedure Catalogue::*component) {
    for (const Entry& e : table())
        if (e.component == component)
            return e.def;
    throw std::logic_error("a catalogue component without its entry");
}

Catalogue::Catalogue(Connection& connection) : connection_(connection) {}

void Catalogue::closeAll() {
    for (const Entry& e : table()) {
        Procedure& p = this->*e.component;
        p.close();
        p.releaseStatement();
    }
}

} // namespace qm::db
