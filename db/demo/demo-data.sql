-- Demo data of the Quelmora fair: workers, about three hundred articles and a few purchases.
-- Runs once, on a fresh database, after the schema scripts. This file is UTF-8.
--
-- What it holds, for trying the counter out:
-- * 41 workers with reference numbers 1001..1040; 1017 belongs to two people on purpose (the
--   counter must refuse to sell to a number that is not unique); several share a postcode.
-- * Articles with label keys (ODWO_ID) 3001..3300. A corner sofa is two articles under one key
--   (its left and right part, "... L" and "... P"); every 20th key carries a matching pouffe or
--   chair as well, every 60th an armchair on top of that. Keys 3013, 3026, ... (every 13th) are
--   sold out without any purchase on record.
-- * Purchases of the last four days, amounts taken down accordingly; the articles under keys
--   3005, 3035, 3065, ... had one piece and are sold out by those purchases, so a release can give
--   them back. One further purchase is cancelled and its piece back in stock.
-- Labels read "NN/ODWO_ID/NN", for example "12/3005/78".
-- The file is UTF-8: run it over a UTF8 connection (isql-fb -ch UTF8, as scripts/create-db
-- does); SET NAMES below only governs connections opened after it.
SET NAMES UTF8;
SET SQL DIALECT 3;

INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1001, 'Anna', 'Nowak', 'Swarzędz', '62-020', 'ul. Poznańska 12', 'Zakład Swarzędz');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1002, 'Piotr', 'Kowalski', 'Swarzędz', '62-020', 'os. Czwartaków 4/17', 'Zakład Swarzędz');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1003, 'Małgorzata', 'Wiśniewska', 'Poznań', '61-131', 'ul. Głogowska 85/3', 'Biuro Poznań');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1004, 'Krzysztof', 'Wójcik', 'Kostrzyn', '62-025', 'ul. Ogrodowa 7', 'Zakład Swarzędz');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1005, 'Agnieszka', 'Kowalczyk', 'Września', '62-300', 'ul. Słowackiego 21', 'Zakład Września');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1006, 'Tomasz', 'Kamiński', 'Września', '62-300', 'ul. Kościuszki 3/2', 'Zakład Września');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1007, 'Katarzyna', 'Lewandowska', 'Gniezno', '62-200', 'ul. Chrobrego 40', 'Zakład Września');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1008, 'Paweł', 'Zieliński', 'Jarocin', '63-200', 'ul. Wrocławska 118', 'Tapicernia Jarocin');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1009, 'Barbara', 'Szymańska', 'Jarocin', '63-200', 'ul. Śródmiejska 9/1', 'Tapicernia Jarocin');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1010, 'Michał', 'Woźniak', 'Jarocin', '63-200', 'ul. Żeromskiego 15', 'Tapicernia Jarocin');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1011, 'Ewa', 'Dąbrowska', 'Poznań', '61-131', 'ul. Głogowska 102/8', 'Biuro Poznań');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1012, 'Marcin', 'Kozłowski', 'Poznań', '60-689', 'os. Bolesława Śmiałego 22/41', 'Biuro Poznań');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1013, 'Joanna', 'Jankowska', 'Luboń', '62-030', 'ul. Żabikowska 56', 'Magazyn Centralny Gądki');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1014, 'Grzegorz', 'Mazur', 'Kórnik', '62-035', 'ul. Poznańska 34', 'Magazyn Centralny Gądki');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1015, 'Magdalena', 'Kwiatkowska', 'Gądki', '62-023', 'ul. Magazynowa 2', 'Magazyn Centralny Gądki');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1016, 'Łukasz', 'Krawczyk', 'Swarzędz', '62-020', 'ul. Cieszkowskiego 11/5', 'Zakład Swarzędz');
-- 1017 is on the list twice: two people were given the same number.
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1017, 'Zofia', 'Piotrowska', 'Pobiedziska', '62-010', 'ul. Kiszkowska 6', 'Zakład Swarzędz');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1018, 'Jakub', 'Grabowski', 'Września', '62-300', 'ul. Szeroka 27', 'Zakład Września');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1019, 'Dorota', 'Nowakowska', 'Września', '62-300', 'ul. Fromborska 3', 'Zakład Września');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1020, 'Adam', 'Pawłowski', 'Środa Wielkopolska', '63-000', 'ul. Daszyńskiego 14/2', 'Zakład Września');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1021, 'Monika', 'Michalska', 'Jarocin', '63-200', 'ul. Kasprowicza 5', 'Tapicernia Jarocin');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1022, 'Sebastian', 'Adamczyk', 'Żerków', '63-210', 'ul. Rynek 8', 'Tapicernia Jarocin');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1023, 'Elżbieta', 'Dudek', 'Pleszew', '63-300', 'ul. Kaliska 71', 'Tapicernia Jarocin');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1024, 'Rafał', 'Zając', 'Poznań', '60-689', 'os. Bolesława Śmiałego 9/12', 'Biuro Poznań');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1025, 'Aleksandra', 'Wieczorek', 'Poznań', '61-894', 'ul. Półwiejska 28/4', NULL);
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1026, 'Mateusz', 'Jabłoński', 'Czerwonak', '62-004', 'ul. Gdyńska 19', 'Magazyn Centralny Gądki');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1027, 'Karolina', 'Król', 'Swarzędz', '62-020', 'ul. Rynek 2/1', 'Zakład Swarzędz');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1028, 'Dariusz', 'Majewski', 'Swarzędz', '62-020', 'ul. Staszica 44', 'Zakład Swarzędz');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1029, 'Beata', 'Olszewska', 'Gniezno', '62-200', 'ul. Wrzesińska 63', 'Zakład Września');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1030, 'Wojciech', 'Jaworski', 'Września', '62-300', 'ul. Gnieźnieńska 16', 'Zakład Września');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1031, 'Iwona', 'Malinowska', 'Jarocin', '63-200', 'ul. Poznańska 52', 'Tapicernia Jarocin');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1032, 'Jacek', 'Pawlak', 'Kotlin', '63-220', 'ul. Ostrowska 10', 'Tapicernia Jarocin');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1033, 'Natalia', 'Górska', 'Poznań', '61-131', 'ul. Głogowska 85/11', 'Biuro Poznań');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1034, 'Przemysław', 'Witkowski', 'Mosina', '62-050', 'ul. Śremska 3', 'Magazyn Centralny Gądki');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1035, 'Urszula', 'Walczak', 'Kórnik', '62-035', 'ul. Średzka 25', 'Magazyn Centralny Gądki');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1036, 'Bartosz', 'Stępień', 'Swarzędz', '62-020', 'os. Kościuszkowców 8/30', 'Zakład Swarzędz');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1037, 'Halina', 'Sikora', 'Września', '62-300', 'ul. Leśna 4', 'Zakład Września');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1038, 'Kamil', 'Baran', 'Jarocin', '63-200', 'ul. Hallera 13/6', 'Tapicernia Jarocin');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1039, 'Jolanta', 'Rutkowska', 'Poznań', '61-894', 'ul. Półwiejska 7/2', 'Biuro Poznań');
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1040, 'Zbigniew', 'Michalak', 'Gądki', '62-023', 'ul. Dworcowa 21', NULL);
INSERT INTO WORKERS (REFERENCE_NUMBER, NAME, SURNAME, ADDRESS, POSTCODE, STREET, INSTITUTION) VALUES (1017, 'Stanisław', 'Ząbek', 'Kostrzyn', '62-025', 'ul. Dworcowa 5', 'Zakład Swarzędz');

SET TERM ^ ;

EXECUTE BLOCK
AS
    DECLARE I INTEGER = 1;
    DECLARE T INTEGER;
    DECLARE ODWO INTEGER;
    DECLARE KIND VARCHAR(20);
    DECLARE MODEL VARCHAR(20);
    DECLARE VARIANT VARCHAR(20);
    DECLARE FABRIC VARCHAR(80);
    DECLARE FABRIC2 VARCHAR(80);
    DECLARE CORPUS VARCHAR(80);
    DECLARE UPHOLSTERED SMALLINT;
    DECLARE BASE_PRICE NUMERIC(18, 2);
    DECLARE AMOUNT INTEGER;
    DECLARE QBM NUMERIC(18, 2);
BEGIN
    WHILE (I <= 300) DO
    BEGIN
        ODWO = 3000 + I;
        T = MOD(I * 7, 12);
        KIND = DECODE(T, 0, 'Sofa', 1, 'Narożnik', 2, 'Fotel', 3, 'Kanapa', 4, 'Łóżko', 5, 'Pufa',
                      6, 'Szafa', 7, 'Komoda', 8, 'Stół', 9, 'Krzesło', 10, 'Regał',
                      'Szafka RTV');
        UPHOLSTERED = IIF(T <= 5 OR T = 9, 1, 0);
        BASE_PRICE = DECODE(T, 0, 1299, 1, 2499, 2, 599, 3, 1099, 4, 1599, 5, 249, 6, 1199,
                            7, 699, 8, 899, 9, 199, 10, 549, 449);
        MODEL = DECODE(MOD(I, 15), 0, 'Lizbona', 1, 'Verona', 2, 'Porto', 3, 'Malaga', 4, 'Oslo',
                       5, 'Bergen', 6, 'Sewilla', 7, 'Toskania', 8, 'Ravenna', 9, 'Gdańsk',
                       10, 'Kraków', 11, 'Wiosna', 12, 'Żuraw', 13, 'Łania', 'Świerk');
        VARIANT = CASE T
                      WHEN 0 THEN IIF(MOD(I, 2) = 0, ' 3F', ' 2F')
                      WHEN 1 THEN ' L'
                      WHEN 3 THEN ' 3DL'
                      WHEN 4 THEN IIF(MOD(I, 2) = 0, ' 160x200', ' 140x200')
                      WHEN 6 THEN ' 3D'
                      ELSE ''
                  END;
        FABRIC = NULL;
        FABRIC2 = NULL;
        IF (UPHOLSTERED = 1) THEN
            FABRIC = DECODE(MOD(I, 10), 0, 'Velvet Monolith 97', 1, 'Soro 28', 2, 'Kronos 22',
                            3, 'Lux 05', 4, 'Manila 26', 5, 'Riviera 41', 6, 'Sawana 14',
                            7, 'Castel 15', 8, 'Zoom 03', 'Gojo 40');
        IF (T = 1) THEN
            FABRIC2 = DECODE(MOD(I, 3), 0, 'Soro 97', 1, 'Ekoskóra Madryt 120', 'Kronos 09');
        CORPUS = DECODE(MOD(I, 8), 0, 'Dąb sonoma', 1, 'Dąb artisan', 2, 'Buk naturalny',
                        3, 'Orzech', 4, 'Biały połysk', 5, 'Grafit', 6, 'Wenge',
                        'Jesion śnieżny');
        AMOUNT = CASE
                     WHEN MOD(I, 30) = 5 THEN 1
                     WHEN MOD(I, 13) = 0 THEN 0
                     ELSE 1 + MOD(I * 5, 4)
                 END;
        QBM = IIF(MOD(I, 3) = 0, NULL, (30 + MOD(I * 37, 190)) / 100.00);

        INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, NAME_OF_FABRIC, NAME_OF_FABRIC2,
                              NAME_OF_CORPUS, AMOUNT, PARENT_OF_ARTICLE_ID, QBM, PRICE)
        VALUES (:ODWO, 'QX-' || LPAD(:I, 5, '0'), :KIND || ' ' || :MODEL || :VARIANT, :FABRIC,
                :FABRIC2, :CORPUS, :AMOUNT, NULL, :QBM, :BASE_PRICE + MOD(:I, 5) * 100);

        -- Further articles under the same label key.
        IF (T = 1) THEN
            INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, NAME_OF_FABRIC, NAME_OF_FABRIC2,
                                  NAME_OF_CORPUS, AMOUNT, PARENT_OF_ARTICLE_ID, QBM, PRICE)
            VALUES (:ODWO, 'QX-' || LPAD(:I, 5, '0') || '-P', 'Narożnik ' || :MODEL || ' P',
                    :FABRIC, :FABRIC2, :CORPUS, :AMOUNT, :ODWO, :QBM, 2299.00);
        IF (MOD(I, 20) = 0) THEN
            INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, NAME_OF_FABRIC, NAME_OF_FABRIC2,
                                  NAME_OF_CORPUS, AMOUNT, PARENT_OF_ARTICLE_ID, QBM, PRICE)
            VALUES (:ODWO, 'QX-' || LPAD(:I, 5, '0') || '-D',
                    IIF(:T = 8, 'Krzesło ' || :MODEL, 'Pufa ' || :MODEL), IIF(:T = 8, NULL, :FABRIC),
                    NULL, :CORPUS, IIF(:T = 8, 4, 1), :ODWO, 0.35, IIF(:T = 8, 199.00, 249.00));
        IF (MOD(I, 60) = 0) THEN
            INSERT INTO ARTICLES (ODWO_ID, CODE, NAME, NAME_OF_FABRIC, NAME_OF_FABRIC2,
                                  NAME_OF_CORPUS, AMOUNT, PARENT_OF_ARTICLE_ID, QBM, PRICE)
            VALUES (:ODWO, 'QX-' || LPAD(:I, 5, '0') || '-F', 'Fotel ' || :MODEL, :FABRIC, NULL,
                    :CORPUS, 2, :ODWO, 0.90, 799.99);

        I = I + 1;
    END
END^

-- Purchases of the last four days, of the first article of every 23rd key and of every key whose
-- article had a single piece, each taking a piece off the article it bought.
EXECUTE BLOCK
AS
    DECLARE K INTEGER = 0;
    DECLARE V_ARTICLE_ID INTEGER;
    DECLARE V_ODWO_ID INTEGER;
    DECLARE V_NAME VARCHAR(100);
    DECLARE V_USER INTEGER;
BEGIN
    FOR SELECT ARTICLE_ID, ODWO_ID, NAME
          FROM ARTICLES A
         WHERE AMOUNT > 0
           AND (MOD(ODWO_ID, 30) = 5 OR MOD(ODWO_ID, 23) = 1)
           AND NOT EXISTS (SELECT 1 FROM ARTICLES B
                            WHERE B.ODWO_ID = A.ODWO_ID AND B.ARTICLE_ID < A.ARTICLE_ID)
         ORDER BY ARTICLE_ID
          INTO :V_ARTICLE_ID, :V_ODWO_ID, :V_NAME
    DO
    BEGIN
        K = K + 1;
        V_USER = 1001 + MOD(K * 7, 40);
        IF (V_USER = 1017) THEN
            V_USER = 1018;
        INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT)
        VALUES (:V_USER, :V_ARTICLE_ID,
                LPAD(10 + MOD(:K * 13, 90), 2, '0') || '/' || :V_ODWO_ID || '/'
                || LPAD(MOD(:K * 29, 100), 2, '0'),
                :V_NAME,
                DATEADD(-MOD(:K, 4) DAY TO
                        DATEADD(9 * 60 + MOD(:K * 17, 8 * 60) MINUTE TO
                                CAST(CURRENT_DATE AS TIMESTAMP))));
        UPDATE ARTICLES SET AMOUNT = AMOUNT - 1 WHERE ARTICLE_ID = :V_ARTICLE_ID;
    END

    -- A purchase that was cancelled: its piece went back, so the amount stays as it is.
    SELECT FIRST 1 ARTICLE_ID, ODWO_ID, NAME
      FROM ARTICLES
     WHERE ODWO_ID = 3002
      INTO :V_ARTICLE_ID, :V_ODWO_ID, :V_NAME;
    INSERT INTO PURCHASES (USER_ID, ARTICLE_ID, LABEL, NAME, PURCHASED_AT, CANCELLED_AT)
    VALUES (1003, :V_ARTICLE_ID, '21/' || :V_ODWO_ID || '/07', :V_NAME,
            DATEADD(-1 DAY TO DATEADD(600 MINUTE TO CAST(CURRENT_DATE AS TIMESTAMP))),
            DATEADD(-1 DAY TO DATEADD(615 MINUTE TO CAST(CURRENT_DATE AS TIMESTAMP))));
END^

SET TERM ; ^

COMMIT;
