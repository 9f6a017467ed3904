-- Quelmora fair database: the procedures the counter program calls. The program reaches the
-- database through these alone.
--
-- Every row-returning procedure carries its row count in every row (the COUNT_... column); the
-- program reads the count from the first row and then reads exactly that many rows. The count is
-- taken with COUNT(*) OVER () in the same query that yields the rows, so it always equals the
-- number of rows, even when another workstation commits in between.
-- The file is UTF-8: run it over a UTF8 connection (isql-fb -ch UTF8, as scripts/create-db
-- does); SET NAMES below only governs connections opened after it.
SET NAMES UTF8;
SET SQL DIALECT 3;

SET TERM ^ ;

CREATE PROCEDURE GET_WORKERS_DATA
RETURNS (
    COUNT_WORKERS_DATA_TO_RETURN INTEGER,
    REFERENCE_NUMBER_TO_RETURN   INTEGER,
    NAME_TO_RETURN               VARCHAR(60),
    SURNAME_TO_RETURN            VARCHAR(80),
    ADDRESS_TO_RETURN            VARCHAR(100),
    POSTCODE_TO_RETURN           VARCHAR(10),
    STREET_TO_RETURN             VARCHAR(100),
    INSTITUTION_TO_RETURN        VARCHAR(100)
)
AS
BEGIN
    FOR SELECT COUNT(*) OVER (), REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET,
               INSTITUTION
          FROM WORKERS
         ORDER BY WORKER_ID
          INTO :COUNT_WORKERS_DATA_TO_RETURN, :REFERENCE_NUMBER_TO_RETURN, :NAME_TO_RETURN,
               :SURNAME_TO_RETURN, :ADDRESS_TO_RETURN, :POSTCODE_TO_RETURN, :STREET_TO_RETURN,
               :INSTITUTION_TO_RETURN
    DO
        SUSPEND;
END^

-- The three sales listings show purchases that stand (not cancelled), oldest order first.
CREATE PROCEDURE GET_WORKERS_ORDERS
RETURNS (
    COUNT_WORKER_ORDERS_TO_RETURN INTEGER,
    USER_ID_TO_RETURN             INTEGER,
    LABEL_TO_RETURN               VARCHAR(200),
    DATE_TO_RETURN                DATE
)
AS
BEGIN
    FOR SELECT COUNT(*) OVER (), USER_ID, LABEL, CAST(PURCHASED_AT AS DATE)
          FROM PURCHASES
         WHERE CANCELLED_AT IS NULL
         ORDER BY ORDER_ID
          INTO :COUNT_WORKER_ORDERS_TO_RETURN, :USER_ID_TO_RETURN, :LABEL_TO_RETURN,
               :DATE_TO_RETURN
    DO
        SUSPEND;
END^

CREATE PROCEDURE GET_WORKER_ORDERS (I_USER_ID INTEGER)
RETURNS (
    COUNT_WORKER_ORDERS_TO_RETURN INTEGER,
    USER_ID_TO_RETURN             INTEGER,
    LABEL_TO_RETURN               VARCHAR(200),
    DATE_TO_RETURN                DATE
)
AS
BEGIN
    FOR SELECT COUNT(*) OVER (), USER_ID, LABEL, CAST(PURCHASED_AT AS DATE)
          FROM PURCHASES
         WHERE CANCELLED_AT IS NULL AND USER_ID = :I_USER_ID
         ORDER BY ORDER_ID
          INTO :COUNT_WORKER_ORDERS_TO_RETURN, :USER_ID_TO_RETURN, :LABEL_TO_RETURN,
               :DATE_TO_RETURN
    DO
        SUSPEND;
END^

-- Both days belong to the range. The condition on the timestamp itself keeps the index usable.
CREATE PROCEDURE GET_ORDERS_BY_DATE_RANGE (I_DATE_FROM DATE, I_DATE_TO DATE)
RETURNS (
    COUNT_WORKER_ORDERS_TO_RETURN INTEGER,
    USER_ID_TO_RETURN             INTEGER,
    LABEL_TO_RETURN               VARCHAR(200),
    DATE_TO_RETURN                DATE
)
AS
BEGIN
    FOR SELECT COUNT(*) OVER (), USER_ID, LABEL, CAST(PURCHASED_AT AS DATE)
          FROM PURCHASES
         WHERE CANCELLED_AT IS NULL
           AND PURCHASED_AT >= CAST(:I_DATE_FROM AS TIMESTAMP)
           AND PURCHASED_AT < CAST(DATEADD(1 DAY TO :I_DATE_TO) AS TIMESTAMP)
         ORDER BY ORDER_ID
          INTO :COUNT_WORKER_ORDERS_TO_RETURN, :USER_ID_TO_RETURN, :LABEL_TO_RETURN,
               :DATE_TO_RETURN
    DO
        SUSPEND;
END^

-- The purchases that can still be cancelled, with their order numbers.
CREATE PROCEDURE GET_WORKERS_ORDERS_ID
RETURNS (
    COUNT_WORKER_ORDERS_TO_RETURN INTEGER,
    ORDER_ID_TO_RETURN            INTEGER,
    USER_ID_TO_RETURN             INTEGER,
    LABEL_TO_RETURN               VARCHAR(200),
    DATE_TO_RETURN                TIMESTAMP
)
AS
BEGIN
    FOR SELECT COUNT(*) OVER (), ORDER_ID, USER_ID, LABEL, PURCHASED_AT
          FROM PURCHASES
         WHERE CANCELLED_AT IS NULL
         ORDER BY ORDER_ID
          INTO :COUNT_WORKER_ORDERS_TO_RETURN, :ORDER_ID_TO_RETURN, :USER_ID_TO_RETURN,
               :LABEL_TO_RETURN, :DATE_TO_RETURN
    DO
        SUSPEND;
END^

-- The articles under one label key; no rows when the key is unknown.
CREATE PROCEDURE GET_PRODUCT_INFO (I_LABEL INTEGER)
RETURNS (
    COUNT_AMOUNT_OF_ARTICLES INTEGER,
    ODWO_ID_TO_RETURN        INTEGER,
    CODE_TO_RETURN           VARCHAR(50),
    NAME_TO_RETURN           VARCHAR(100),
    NAME_OF_FABRIC_TO_RETURN VARCHAR(80),
    NAME_OF_CORPUS_TO_RETURN VARCHAR(80),
    AMOUNT_TO_RETURN         INTEGER,
    QBM_TO_RETURN            NUMERIC(18, 2),
    PRICE_TO_RETURN          NUMERIC(18, 2)
)
AS
BEGIN
    FOR SELECT COUNT(*) OVER (), ODWO_ID, CODE, NAME, NAME_OF_FABRIC, NAME_OF_CORPUS, AMOUNT,
               QBM, PRICE
          FROM ARTICLES
         WHERE ODWO_ID = :I_LABEL
         ORDER BY ARTICLE_ID
          INTO :COUNT_AMOUNT_OF_ARTICLES, :ODWO_ID_TO_RETURN, :CODE_TO_RETURN, :NAME_TO_RETURN,
               :NAME_OF_FABRIC_TO_RETURN, :NAME_OF_CORPUS_TO_RETURN, :AMOUNT_TO_RETURN,
               :QBM_TO_RETURN, :PRICE_TO_RETURN
    DO
        SUSPEND;
END^

CREATE PROCEDURE GET_ALL_PRODUCTS_INFO
RETURNS (
    COUNT_AMOUNT_OF_ARTICLES    INTEGER,
    ODWO_ID_TO_RETURN           INTEGER,
    CODE_TO_RETURN              VARCHAR(50),
    NAME_TO_RETURN              VARCHAR(100),
    NAME_OF_FABRIC_TO_RETURN    VARCHAR(80),
    NAME_OF_FABRIC2_TO_RETURN   VARCHAR(80),
    NAME_OF_CORPUS_TO_RETURN    VARCHAR(80),
    AMOUNT_TO_RETURN            INTEGER,
    PARENT_OF_ARTICLE_TO_RETURN INTEGER,
    QBM_TO_RETURN               NUMERIC(18, 2),
    PRICE_TO_RETURN             NUMERIC(18, 2)
)
AS
BEGIN
    FOR SELECT COUNT(*) OVER (), ODWO_ID, CODE, NAME, NAME_OF_FABRIC, NAME_OF_FABRIC2,
               NAME_OF_CORPUS, AMOUNT, PARENT_OF_ARTICLE_ID, QBM, PRICE
          FROM ARTICLES
         ORDER BY ARTICLE_ID
          INTO :COUNT_AMOUNT_OF_ARTICLES, :ODWO_ID_TO_RETURN, :CODE_TO_RETURN, :NAME_TO_RETURN,
               :NAME_OF_FABRIC_TO_RETURN, :NAME_OF_FABRIC2_TO_RETURN, :NAME_OF_CORPUS_TO_RETURN,
               :AMOUNT_TO_RETURN, :PARENT_OF_ARTICLE_TO_RETURN, :QBM_TO_RETURN, :PRICE_TO_RETURN
    DO
        SUSPEND;
END^

-- How many articles already have this ODWO_ID and name (0 or 1). The other parameters are part
-- of the call but do not identify an article.
CREATE PROCEDURE CHECK_DATA_BEFORE_IMPORT (
    I_ODWO_ID              INTEGER,
    I_CODE                 VARCHAR(80),
    I_NAME                 VARCHAR(80),
    I_NAME_OF_FABRIC       VARCHAR(80),
    I_NAME_OF_FABRIC2      VARCHAR(80),
    I_NAME_OF_CORPUS       VARCHAR(80),
    I_AMOUNT               INTEGER,
    I_PARENT_OF_ARTICLE_ID INTEGER
)
RETURNS (COUNT_ARTICLE_TO_RETURN INTEGER)
AS
BEGIN
    SELECT COUNT(*)
      FROM ARTICLES
     WHERE ODWO_ID = :I_ODWO_ID AND NAME = :I_NAME
      INTO :COUNT_ARTICLE_TO_RETURN;
    SUSPEND;
END^

CREATE PROCEDURE CURRENT_SERVER_DATE
RETURNS (CURRENT_DATE_TO_RETURN DATE)
AS
BEGIN
    CURRENT_DATE_TO_RETURN = CURRENT_DATE;
    SUSPEND;
END^

-- Sells one piece of the article (ODWO_ID, name) to the worker. The amount is taken down only
-- while it is above 0, in the same statement that tests it, so two workstations selling the last
-- piece at once cannot both succeed: the second one waits for nothing (no-wait transactions) and
-- gets either a lock conflict or the sold-out exception.
CREATE PROCEDURE WORKERS_PURCHASE (
    I_USER_ID INTEGER,
    I_ODWO_ID INTEGER,
    I_LABEL   VARCHAR(200),
    I_NAME    VARCHAR(100)
)
AS
    DECLARE V_ARTICLE_ID INTEGER;
BEGIN
    SELECT ARTICLE_ID
      FROM ARTICLES
     WHERE ODWO_ID = :I_ODWO_ID AND NAME = :I_NAME
      INTO :V_ARTICLE_ID;
    IF (V_ARTICLE_ID IS NULL) THEN
        EXCEPTION E_ARTICLE_NOT_FOUND
            'Brak artykułu o ODWO_ID ' || COALESCE(I_ODWO_ID, '') || ' i nazwie "'
            || COALESCE(I_NAME, '') || '"';

    UPDATE ARTICLES
       SET AMOUNT = AMOUNT - 1
     WHERE ARTICLE_ID = :V_ARTICLE_ID AND AMOUNT > 0;
    IF (ROW_COUNT = 0) THEN
        EXCEPTION E_ARTICLE_SOLD_OUT
            'Artykuł o ODWO_ID ' || I_ODWO_ID || ' i nazwie "' || I_NAME
            || '" został już wyprzedany';

    INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT)
    VALUES (:I_USER_ID, :V_ARTICLE_ID, :I_LABEL, :I_NAME, CURRENT_TIMESTAMP);
END^

-- Cancels one purchase and returns its piece to the article it took it from. The article given
-- must be the one the order bought; otherwise, and for an unknown or already cancelled order,
-- nothing changes.
CREATE PROCEDURE ROLLBACK_WORKER_PURCHASE (
    I_ORDER_ID INTEGER,
    I_ODWO_ID  INTEGER,
    I_NAME     VARCHAR(100)
)
AS
    DECLARE V_FOUND SMALLINT = 0;
    DECLARE V_ORDER_ARTICLE_ID INTEGER;
    DECLARE V_CANCELLED_AT TIMESTAMP;
    DECLARE V_ARTICLE_ID INTEGER;
BEGIN
    SELECT 1, ARTICLE_ID, CANCELLED_AT
      FROM PURCHASES
     WHERE ORDER_ID = :I_ORDER_ID
      INTO :V_FOUND, :V_ORDER_ARTICLE_ID, :V_CANCELLED_AT;
    IF (V_FOUND = 0) THEN
        EXCEPTION E_ORDER_NOT_FOUND 'Brak zakupu o numerze ' || COALESCE(I_ORDER_ID, '');
    IF (V_CANCELLED_AT IS NOT NULL) THEN
        EXCEPTION E_ORDER_CANCELLED 'Zakup o numerze ' || I_ORDER_ID || ' został już anulowany';

    SELECT ARTICLE_ID
      FROM ARTICLES
     WHERE ODWO_ID = :I_ODWO_ID AND NAME = :I_NAME
      INTO :V_ARTICLE_ID;
    IF (V_ARTICLE_ID IS DISTINCT FROM V_ORDER_ARTICLE_ID) THEN
        EXCEPTION E_ORDER_OTHER_ARTICLE
            'Zakup o numerze ' || I_ORDER_ID || ' nie dotyczy artykułu o ODWO_ID '
            || COALESCE(I_ODWO_ID, '') || ' i nazwie "' || COALESCE(I_NAME, '') || '"';

    -- Tested again in the update: another workstation may have cancelled it meanwhile.
    UPDATE PURCHASES
       SET CANCELLED_AT = CURRENT_TIMESTAMP
     WHERE ORDER_ID = :I_ORDER_ID AND CANCELLED_AT IS NULL;
    IF (ROW_COUNT = 0) THEN
        EXCEPTION E_ORDER_CANCELLED 'Zakup o numerze ' || I_ORDER_ID || ' został już anulowany';

    UPDATE ARTICLES
       SET AMOUNT = AMOUNT + 1
     WHERE ARTICLE_ID = :V_ORDER_ARTICLE_ID;
END^

CREATE PROCEDURE IMPORT_DATA_FROM_CSV (
    I_ODWO_ID              INTEGER,
    I_CODE                 VARCHAR(80),
    I_NAME                 VARCHAR(80),
    I_NAME_OF_FABRIC       VARCHAR(80),
    I_NAME_OF_FABRIC2      VARCHAR(80),
    I_NAME_OF_CORPUS       VARCHAR(80),
    I_AMOUNT               INTEGER,
    I_PARENT_OF_ARTICLE_ID INTEGER,
    I_QBM                  NUMERIC(18, 2),
    I_PRICE                NUMERIC(18, 2)
)
AS
BEGIN
    INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, NAME_OF_FABRIC, NAME_OF_FABRIC2, NAME_OF_CORPUS,
                          AMOUNT, PARENT_OF_ARTICLE_ID, QBM, PRICE)
    VALUES (:I_ODWO_ID, :I_CODE, :I_NAME, :I_NAME_OF_FABRIC, :I_NAME_OF_FABRIC2,
            :I_NAME_OF_CORPUS, :I_AMOUNT, :I_PARENT_OF_ARTICLE_ID, :I_QBM, :I_PRICE);
    WHEN GDSCODE UNIQUE_KEY_VIOLATION DO
        EXCEPTION E_ARTICLE_EXISTS
            'Artykuł o ODWO_ID ' || I_ODWO_ID || ' i nazwie "' || I_NAME || '" już istnieje';
END^

-- An article without a code matches an empty I_CODE: the program shows a missing code as an
-- empty cell and passes that cell back.
CREATE PROCEDURE MODIFY_ARTICLE_PRICE (
    I_ODWO_ID INTEGER,
    I_CODE    VARCHAR(50),
    I_NAME    VARCHAR(100),
    I_PRICE   NUMERIC(18, 2)
)
AS
BEGIN
    UPDATE ARTICLES
       SET PRICE = :I_PRICE
     WHERE ODWO_ID = :I_ODWO_ID AND NAME = :I_NAME
       AND COALESCE(CODE, '') = COALESCE(:I_CODE, '');
    IF (ROW_COUNT = 0) THEN
        EXCEPTION E_ARTICLE_NOT_FOUND
            'Brak artykułu o ODWO_ID ' || COALESCE(I_ODWO_ID, '') || ', kodzie "'
            || COALESCE(I_CODE, '') || '" i nazwie "' || COALESCE(I_NAME, '') || '"';
END^

SET TERM ; ^

COMMIT;
