#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace qm::catalogue {

// The eleven columns of the article import file, by position.
enum class ArticleColumn {
    ODWO_ID,
    KOD,
    NAZWA,
    NAZWA_TKA1,
    NAZWA_TKA2,
    NAZWA_KORPUSU,
    ILOSC,
    ARTYKUL_RODZIC_ID,
    KLASYFIKACJA,
    QBM,
    CENA,
};

inline constexpr int kArticleColumns = 11;

// The column names a header may carry, in position order.
const std::array<QString, kArticleColumns>& articleColumnNames();
QString articleColumnName(ArticleColumn column);

// One record of the file: its values by position, trimmed of blanks and tabs, quote characters
// kept; a position the record does not reach is the empty text.
struct ArticleRecord {
    int line = 0; // the line of the file the record starts on; the header is line 1
    std::array<QString, kArticleColumns> values;

    const QString& value(ArticleColumn column) const { return values[size_t(column)]; }
    bool operator==(const ArticleRecord&) const = default;
};

// What the reader makes of a file: its records in file order, or the reason it refuses the whole
// file (a Polish text for the operator, naming the file).
struct ArticleFileContent {
    std::vector<ArticleRecord> records;
    std::optional<QString> refusal;

    bool readable() const { return !refusal.has_value(); }
};

// The reader of the article import file: a semicolon-separated text file whose first line is a
// header of column names and whose other lines are records.
//
// Encoding: UTF-8 when the file begins with the byte-order mark EF BB BF (which is dropped),
// otherwise Windows-1250; bytes that are not text in that encoding refuse the file. Lines end at
// LF, CR or CR LF outside double-quoted stretches. Header names are trimmed, cut before their
// first ":", and must each be one of the eleven column names in any letter case, in any order;
// values are taken by position all the same. Records are split at ";" outside double-quoted
// stretches; empty lines are skipped. A line of 16,383 characters or more (or 16,384 bytes of
// UTF-8 or more) or with more than 120 columns refuses the file.
class ArticleFile {
public:
    static constexpr int kMaxLineCharacters = 16382;
    static constexpr int kMaxLineUtf8Bytes = 16383;
    static constexpr int kMaxColumns = 120;

    // The bytes of a file; path only names the file in a refusal.
    static ArticleFileContent parse(const QByteArray& bytes, const QString& path);

    // The file at path, read whole and never written. No file at the path gives no records and
    // no refusal; a file that cannot be opened or read (a folder, no permission) is refused.
    static ArticleFileContent read(const QString& path);
};

} // namespace qm::catalogue
