#include "Procedure.h"

#include "FbClient.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

using namespace Firebird;

namespace qm::db {

namespace {

constexpr unsigned kMaxVarchar = 32765;

// Firebird counts dates in days from 17 November 1858 and times of day in ten-thousandths of a
// second.
const QDate kDayZero(1858, 11, 17);

QString scaledText(qint64 digits, int scale) {
    if (scale >= 0) {
        QString s = QString::number(digits);
        if (digits != 0)
            s += QString(scale, QLatin1Char('0'));
        return s;
    }
    const bool negative = digits < 0;
    // Work on the unsigned magnitude so that the smallest 64-bit value renders too.
    quint64 magnitude = negative ? quint64(0) - quint64(digits) : quint64(digits);
    const int decimals = -scale;
    // At least one digit before the comma: zeros in front of a magnitude shorter than that.
    int places = 1;
    for (quint64 m = magnitude; m >= 10; m /= 10)
        ++places;
    places = std::max(places, decimals + 1);
    QString text((negative ? 1 : 0) + places + 1, Qt::Uninitialized);
    QChar* at = text.data() + text.size(); // written from the last digit back
    for (int place = 0; place < places; ++place) {
        if (place == decimals)
            *--at = QLatin1Char(',');
        *--at = QChar(char16_t(u'0' + magnitude % 10));
        magnitude /= 10;
    }
    if (negative)
        *--at = QLatin1Char('-');
    return text;
}

QDate fbDate(ISC_DATE d) {
    return kDayZero.addDays(d);
}

QTime fbTime(ISC_TIME t) {
    return QTime::fromMSecsSinceStartOfDay(int(t / 10));
}

// A wall-clock value of the server: no time zone, so no daylight-saving gap of the workstation.
QDateTime wallClock(const QDate& date, const QTime& time) {
    return QDateTime(date, time, Qt::UTC);
}

const QString kDateFormat = QStringLiteral("dd.MM.yyyy");
const QString kTimeFormat = QStringLiteral("HH:mm:ss");
const QString kTimestampFormat = QStringLiteral("dd.MM.yyyy HH:mm:ss");

// Writes value as exactly width decimal digits, zeros in front, and moves past them.
void putDigits(QChar*& at, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        at[i] = QChar(char16_t(u'0' + value % 10));
        value /= 10;
    }
    at += width;
}

// The server's dates and times of day are written here directly, which is what the Qt format
// strings above give for them; a value outside the server's range (a year before 1 or after 9999,
// a time past the end of the day) is left to Qt.
bool directDate(const QDate& date) {
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

void putDate(QChar*& at, const QDate& date) {
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    putDigits(at, day, 2);
    *at++ = QLatin1Char('.');
    putDigits(at, month, 2);
    *at++ = QLatin1Char('.');
    putDigits(at, year, 4);
}

void putTime(QChar*& at, const QTime& time) {
    putDigits(at, time.hour(), 2);
    *at++ = QLatin1Char(':');
    putDigits(at, time.minute(), 2);
    *at++ = QLatin1Char(':');
    putDigits(at, time.second(), 2);
}

QString dateText(const QDate& date) {
    QString text(10, Qt::Uninitialized);
    QChar* at = text.data();
    putDate(at, date);
    return text;
}

QString timeText(const QTime& time) {
    QString text(8, Qt::Uninitialized);
    QChar* at = text.data();
    putTime(at, time);
    return text;
}

QString timestampText(const QDate& date, const QTime& time) {
    QString text(19, Qt::Uninitialized);
    QChar* at = text.data();
    putDate(at, date);
    *at++ = QLatin1Char(' ');
    putTime(at, time);
    return text;
}

template <class T> QByteArray bytesOf(T value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

QDateTime Value::moment() const {
    switch (type) {
    case Type::Date:
    case Type::Time:
    case Type::Timestamp:
        return wallClock(date, time);
    default:
        return {};
    }
}

QString Value::render() const {
    switch (type) {
    case Type::Null:
        return {};
    case Type::Integer:
        return QString::number(integer);
    case Type::Scaled:
        return scaledText(integer, scale);
    case Type::Real:
        return QString::number(real, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
    case Type::Text:
        return text;
    case Type::Date:
        if (directDate(date))
            return dateText(date);
        return moment().date().toString(kDateFormat);
    case Type::Time:
        if (time.isValid())
            return timeText(time);
        return moment().time().toString(kTimeFormat);
    case Type::Timestamp:
        if (directDate(date) && time.isValid())
            return timestampText(date, time);
        return moment().toString(kTimestampFormat);
    case Type::Boolean:
        return integer ? QStringLiteral("True") : QStringLiteral("False");
    }
    return {};
}

std::string positionalSql(const std::string& sql, std::vector<std::string>& names) {
    std::string out;
    names.clear();
    char quote = 0;
    for (size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            out += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            out += c;
            continue;
        }
        if (c == ':' && i + 1 < sql.size() &&
            (std::isalpha(static_cast<unsigned char>(sql[i + 1])) || sql[i + 1] == '_')) {
            size_t j = i + 1;
            while (j < sql.size() &&
                   (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '_'))
                ++j;
            names.push_back(sql.substr(i + 1, j - i - 1));
            out += '?';
            i = j - 1;
            continue;
        }
        out += c;
    }
    return out;
}

std::vector<InputParam> encodeInput(const char* component,
                                    const std::vector<std::string>& markerNames,
                                    const std::map<std::string, ParamValue>& values,
                                    const TextCodec& codec) {
    std::vector<InputParam> out;
    out.reserve(markerNames.size());
    for (const std::string& name : markerNames) {
        auto it = values.find(name);
        if (it == values.end())
            throw std::logic_error(std::string(component) + ": parameter " + name + " not set");
        const QString shownName = QString::fromLatin1(name.c_str());
        if (const auto* n = std::get_if<qint32>(&it->second)) {
            out.push_back({SQL_LONG, unsigned(sizeof(ISC_LONG)), 0, bytesOf(ISC_LONG(*n))});
        } else if (const auto* text = std::get_if<QString>(&it->second)) {
            const QByteArray encoded = codec.encode(*text);
            if (unsigned(encoded.size()) > kMaxVarchar)
                throw DbError(QStringLiteral("Tekst parametru %1 jest za długi (%2 bajtów, "
                                             "najwyżej %3); nic nie zostało wysłane do bazy.")
                                  .arg(shownName)
                                  .arg(encoded.size())
                                  .arg(kMaxVarchar));
            const auto length = static_cast<unsigned short>(encoded.size());
            out.push_back({SQL_VARYING, std::max<unsigned>(1, length), codec.firebirdCharsetId(),
                           bytesOf(length) + encoded});
        } else {
            const QDate& date = std::get<QDate>(it->second);
            if (!date.isValid())
                throw DbError(QStringLiteral("Niepoprawna data w parametrze %1.").arg(shownName));
            out.push_back({SQL_TYPE_DATE, unsigned(sizeof(ISC_DATE)), 0,
                           bytesOf(ISC_DATE(kDayZero.daysTo(date)))});
        }
    }
    return out;
}

void decodeRow(const std::vector<OutputField>& fields, const unsigned char* message,
               const TextCodec& codec, std::vector<Value>& row) {
    for (const OutputField& f : fields) {
        Value& v = row.emplace_back();
        short isNull = 0;
        std::memcpy(&isNull, message + f.nullOffset, sizeof isNull);
        if (isNull)
            continue;
        const unsigned char* at = message + f.offset;
        const auto load = [at](auto& target) { std::memcpy(&target, at, sizeof target); };
        switch (f.type) {
        case SQL_SHORT: {
            ISC_SHORT x;
            load(x);
            v.integer = x;
            break;
        }
        case SQL_LONG: {
            ISC_LONG x;
            load(x);
            v.integer = x;
            break;
        }
        case SQL_INT64: {
            ISC_INT64 x;
            load(x);
            v.integer = x;
            break;
        }
        case SQL_FLOAT: {
            float x;
            load(x);
            v.type = Value::Type::Real;
            v.real = x;
            continue;
        }
        case SQL_DOUBLE: {
            double x;
            load(x);
            v.type = Value::Type::Real;
            v.real = x;
            continue;
        }
        case SQL_VARYING: {
            unsigned short len;
            load(len);
            v.type = Value::Type::Text;
            v.text = codec.decode(reinterpret_cast<const char*>(at) + 2, len);
            continue;
        }
        case SQL_TEXT: {
            v.type = Value::Type::Text;
            v.text = codec.decode(reinterpret_cast<const char*>(at), f.length);
            while (v.text.endsWith(QLatin1Char(' ')))
                v.text.chop(1);
            continue;
        }
        case SQL_TYPE_DATE: {
            ISC_DATE x;
            load(x);
            v.type = Value::Type::Date;
            v.date = fbDate(x);
            v.time = QTime(0, 0);
            continue;
        }
        case SQL_TYPE_TIME: {
            ISC_TIME x;
            load(x);
            v.type = Value::Type::Time;
            v.date = QDate(1970, 1, 1);
            v.time = fbTime(x);
            continue;
        }
        case SQL_TIMESTAMP: {
            ISC_TIMESTAMP x;
            load(x);
            v.type = Value::Type::Timestamp;
            v.date = fbDate(x.timestamp_date);
            v.time = fbTime(x.timestamp_time);
            continue;
        }
        case SQL_BOOLEAN: {
            v.type = Value::Type::Boolean;
            v.integer = *at ? 1 : 0;
            continue;
        }
        default:
            throw DbError(QStringLiteral("Kolumna %1 ma typ, którego program nie czyta.")
                              .arg(QString::fromUtf8(f.name.c_str())));
        }
        v.scale = f.scale;
        v.type = f.scale == 0 ? Value::Type::Integer : Value::Type::Scaled;
    }
}

QDateTime dateTimeFromText(const QString& text) {
    const QString trimmed = text.trimmed();
    const QDate date =
        QDate::fromString(trimmed.section(QLatin1Char(' '), 0, 0), QStringLiteral("dd.MM.yyyy"));
    const QString timePart = trimmed.section(QLatin1Char(' '), 1);
    const QTime time =
        timePart.isEmpty() ? QTime(0, 0) : QTime::fromString(timePart, QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return {};
    return wallClock(date, time);
}

Procedure::Procedure(Connection& connection, const ProcedureDef& def)
    : connection_(connection), def_(def) {
    positionalSql_ = positionalSql(def.sql, markerNames_);
    for (const auto& name : markerNames_) {
        bool known = false;
        for (const auto& p : def_.params)
            known = known || name == p.name;
        if (!known)
            throw std::logic_error(std::string(def.component) + ": no parameter " + name);
    }
    connection_.attach(this);
}

Procedure::~Procedure() {
    close();
    releaseStatement();
    connection_.detach(this);
}

const ParamDef& Procedure::param(const char* name, Form form) const {
    for (const auto& p : def_.params) {
        if (std::strcmp(p.name, name) == 0) {
            if (p.passedAs != form)
                throw std::logic_error(std::string(def_.component) + ": " + name +
                                       " is passed in another form");
            return p;
        }
    }
    throw std::logic_error(std::string(def_.component) + ": no parameter " + name);
}

void Procedure::setInteger(const char* name, qint32 value) {
    values_[param(name, Form::Integer).name] = value;
}

void Procedure::setText(const char* name, const QString& value) {
    values_[param(name, Form::Text).name] = value;
}

void Procedure::setDate(const char* name, const QDate& value) {
    values_[param(name, Form::Date).name] = value;
}

void Procedure::close() {
    rows_ = {}; // the memory of a long result goes with it
    rowCount_ = 0;
    columnNames_.clear();
    foundColumns_.clear();
    current_ = 0;
    open_ = false;
}

void Procedure::releaseStatement() {
    if (!statement_)
        return;
    if (connection_.lost()) {
        statement_.forget(); // nothing to ask a server that no longer serves the attachment
        return;
    }
    Status st(connection_.codec());
    endQuietly(statement_, [&](IStatement* s) { s->free(&st); });
}

IStatement* Procedure::prepare() {
    if (statement_)
        return statement_.get();
    IAttachment* att = connection_.attachment();
    ITransaction* tra = connection_.transaction(def_.transaction);
    Status st(connection_.codec());
    statement_.reset(att->prepare(&st, tra, 0, positionalSql_.c_str(), SQL_DIALECT_V6,
                                  IStatement::PREPARE_PREFETCH_METADATA));
    return statement_.get();
}

bool Procedure::attachIfLost() {
    if (!connection_.lost())
        return false;
    connection_.reconnect();
    return true;
}

void Procedure::runNoted(bool fetch) {
    try {
        run(fetch);
    } catch (const DbError& e) {
        connection_.noteFailure(e);
        throw;
    }
}

void Procedure::open() {
    if (def_.kind != ProcedureKind::Query)
        throw std::logic_error(std::string(def_.component) + " is not a query");
    close();
    // A query changes nothing, so it may be asked again: once on a new attachment when the old
    // one is gone, and once on a new statement when the server no longer knows the state of the
    // prepared one. The latter is how the first query on a statement prepared before an
    // administrator shut the attachment down fails: the server never took the closing of its
    // last cursor, and refuses to open another.
    bool reattached = attachIfLost();
    bool preparedAgain = false;
    for (;;) {
        try {
            runNoted(true);
            break;
        } catch (const DbError& e) {
            if (e.isConnectionLost() && !reattached) {
                connection_.reconnect();
                reattached = true;
            } else if (e.hasCode(isc_dsql_cursor_open_err) && !preparedAgain) {
                forgetStatement();
                preparedAgain = true;
            } else {
                throw;
            }
        }
    }
    open_ = true;
}

void Procedure::execute() {
    if (def_.kind != ProcedureKind::Execute)
        throw std::logic_error(std::string(def_.component) + " is not a writing procedure");
    attachIfLost();
    try {
        runNoted(false);
        if (!keepPrepared_)
            releaseStatement();
        connection_.commit(def_.transaction);
    } catch (...) {
        // Whatever failed, the statement or its commit, the write's transaction ends here so the
        // next write starts clean instead of inheriting (and later committing) this one.
        try {
            throw;
        } catch (const DbError& e) {
            connection_.noteFailure(e);
        } catch (...) {
        }
        releaseStatement();
        connection_.rollback(def_.transaction);
        throw;
    }
}

void Procedure::setKeepPrepared(bool keep) {
    keepPrepared_ = keep;
    if (!keep)
        releaseStatement();
}

void Procedure::run(bool fetch) {
    const TextCodec& codec = connection_.codec();
    // Texts are converted before anything is prepared or sent, so a character outside the code
    // page stops the call with nothing sent.
    const std::vector<InputParam> input = encodeInput(def_.component, markerNames_, values_, codec);
    Status st(codec);
    try {
        IStatement* stmt = prepare();
        ITransaction* tra = connection_.transaction(def_.transaction);

        Ref<IMessageMetadata> inMeta(stmt->getInputMetadata(&st));
        Ref<IMetadataBuilder> builder(inMeta->getBuilder(&st));
        const unsigned inCount = inMeta->getCount(&st);
        if (inCount != input.size())
            throw std::logic_error(std::string(def_.component) + ": parameter count mismatch");
        for (unsigned i = 0; i < inCount; ++i) {
            builder->setType(&st, i, input[i].type + 1);
            builder->setLength(&st, i, input[i].length);
            if (input[i].type == SQL_VARYING)
                builder->setCharSet(&st, i, input[i].charset);
            else
                builder->setScale(&st, i, 0);
        }
        Ref<IMessageMetadata> sendMeta(builder->getMetadata(&st));
        std::vector<unsigned char> in(sendMeta->getMessageLength(&st));
        for (unsigned i = 0; i < inCount; ++i) {
            const short notNull = 0;
            std::memcpy(in.data() + sendMeta->getNullOffset(&st, i), &notNull, sizeof notNull);
            std::memcpy(in.data() + sendMeta->getOffset(&st, i), input[i].data.constData(),
                        size_t(input[i].data.size()));
        }

        if (!fetch) {
            stmt->execute(&st, tra, sendMeta.get(), in.data(), nullptr, nullptr);
            return;
        }

        Ref<IMessageMetadata> outMeta(stmt->getOutputMetadata(&st));
        const unsigned outCount = outMeta->getCount(&st);
        std::vector<OutputField> fields(outCount);
        columnNames_.resize(outCount);
        foundColumns_.clear();
        for (unsigned i = 0; i < outCount; ++i) {
            fields[i] = {outMeta->getAlias(&st, i),  outMeta->getType(&st, i) & ~1u,
                         outMeta->getOffset(&st, i), outMeta->getNullOffset(&st, i),
                         outMeta->getLength(&st, i), outMeta->getCharSet(&st, i),
                         outMeta->getScale(&st, i)};
            columnNames_[i] = fields[i].name;
        }
        std::vector<unsigned char> out(outMeta->getMessageLength(&st));
        Ref<IResultSet> cursor(
            stmt->openCursor(&st, tra, sendMeta.get(), in.data(), outMeta.get(), 0));
        while (cursor->fetchNext(&st, out.data()) == IStatus::RESULT_OK) {
            decodeRow(fields, out.data(), codec, rows_);
            ++rowCount_;
        }
        end(cursor, [&](IResultSet* c) { c->close(&st); });
    } catch (...) {
        rows_.clear();
        rowCount_ = 0;
        throw;
    }
}

int Procedure::readCount(const char* countColumn) {
    if (rowCount_ == 0)
        return 0;
    current_ = 0;
    return asInteger(countColumn);
}

bool Procedure::next() {
    if (current_ < rowCount_)
        ++current_;
    return current_ < rowCount_;
}

size_t Procedure::columnPosition(const char* name) const {
    // The text at a remembered address is compared again, so a name that a caller wrote into
    // the same buffer since is searched for as any other.
    for (const auto& [asked, position] : foundColumns_)
        if (asked == name && std::strcmp(columnNames_[position].c_str(), name) == 0)
            return position;
    for (size_t i = 0; i < columnNames_.size(); ++i) {
        if (std::strcmp(columnNames_[i].c_str(), name) == 0) {
            if (foundColumns_.size() < columnNames_.size())
                foundColumns_.emplace_back(name, i);
            return i;
        }
    }
    throw DbError(QStringLiteral("%1: wynik nie ma kolumny %2.")
                      .arg(QString::fromLatin1(def_.component), QString::fromLatin1(name)));
}

const Value& Procedure::column(const char* name) const {
    static const Value none;
    const size_t i = columnPosition(name);
    // Past the last row, or in an empty result, every column reads as null.
    return onRow() ? rows_[current_ * columnNames_.size() + i] : none;
}

bool Procedure::isNull(const char* name) const {
    return column(name).type == Value::Type::Null;
}

qint32 Procedure::asInteger(const char* name) const {
    const Value& v = column(name);
    const auto fail = [&](const QString& shown) {
        return DbError(QStringLiteral("„%1” nie jest poprawną liczbą całkowitą (kolumna %2).")
                           .arg(shown, QString::fromLatin1(name)));
    };
    qint64 result = 0;
    switch (v.type) {
    case Value::Type::Null:
        return 0;
    case Value::Type::Integer:
    case Value::Type::Boolean:
        result = v.integer;
        break;
    case Value::Type::Scaled: {
        qint64 x = v.integer;
        for (int s = v.scale; s < 0; ++s) {
            if (x % 10 != 0)
                throw fail(v.render());
            x /= 10;
        }
        for (int s = 0; s < v.scale; ++s)
            x *= 10;
        result = x;
        break;
    }
    case Value::Type::Text: {
        bool ok = false;
        result = v.text.trimmed().toLongLong(&ok);
        if (!ok)
            throw fail(v.text);
        break;
    }
    default:
        throw fail(v.render());
    }
    if (result < std::numeric_limits<qint32>::min() || result > std::numeric_limits<qint32>::max())
        throw fail(v.render());
    return qint32(result);
}

QString Procedure::asText(const char* name) const {
    return column(name).render();
}

QDateTime Procedure::asDateTime(const char* name) const {
    const Value& v = column(name);
    switch (v.type) {
    case Value::Type::Null:
        return {};
    case Value::Type::Date:
    case Value::Type::Time:
    case Value::Type::Timestamp:
        return v.moment();
    case Value::Type::Text: {
        const QDateTime t = dateTimeFromText(v.text);
        if (t.isValid())
            return t;
        break;
    }
    default:
        break;
    }
    throw DbError(QStringLiteral("„%1” nie jest poprawną datą (kolumna %2).")
                      .arg(v.render(), QString::fromLatin1(name)));
}

} // namespace qm::db
