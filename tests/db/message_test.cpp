// The messages exchanged with the server, without a server: parameters encoded in their
// passed-as form, and rows decoded into values as the program reads them.
#include "db/DbError.h"
#include "db/Procedure.h"

#include <gtest/gtest.h>

#include <firebird/Interface.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>

using namespace qm::db;

namespace {

const TextCodec win1250 = TextCodec::forCharset(QStringLiteral("WIN1250"));

// Runs with the workstation's time zone set to Warsaw, whose spring gap swallows 02:00-03:00 on
// the last Sunday of March and whose autumn fold repeats it on the last Sunday of October.
class InWarsaw {
public:
    InWarsaw() {
        if (qEnvironmentVariableIsSet("TZ"))
            old_ = qgetenv("TZ");
        qputenv("TZ", "Europe/Warsaw");
        tzset();
    }
    ~InWarsaw() {
        if (old_)
            qputenv("TZ", *old_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    std::optional<QByteArray> old_;
};

// An output message of one column: its value at offset 8, its null flag at offset 0.
struct OneColumn {
    OneColumn(unsigned type, int scale, const QByteArray& value, unsigned length = 0)
        : field{"C", type, 8, 0, length ? length : unsigned(value.size()), 51, scale},
          message(8 + value.size() + 8, '\0') {
        std::memcpy(message.data() + 8, value.constData(), size_t(value.size()));
    }
    OneColumn& null() {
        const short flag = -1;
        std::memcpy(message.data(), &flag, sizeof flag);
        return *this;
    }
    Value decode() const {
        std::vector<Value> row;
        decodeRow({field}, reinterpret_cast<const unsigned char*>(message.data()), win1250, row);
        EXPECT_EQ(row.size(), 1u);
        return row.at(0);
    }
    OutputField field;
    QByteArray message;
};

template <class T> QByteArray bytes(T value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

QByteArray timestamp(ISC_DATE date, ISC_TIME time) {
    ISC_TIMESTAMP t;
    t.timestamp_date = date;
    t.timestamp_time = time;
    return bytes(t);
}

// Days from 17 November 1858, as the server counts them.
constexpr ISC_DATE k20240331 = 60400;
constexpr ISC_DATE k20241027 = 60610;
constexpr ISC_TIME kHalfPastTwo = (2 * 3600 + 30 * 60) * 10000;

TEST(DecodeRow, ValuesRenderAsThePolishClientShowsThem) {
    const InWarsaw zone;
    const struct {
        const char* what;
        OneColumn column;
        Value::Type type;
        const char* rendered;
    } cases[] = {
        {"NUMERIC(18,2)",
         {SQL_INT64, -2, bytes(ISC_INT64(129900))},
         Value::Type::Scaled,
         "1299,00"},
        {"NUMERIC(9,2) below one",
         {SQL_LONG, -2, bytes(ISC_LONG(-5))},
         Value::Type::Scaled,
         "-0,05"},
        {"NUMERIC(18,4)", {SQL_INT64, -4, bytes(ISC_INT64(12500))}, Value::Type::Scaled, "1,2500"},
        {"SMALLINT", {SQL_SHORT, 0, bytes(ISC_SHORT(-42))}, Value::Type::Integer, "-42"},
        {"INTEGER", {SQL_LONG, 0, bytes(ISC_LONG(7001))}, Value::Type::Integer, "7001"},
        {"DATE", {SQL_TYPE_DATE, 0, bytes(k20240331)}, Value::Type::Date, "31.03.2024"},
        {"TIMESTAMP in the spring gap",
         {SQL_TIMESTAMP, 0, timestamp(k20240331, kHalfPastTwo)},
         Value::Type::Timestamp,
         "31.03.2024 02:30:00"},
        {"TIMESTAMP in the autumn fold",
         {SQL_TIMESTAMP, 0, timestamp(k20241027, kHalfPastTwo)},
         Value::Type::Timestamp,
         "27.10.2024 02:30:00"},
        {"VARCHAR in WIN1250",
         {SQL_VARYING, 0,
          bytes(quint16(6)) + QByteArray("\xa3\xf3"
                                         "d\x9f \xa5",
                                         6),
          20},
         Value::Type::Text,
         "Łódź Ą"},
        {"CHAR padded", {SQL_TEXT, 0, QByteArray("Buk   ")}, Value::Type::Text, "Buk"},
        {"null", OneColumn(SQL_INT64, -2, bytes(ISC_INT64(129900))).null(), Value::Type::Null, ""},
    };
    for (const auto& c : cases) {
        const Value v = c.column.decode();
        EXPECT_EQ(v.type, c.type) << c.what;
        EXPECT_EQ(v.render(), QString::fromUtf8(c.rendered)) << c.what;
    }
}

// The server's day number of a date.
ISC_DATE serverDay(const QDate& date) {
    return ISC_DATE(QDate(1858, 11, 17).daysTo(date));
}

constexpr ISC_TIME kLastTenThousandth = 24 * 3600 * 10000 - 1;

TEST(DecodeRow, EdgeValuesRenderAsThePolishClientShowsThem) {
    const struct {
        const char* what;
        OneColumn column;
        const char* rendered;
    } cases[] = {
        {"first DATE the server stores",
         {SQL_TYPE_DATE, 0, bytes(serverDay({1, 1, 1}))},
         "01.01.0001"},
        {"DATE before 1900", {SQL_TYPE_DATE, 0, bytes(serverDay({1899, 12, 31}))}, "31.12.1899"},
        {"DATE of day 0", {SQL_TYPE_DATE, 0, bytes(ISC_DATE(0))}, "17.11.1858"},
        {"DATE of a leap day", {SQL_TYPE_DATE, 0, bytes(serverDay({2000, 2, 29}))}, "29.02.2000"},
        {"DATE after 2100", {SQL_TYPE_DATE, 0, bytes(serverDay({2100, 3, 1}))}, "01.03.2100"},
        {"last DATE the server stores",
         {SQL_TYPE_DATE, 0, bytes(serverDay({9999, 12, 31}))},
         "31.12.9999"},
        {"DATE past the server's range",
         {SQL_TYPE_DATE, 0, bytes(serverDay({10000, 1, 1}))},
         "01.01.10000"},
        {"null DATE", OneColumn(SQL_TYPE_DATE, 0, bytes(ISC_DATE(0))).null(), ""},
        {"TIME at midnight", {SQL_TYPE_TIME, 0, bytes(ISC_TIME(0))}, "00:00:00"},
        {"TIME with a fraction", {SQL_TYPE_TIME, 0, bytes(kLastTenThousandth)}, "23:59:59"},
        {"first TIMESTAMP",
         {SQL_TIMESTAMP, 0, timestamp(serverDay({1, 1, 1}), 0)},
         "01.01.0001 00:00:00"},
        {"TIMESTAMP before 1900",
         {SQL_TIMESTAMP, 0, timestamp(serverDay({1899, 12, 31}), kLastTenThousandth)},
         "31.12.1899 23:59:59"},
        {"TIMESTAMP after 2100",
         {SQL_TIMESTAMP, 0, timestamp(serverDay({2101, 7, 4}), (9 * 3600 + 5 * 60 + 7) * 10000)},
         "04.07.2101 09:05:07"},
        {"last TIMESTAMP",
         {SQL_TIMESTAMP, 0, timestamp(serverDay({9999, 12, 31}), kLastTenThousandth)},
         "31.12.9999 23:59:59"},
        {"TIMESTAMP past the server's range",
         {SQL_TIMESTAMP, 0, timestamp(serverDay({10000, 1, 1}), 0)},
         "01.01.10000 00:00:00"},
        {"null TIMESTAMP", OneColumn(SQL_TIMESTAMP, 0, timestamp(0, 0)).null(), ""},
        {"scale 0, zero", {SQL_INT64, 0, bytes(ISC_INT64(0))}, "0"},
        {"scale 0, negative", {SQL_LONG, 0, bytes(ISC_LONG(-7))}, "-7"},
        {"scale 1", {SQL_LONG, -1, bytes(ISC_LONG(125))}, "12,5"},
        {"scale 1, negative below one", {SQL_LONG, -1, bytes(ISC_LONG(-1))}, "-0,1"},
        {"scale 2, zero", {SQL_INT64, -2, bytes(ISC_INT64(0))}, "0,00"},
        {"scale 2, negative", {SQL_INT64, -2, bytes(ISC_INT64(-129900))}, "-1299,00"},
        {"scale 3, below one", {SQL_INT64, -3, bytes(ISC_INT64(5))}, "0,005"},
        {"scale 4, zero", {SQL_INT64, -4, bytes(ISC_INT64(0))}, "0,0000"},
        {"scale 4, negative", {SQL_INT64, -4, bytes(ISC_INT64(-12500))}, "-1,2500"},
        {"scale 4, largest",
         {SQL_INT64, -4, bytes(ISC_INT64(9223372036854775807))},
         "922337203685477,5807"},
        {"scale 2, smallest",
         {SQL_INT64, -2, bytes(std::numeric_limits<ISC_INT64>::min())},
         "-92233720368547758,08"},
        {"SMALLINT scale 2", {SQL_SHORT, -2, bytes(ISC_SHORT(-32768))}, "-327,68"},
        {"null NUMERIC", OneColumn(SQL_INT64, -4, bytes(ISC_INT64(0))).null(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.column.decode().render(), QString::fromUtf8(c.rendered)) << c.what;
}

TEST(DecodeRow, ServerDateTimesKeepTheirWallClockWhateverTheWorkstationsZone) {
    const InWarsaw zone;
    const Value v = OneColumn(SQL_TIMESTAMP, 0, timestamp(k20240331, kHalfPastTwo)).decode();
    EXPECT_EQ(v.moment().date(), QDate(2024, 3, 31));
    EXPECT_EQ(v.moment().time(), QTime(2, 30));
    // Two purchases half an hour apart across the gap stay in their order and distance.
    const Value later =
        OneColumn(SQL_TIMESTAMP, 0, timestamp(k20240331, kHalfPastTwo + 1800 * 10000)).decode();
    EXPECT_EQ(v.moment().secsTo(later.moment()), 1800);

    EXPECT_EQ(dateTimeFromText(QStringLiteral("31.03.2024 02:30:00")), v.moment());
    EXPECT_EQ(dateTimeFromText(QStringLiteral("31.03.2024")).time(), QTime(0, 0));
    EXPECT_FALSE(dateTimeFromText(QStringLiteral("31.02.2024")).isValid());
}

TEST(DecodeRow, ColumnOfATypeTheProgramDoesNotReadIsRefused) {
    OneColumn blob(SQL_BLOB, 0, bytes(ISC_QUAD{}));
    blob.field.name = "NOTE_TO_RETURN";
    try {
        blob.decode();
        FAIL() << "a blob was read";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("NOTE_TO_RETURN"))) << e.what();
        EXPECT_EQ(e.code(), 0) << "not the server's error";
    }
}

TEST(EncodeInput, EachValueTravelsInItsPassedAsForm) {
    const std::vector<std::string> markers = {"I_ID", "I_NAME", "I_EMPTY", "I_DAY"};
    const std::map<std::string, ParamValue> values = {
        {"I_ID", qint32(-7001)},
        {"I_NAME", QStringLiteral("Łódź")},
        {"I_EMPTY", QString()},
        {"I_DAY", QDate(2024, 3, 31)},
    };
    const auto in = encodeInput("ibcspTest", markers, values, win1250);
    ASSERT_EQ(in.size(), 4u);
    const struct {
        unsigned type, length, charset;
        QByteArray data;
    } expected[] = {
        {SQL_LONG, 4, 0, bytes(ISC_LONG(-7001))},
        {SQL_VARYING, 4, 51,
         bytes(quint16(4)) + QByteArray("\xa3\xf3"
                                        "d\x9f")},
        {SQL_VARYING, 1, 51, bytes(quint16(0))},
        {SQL_TYPE_DATE, 4, 0, bytes(k20240331)},
    };
    for (size_t i = 0; i < in.size(); ++i) {
        EXPECT_EQ(in[i].type, expected[i].type) << markers[i];
        EXPECT_EQ(in[i].length, expected[i].length) << markers[i];
        EXPECT_EQ(in[i].charset, expected[i].charset) << markers[i];
        EXPECT_EQ(in[i].data.toHex(), expected[i].data.toHex()) << markers[i];
    }
}

TEST(EncodeInput, ValuesThatCannotBeSentAreRefusedBeforeAnythingIsSent) {
    const struct {
        const char* what;
        ParamValue value;
        const char* message;
    } cases[] = {
        {"a character outside the code page", QStringLiteral("Sofa 雪"),
         "nie istnieje w stronie kodowej WIN1250"},
        {"a text longer than the client sends", QString(32766, QLatin1Char('x')), "za długi"},
        {"an invalid date", QDate(), "Niepoprawna data w parametrze I_X"},
    };
    for (const auto& c : cases) {
        try {
            encodeInput("ibcspTest", {"I_X"}, {{"I_X", c.value}}, win1250);
            ADD_FAILURE() << "sent: " << c.what;
        } catch (const DbError& e) {
            EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.message))) << e.what();
            EXPECT_EQ(e.code(), 0) << c.what;
            EXPECT_TRUE(e.sqlState().isEmpty()) << c.what;
        }
    }
    EXPECT_THROW(encodeInput("ibcspTest", {"I_X"}, {}, win1250), std::logic_error);
}

} // namespace
