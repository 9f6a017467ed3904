#pragma once

// The result columns of the procedure catalogue, by name. The logic and the tests read rows only
// through these names, so a column renamed on the server side is renamed here once.
namespace qm::db::col {

// Count columns: each stands in every row of its result and says how many rows there are.
inline constexpr const char* kCountWorkersData = "COUNT_WORKERS_DATA_TO_RETURN";
inline constexpr const char* kCountWorkerOrders = "COUNT_WORKER_ORDERS_TO_RETURN";
inline constexpr const char* kCountAmountOfArticles = "COUNT_AMOUNT_OF_ARTICLES";
inline constexpr const char* kCountArticle = "COUNT_ARTICLE_TO_RETURN";

// GET_WORKERS_DATA
inline constexpr const char* kReferenceNumber = "REFERENCE_NUMBER_TO_RETURN";
inline constexpr const char* kSurname = "SURNAME_TO_RETURN";
inline constexpr const char* kAddress = "ADDRESS_TO_RETURN";
inline constexpr const char* kPostcode = "POSTCODE_TO_RETURN";
inline constexpr const char* kStreet = "STREET_TO_RETURN";
inline constexpr const char* kInstitution = "INSTITUTION_TO_RETURN";

// GET_WORKERS_ORDERS, GET_WORKER_ORDERS, GET_ORDERS_BY_DATE_RANGE, GET_WORKERS_ORDERS_ID
inline constexpr const char* kOrderId = "ORDER_ID_TO_RETURN";
inline constexpr const char* kUserId = "USER_ID_TO_RETURN";
inline constexpr const char* kLabel = "LABEL_TO_RETURN";
inline constexpr const char* kDate = "DATE_TO_RETURN";

// GET_PRODUCT_INFO, GET_ALL_PRODUCTS_INFO (and NAME_TO_RETURN of GET_WORKERS_DATA)
inline constexpr const char* kOdwoId = "ODWO_ID_TO_RETURN";
inline constexpr const char* kCode = "CODE_TO_RETURN";
inline constexpr const char* kName = "NAME_TO_RETURN";
inline constexpr const char* kNameOfFabric = "NAME_OF_FABRIC_TO_RETURN";
inline constexpr const char* kNameOfFabric2 = "NAME_OF_FABRIC2_TO_RETURN";
inline constexpr const char* kNameOfCorpus = "NAME_OF_CORPUS_TO_RETURN";
inline constexpr const char* kAmount = "AMOUNT_TO_RETURN";
inline constexpr const char* kParentOfArticle = "PARENT_OF_ARTICLE_TO_RETURN";
inline constexpr const char* kQbm = "QBM_TO_RETURN";
inline constexpr const char* kPrice = "PRICE_TO_RETURN";

// CURRENT_SERVER_DATE
inline constexpr const char* kCurrentDate = "CURRENT_DATE_TO_RETURN";

} // namespace qm::db::col
