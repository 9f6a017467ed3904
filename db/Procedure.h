#pragma once

#include "Connection.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace Firebird {
class IStatement;
}

namespace qm::db {

// The form in which the program sets a parameter; the server converts it to the procedure's own
// parameter type (so a text that is no number fails there with the server's conversion error).
enum class Form { Integer, Text, Date };
enum class ProcedureKind { Query, Execute };

// The type a parameter is declared with in its component's parameter list. It documents the
// procedure's own parameter; what reaches the server is the passed-as form.
struct Declared {
    enum class Kind { None, Integer, Text, Date, Decimal };
    Kind kind = Kind::None;
    int length = 0; // Text: characters; Decimal: digits
    int scale = 0;  // Decimal: digits after the point

    static constexpr Declared none() { return {}; }
    static constexpr Declared integer() { return {Kind::Integer}; }
    static constexpr Declared date() { return {Kind::Date}; }
    static constexpr Declared text(int characters) { return {Kind::Text, characters}; }
    static constexpr Declared decimal(int digits, int scale) {
        return {Kind::Decimal, digits, scale};
    }
    bool operator==(const Declared&) const = default;
};

struct ParamDef {
    const char* name;
    Declared declared;
    Form passedAs;
};

struct ProcedureDef {
    const char* component;
    const char* procedure;
    ProcedureKind kind;
    TransactionRole transaction;
    const char* sql;
    std::vector<ParamDef> params;
};

// A parameter value as the caller set it.
using ParamValue = std::variant<qint32, QString, QDate>;

// One value of a result column, kept in the server's own type until it is read.
struct Value {
    enum class Type { Null, Integer, Scaled, Real, Text, Date, Time, Timestamp, Boolean };
    Type type = Type::Null;
    int scale = 0;      // Scaled: power of ten, negative for decimals
    qint64 integer = 0; // Integer, Scaled (unscaled digits), Boolean
    double real = 0;
    QString text;
    // Date, Time (on 1 Jan 1970), Timestamp: the server's wall-clock date and time of day, as
    // the server sent them.
    QDate date;
    QTime time;

    // Date, Time, Timestamp as a date-time in UTC, that is without any time zone, so that no
    // daylight-saving rule of the workstation can move it; invalid for any other type.
    QDateTime moment() const;

    // The client's text rendering with the Polish regional settings: decimal comma, dd.MM.yyyy.
    QString render() const;
};

// One input parameter as it is sent: its type in the input message (SQL_LONG, SQL_VARYING or
// SQL_TYPE_DATE), its length, its character set, and its bytes in message form.
struct InputParam {
    unsigned type;
    unsigned length;
    unsigned charset;
    QByteArray data;
};

// Encodes the parameter values in marker order. Texts are converted to the code page first, so a
// character outside it, a text longer than the client can send or an invalid date throws DbError
// with nothing sent; a parameter that was never set is a program fault (std::logic_error).
std::vector<InputParam> encodeInput(const char* component,
                                    const std::vector<std::string>& markerNames,
                                    const std::map<std::string, ParamValue>& values,
                                    const TextCodec& codec);

// One column of an output message as the server describes it.
struct OutputField {
    std::string name;
    unsigned type; // without the nullable bit
    unsigned offset;
    unsigned nullOffset;
    unsigned length;
    unsigned charset;
    int scale;
};

// Decodes one row of an output message, appending its values to row in column order; throws
// DbError for a column of a type the program does not read.
void decodeRow(const std::vector<OutputField>& fields, const unsigned char* message,
               const TextCodec& codec, std::vector<Value>& row);

// Reads a date-time written as dd.MM.yyyy HH:mm:ss or dd.MM.yyyy, without any time zone (UTC);
// an invalid QDateTime when the text is neither.
QDateTime dateTimeFromText(const QString& text);

// One procedure component: its SQL text, its parameters set by name, and (for a query) the rows
// of its last result, all fetched when it opened.
class Procedure {
public:
    Procedure(Connection& connection, const ProcedureDef& def);
    ~Procedure();
    Procedure(const Procedure&) = delete;
    Procedure& operator=(const Procedure&) = delete;

    const ProcedureDef& def() const { return def_; }
    const char* name() const { return def_.component; }

    void setInteger(const char* param, qint32 value);
    void setText(const char* param, const QString& value);
    void setDate(const char* param, const QDate& value);

    // Query step: closes the previous result, sends the parameters, fetches every row and stands
    // on the first one. When the attachment turns out to be gone, the query attaches again and
    // runs once more before it fails.
    void open();
    void close();
    bool isOpen() const { return open_; }

    // Rows the server really returned.
    int fetchedRows() const { return int(rowCount_); }
    bool onRow() const { return current_ < rowCount_; }
    // The count column of the first row as an integer; 0 for an empty result.
    int readCount(const char* countColumn);
    // Moves to the next row; false when the last real row has been passed.
    bool next();

    // The row walk: for n = 1 to count, moving on when n is 2 or more, calls visit on each row.
    // The walk never reads past the real last row, whatever the count says.
    template <class Visit> void walkRows(int count, Visit&& visit) {
        for (int n = 1; n <= count; ++n) {
            if (n >= 2 && !next())
                break;
            if (!onRow())
                break;
            visit();
        }
    }

    // Columns of the current row, by name.
    qint32 asInteger(const char* column) const;
    QString asText(const char* column) const;
    QDateTime asDateTime(const char* column) const;
    bool isNull(const char* column) const;

    // Write step: prepare, execute once, release, commit ibctOnlySave at once. When any of it
    // fails the write's transaction is rolled back before the error propagates. A write is never
    // sent twice: when the attachment is lost during the write its error propagates (whether the
    // server recorded it is then unknown), and only the next call attaches again.
    void execute();

    // Frees the prepared statement; the component prepares again on its next call.
    void releaseStatement();

    // While set, a successful write keeps its statement prepared for the next call (a long run of
    // writes of one procedure); each call is still committed on its own. Clearing it releases the
    // statement.
    void setKeepPrepared(bool keep);

private:
    friend class Connection;
    // Lets go of the statement of a lost attachment without a word to the server.
    void forgetStatement() { statement_.forget(); }
    // Attaches again when an earlier call found the attachment gone; true when it did.
    bool attachIfLost();
    // run() that tells the connection about a failure first.
    void runNoted(bool fetch);
    const ParamDef& param(const char* name, Form form) const;
    const Value& column(const char* name) const;
    size_t columnPosition(const char* name) const;
    Firebird::IStatement* prepare();
    void run(bool fetch);

    Connection& connection_;
    const ProcedureDef& def_;
    std::string positionalSql_;
    std::vector<std::string> markerNames_; // parameter names in the order of their markers
    std::map<std::string, ParamValue> values_;
    Ref<Firebird::IStatement> statement_;
    std::vector<std::string> columnNames_;
    // The columns found by name in this result, by the address of the name asked for: the
    // callers name columns with the constants of db::col, so a walk over many rows searches for
    // each column once.
    mutable std::vector<std::pair<const char*, size_t>> foundColumns_;
    // The rows one after another, a value for each column.
    std::vector<Value> rows_;
    size_t rowCount_ = 0;
    size_t current_ = 0;
    bool open_ = false;
    bool keepPrepared_ = false;
};

// Turns ":NAME" parameter markers into "?" and lists the names in marker order; quoted text is
// left alone.
std::string positionalSql(const std::string& sql, std::vector<std::string>& names);

} // namespace qm::db
