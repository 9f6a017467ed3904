#include "catalogue/ArticleFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using qm::catalogue::ArticleFile;
using qm::catalogue::ArticleFileContent;
using qm::catalogue::ArticleRecord;

namespace {

const QByteArray kHeader =
    "ODWO_ID;KOD;NAZWA;NAZWA_TKA1;NAZWA_TKA2;NAZWA_KORPUSU;ILOSC;ARTYKUL_RODZIC_ID;KLASYFIKACJA;"
    "QBM;CENA\r\n";

ArticleRecord rec(int line, const QStringList& values) {
    ArticleRecord r;
    r.line = line;
    for (int i = 0; i < values.size(); ++i)
        r.values[size_t(i)] = values[i];
    return r;
}

QByteArray repeated(const QByteArray& part, int times) {
    QByteArray out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

struct ReadCase {
    const char* what;
    QByteArray bytes;
    std::vector<ArticleRecord> records;
    QString refusal; // part of the expected refusal; empty when the file is readable
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.what;
}

class ArticleFileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ArticleFileRead, BytesToRecordsOrRefusal) {
    const ReadCase& c = GetParam();
    const ArticleFileContent content = ArticleFile::parse(c.bytes, QStringLiteral("/dane/art.csv"));
    if (c.refusal.isEmpty()) {
        ASSERT_TRUE(content.readable()) << content.refusal->toStdString();
        ASSERT_EQ(content.records.size(), c.records.size());
        for (size_t i = 0; i < c.records.size(); ++i) {
            EXPECT_EQ(content.records[i].line, c.records[i].line) << "record " << i;
            for (size_t v = 0; v < c.records[i].values.size(); ++v)
                EXPECT_EQ(content.records[i].values[v], c.records[i].values[v])
                    << "record " << i << ", value " << v;
        }
    } else {
        ASSERT_FALSE(content.readable());
        EXPECT_TRUE(content.records.empty());
        EXPECT_TRUE(content.refusal->contains(c.refusal)) << content.refusal->toStdString();
        EXPECT_TRUE(content.refusal->contains(QStringLiteral("„/dane/art.csv”")))
            << content.refusal->toStdString();
    }
}

const QString k120 = QStringLiteral("120 kolumn");

INSTANTIATE_TEST_SUITE_P(
    Cases, ArticleFileRead,
    ::testing::Values(
        ReadCase{"header only", kHeader, {}, {}},
        ReadCase{"header without line end", kHeader.chopped(2), {}, {}},
        ReadCase{"every record, the last one too, without a final line end",
                 kHeader + "1;K1;Szafa;;;;1;0;;1;10\n2;K2;Stol;;;;1;0;;1;20",
                 {rec(2, {"1", "K1", "Szafa", "", "", "", "1", "0", "", "1", "10"}),
                  rec(3, {"2", "K2", "Stol", "", "", "", "1", "0", "", "1", "20"})},
                 {}},
        ReadCase{"LF, CR and CR LF end lines; empty lines are no records",
                 kHeader + "1;A\r\n\r\n2;B\r\r3;C\n\n\n4;D\r\n",
                 {rec(2, {"1", "A"}), rec(4, {"2", "B"}), rec(6, {"3", "C"}), rec(9, {"4", "D"})},
                 {}},
        ReadCase{"names in any order and letter case, with type marks, some missing",
                 "cena ; Nazwa:$100;\tkod:$50 ;odwo_id\n7;Lawa;K-1;5\n",
                 {rec(2, {"7", "Lawa", "K-1", "5"})},
                 {}},
        ReadCase{"blanks and tabs trimmed, quotes kept, a separator inside quotes",
                 kHeader + " 1 ;\t\"K;1\"\t; \"Szafa \"\"Duza\"\"; biala\" ;x\n",
                 {rec(2, {"1", "\"K;1\"", "\"Szafa \"\"Duza\"\"; biala\"", "x"})},
                 {}},
        ReadCase{"a line break inside quotes belongs to the record",
                 kHeader + "1;K;\"Szafa\r\ndwudrzwiowa\";x\n2;K;Stol\n",
                 {rec(2, {"1", "K", "\"Szafa\r\ndwudrzwiowa\"", "x"}), rec(4, {"2", "K", "Stol"})},
                 {}},
        ReadCase{"separators only; a short record; values after the eleventh ignored",
                 kHeader + ";;;;;;;;;;\n5;K5\n1;2;3;4;5;6;7;8;9;10;11;12;13\n",
                 {rec(2, {}), rec(3, {"5", "K5"}),
                  rec(4, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"})},
                 {}},
        ReadCase{
            "a line of blanks is a record of empty values", kHeader + "  \t \n", {rec(2, {})}, {}},
        ReadCase{"with the UTF-8 mark Polish letters are read as UTF-8",
                 "\xEF\xBB\xBF" + kHeader + "1;K;Łóżko żółte;Ćma\n",
                 {rec(2, {"1", "K", "\u0141\u00f3\u017cko \u017c\u00f3\u0142te", "\u0106ma"})},
                 {}},
        ReadCase{"without the mark bytes are Windows-1250",
                 kHeader + "1;K;\xA3\xF3\xBF\x6B\x6F \xBF\xF3\xB3te;\xC6ma;\x9C\x9F\n",
                 {rec(2, {"1", "K", "\u0141\u00f3\u017cko \u017c\u00f3\u0142te", "\u0106ma",
                          "\u015b\u017a"})},
                 {}},
        ReadCase{"a record line far past 2048 bytes is kept whole",
                 kHeader + "1;K;" + repeated("x", 5000) + ";;;;1;0;;1;99\n",
                 {rec(2, {"1", "K", QString(5000, QLatin1Char('x')), "", "", "", "1", "0", "", "1",
                          "99"})},
                 {}},
        ReadCase{"the longest line allowed",
                 kHeader + repeated("y", 16382) + "\n",
                 {rec(2, {QString(16382, QLatin1Char('y'))})},
                 {}},
        ReadCase{"120 columns are allowed",
                 kHeader + repeated("a;", 119) + "a\n",
                 {rec(2, {"a", "a", "a", "a", "a", "a", "a", "a", "a", "a", "a"})},
                 {}},
        ReadCase{"separators inside quotes do not count as columns",
                 kHeader + "\"" + repeated(";", 200) + "\";b\n",
                 {rec(2, {"\"" + QString(200, QLatin1Char(';')) + "\"", "b"})},
                 {}},
        ReadCase{"an empty file", "", {}, "jest pusty"},
        ReadCase{"an empty first line is an empty header", "\n1;K;N\n", {}, "pusta nazwa kolumny"},
        ReadCase{"a trailing separator in the header", "ODWO_ID;KOD;\n", {}, "pusta nazwa kolumny"},
        ReadCase{"a name outside the eleven, quoted",
                 "ODWO_ID;KOD;Cena brutto\n",
                 {},
                 "nieznaną nazwę kolumny „Cena brutto”"},
        ReadCase{"a byte Windows-1250 leaves undefined",
                 kHeader + "1;K;ok\n2;K;z\x81z\n",
                 {},
                 "Wiersz 3 pliku CSV „/dane/art.csv” zawiera bajt 0x81"},
        ReadCase{"invalid UTF-8 after the mark",
                 "\xEF\xBB\xBF" + kHeader + "1;K;\xC5\n",
                 {},
                 "wiersz 2 nie jest poprawnym tekstem UTF-8"},
        ReadCase{"a record line of 16383 characters",
                 kHeader + repeated("z", 16383) + "\n",
                 {},
                 "Wiersz 2 pliku CSV „/dane/art.csv” jest za długi (najwyżej 16382 znaków): "
                 "„zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz…” (długość 16383)"},
        ReadCase{"a record line of 16384 bytes of UTF-8",
                 "\xEF\xBB\xBF" + kHeader + repeated("\xE2\x82\xAC", 5462) + "\n",
                 {},
                 "jest za długi"},
        ReadCase{"121 columns",
                 kHeader + "1;2;3\n" + repeated("a;", 120) + "a\n",
                 {},
                 "Wiersz 3 pliku CSV „/dane/art.csv” ma więcej niż 120 kolumn."},
        ReadCase{"121 names in the header", repeated("KOD;", 120) + "KOD\n", {}, k120},
        ReadCase{"a quote left open to the end of the file",
                 kHeader + "1;K;ok\n2;K;Szafa 24\";x\n3;K;Stol\n4;K;Lozko\n",
                 {},
                 "cudzysłów otwarty w wierszu 3 nie jest zamknięty do końca pliku"}));

TEST(ArticleFileSize, FiftyThousandRecordsAreReadWhole) {
    QByteArray bytes = kHeader;
    for (int i = 0; i < 50000; ++i)
        bytes += QByteArray::number(100000 + i) + ";K;Seria;;;;1;0;;1,00;" + QByteArray::number(i) +
                 "\r\n";
    const ArticleFileContent content = ArticleFile::parse(bytes, QStringLiteral("duzy.csv"));
    ASSERT_TRUE(content.readable());
    ASSERT_EQ(content.records.size(), 50000u);
    EXPECT_EQ(content.records.back().line, 50001);
    EXPECT_EQ(content.records.back().values[0], "149999");
    EXPECT_EQ(content.records.back().values[10], "49999");
}

TEST(ArticleFilePath, MissingFileFolderAndUnreadableFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // No file at the path: nothing to read, and no failure.
    const ArticleFileContent missing = ArticleFile::read(dir.filePath("brak.csv"));
    EXPECT_TRUE(missing.readable());
    EXPECT_TRUE(missing.records.empty());

    const ArticleFileContent folder = ArticleFile::read(dir.path());
    ASSERT_FALSE(folder.readable());
    EXPECT_TRUE(folder.refusal->contains("jest folderem")) << folder.refusal->toStdString();

    const QString path = dir.filePath("art.csv");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kHeader + "1;K;Szafa\n");
    file.close();
    const ArticleFileContent read = ArticleFile::read(path);
    ASSERT_TRUE(read.readable());
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.records[0].values[2], "Szafa");

    if (geteuid() != 0) { // the superuser reads the file whatever its permissions say
        ASSERT_TRUE(file.setPermissions(QFileDevice::WriteOwner));
        const ArticleFileContent locked = ArticleFile::read(path);
        ASSERT_FALSE(locked.readable());
        EXPECT_TRUE(locked.refusal->contains("Nie można otworzyć pliku CSV"));
    }
}

} // namespace
