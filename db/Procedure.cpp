#include "Procedure.h"

#include "DbError.h"
#include "FbStatus.h"

#include <firebird/Interface.h>

#include <cstring>
#include <stdexcept>

using namespace Firebird;

namespace qm::db {

namespace {

// Releases a Firebird interface when the scope ends.
template <class T> struct Released {
    T* p = nullptr;
    ~Released() {
        if (p)
            p->release();
    }
};

constexpr unsigned kMaxVarchar = 32765;

QString scaledText(qint64 digits, int scale) {
    if (scale >= 0) {
        QString s = QString::number(digits);
        if (digits != 0)
            s += QString(scale, QLatin1Char('0'));
        return s;
    }
    const bool negative = digits < 0;
    // Work on the unsigned magnitude so that the smallest 64-bit value renders too.
    const quint64 magnitude = negative ? quint64(0) - quint64(digits) : quint64(digits);
    QString s = QString::number(magnitude);
    const int decimals = -scale;
    if (s.size() <= decimals)
        s = QString(decimals - s.size() + 1, QLatin1Char('0')) + s;
    s.insert(s.size() - decimals, QLatin1Char(','));
    return negative ? QLatin1Char('-') + s : s;
}

QDate fbDate(ISC_DATE d) {
    unsigned y = 0, m = 0, day = 0;
    firebirdUtil()->decodeDate(d, &y, &m, &day);
    return QDate(int(y), int(m), int(day));
}

QTime fbTime(ISC_TIME t) {
    unsigned h = 0, m = 0, s = 0, frac = 0;
    firebirdUtil()->decodeTime(t, &h, &m, &s, &frac);
    return QTime(int(h), int(m), int(s), int(frac / 10));
}

} // namespace

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
        return moment.date().toString(QStringLiteral("dd.MM.yyyy"));
    case Type::Time:
        return moment.time().toString(QStringLiteral("HH:mm:ss"));
    case Type::Timestamp:
        return moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
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
    rows_.clear();
    columnNames_.clear();
    current_ = 0;
    open_ = false;
}

void Procedure::releaseStatement() {
    if (statement_) {
        FbStatus st;
        try {
            statement_->free(&st.wrapper);
        } catch (const FbException&) {
            statement_->release();
        }
        statement_ = nullptr;
    }
}

IStatement* Procedure::prepare() {
    if (statement_)
        return statement_;
    IAttachment* att = connection_.attachment();
    ITransaction* tra = connection_.transaction(def_.transaction);
    FbStatus st;
    statement_ = att->prepare(&st.wrapper, tra, 0, positionalSql_.c_str(), SQL_DIALECT_V6,
                              IStatement::PREPARE_PREFETCH_METADATA);
    return statement_;
}

void Procedure::open() {
    if (def_.kind != ProcedureKind::Query)
        throw std::logic_error(std::string(def_.component) + " is not a query");
    close();
    run(true);
    open_ = true;
}

void Procedure::execute() {
    if (def_.kind != ProcedureKind::Execute)
        throw std::logic_error(std::string(def_.component) + " is not a writing procedure");
    try {
        run(false);
    } catch (...) {
        // The failed statement left nothing behind; end its transaction so the next write starts
        // clean instead of inheriting it.
        releaseStatement();
        connection_.rollback(def_.transaction);
        throw;
    }
    if (!keepPrepared_)
        releaseStatement();
    connection_.commit(def_.transaction);
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
    std::vector<QByteArray> encoded(markerNames_.size());
    for (size_t i = 0; i < markerNames_.size(); ++i) {
        auto it = values_.find(markerNames_[i]);
        if (it == values_.end())
            throw std::logic_error(std::string(def_.component) + ": parameter " + markerNames_[i] +
                                   " not set");
        if (const auto* text = std::get_if<QString>(&it->second)) {
            encoded[i] = codec.encode(*text);
            if (unsigned(encoded[i].size()) > kMaxVarchar)
                throw DbError(QStringLiteral("Tekst parametru %1 jest za długi (%2 bajtów, "
                                             "najwyżej %3); nic nie zostało wysłane do bazy.")
                                  .arg(QString::fromLatin1(markerNames_[i].c_str()))
                                  .arg(encoded[i].size())
                                  .arg(kMaxVarchar));
        } else if (const auto* date = std::get_if<QDate>(&it->second); date && !date->isValid()) {
            throw DbError(QStringLiteral("Niepoprawna data w parametrze %1.")
                              .arg(QString::fromLatin1(markerNames_[i].c_str())));
        }
    }
    FbStatus st;
    try {
        IStatement* stmt = prepare();
        ITransaction* tra = connection_.transaction(def_.transaction);

        Released<IMessageMetadata> inMeta{stmt->getInputMetadata(&st.wrapper)};
        Released<IMetadataBuilder> builder{inMeta.p->getBuilder(&st.wrapper)};
        const unsigned inCount = inMeta.p->getCount(&st.wrapper);
        if (inCount != markerNames_.size())
            throw std::logic_error(std::string(def_.component) + ": parameter count mismatch");
        for (unsigned i = 0; i < inCount; ++i) {
            const ParamValue& v = values_.at(markerNames_[i]);
            if (std::holds_alternative<qint32>(v)) {
                builder.p->setType(&st.wrapper, i, SQL_LONG + 1);
                builder.p->setScale(&st.wrapper, i, 0);
                builder.p->setLength(&st.wrapper, i, sizeof(ISC_LONG));
            } else if (std::holds_alternative<QString>(v)) {
                builder.p->setType(&st.wrapper, i, SQL_VARYING + 1);
                builder.p->setCharSet(&st.wrapper, i, codec.firebirdCharsetId());
                builder.p->setLength(&st.wrapper, i, std::max<unsigned>(1, encoded[i].size()));
            } else {
                builder.p->setType(&st.wrapper, i, SQL_TYPE_DATE + 1);
                builder.p->setLength(&st.wrapper, i, sizeof(ISC_DATE));
            }
        }
        Released<IMessageMetadata> sendMeta{builder.p->getMetadata(&st.wrapper)};
        std::vector<unsigned char> in(sendMeta.p->getMessageLength(&st.wrapper));
        for (unsigned i = 0; i < inCount; ++i) {
            unsigned char* at = in.data() + sendMeta.p->getOffset(&st.wrapper, i);
            const short notNull = 0;
            std::memcpy(in.data() + sendMeta.p->getNullOffset(&st.wrapper, i), &notNull,
                        sizeof notNull);
            const ParamValue& v = values_.at(markerNames_[i]);
            if (const auto* n = std::get_if<qint32>(&v)) {
                const ISC_LONG value = *n;
                std::memcpy(at, &value, sizeof value);
            } else if (std::holds_alternative<QString>(v)) {
                const auto len = static_cast<unsigned short>(encoded[i].size());
                std::memcpy(at, &len, sizeof len);
                std::memcpy(at + sizeof len, encoded[i].constData(), len);
            } else {
                const QDate& d = std::get<QDate>(v);
                const ISC_DATE value = firebirdUtil()->encodeDate(
                    unsigned(d.year()), unsigned(d.month()), unsigned(d.day()));
                std::memcpy(at, &value, sizeof value);
            }
        }

        if (!fetch) {
            stmt->execute(&st.wrapper, tra, sendMeta.p, in.data(), nullptr, nullptr);
            return;
        }

        Released<IMessageMetadata> outMeta{stmt->getOutputMetadata(&st.wrapper)};
        const unsigned outCount = outMeta.p->getCount(&st.wrapper);
        struct Field {
            unsigned type, offset, nullOffset, length, charset;
            int scale;
        };
        std::vector<Field> fields(outCount);
        columnNames_.resize(outCount);
        for (unsigned i = 0; i < outCount; ++i) {
            fields[i] = {
                outMeta.p->getType(&st.wrapper, i) & ~1u, outMeta.p->getOffset(&st.wrapper, i),
                outMeta.p->getNullOffset(&st.wrapper, i), outMeta.p->getLength(&st.wrapper, i),
                outMeta.p->getCharSet(&st.wrapper, i),    outMeta.p->getScale(&st.wrapper, i)};
            columnNames_[i] = outMeta.p->getAlias(&st.wrapper, i);
        }
        std::vector<unsigned char> out(outMeta.p->getMessageLength(&st.wrapper));
        Released<IResultSet> cursor{
            stmt->openCursor(&st.wrapper, tra, sendMeta.p, in.data(), outMeta.p, 0)};
        while (cursor.p->fetchNext(&st.wrapper, out.data()) == IStatus::RESULT_OK) {
            std::vector<Value> row(outCount);
            for (unsigned i = 0; i < outCount; ++i) {
                const Field& f = fields[i];
                Value& v = row[i];
                short isNull = 0;
                std::memcpy(&isNull, out.data() + f.nullOffset, sizeof isNull);
                if (isNull)
                    continue;
                const unsigned char* at = out.data() + f.offset;
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
                    v.moment = QDateTime(fbDate(x), QTime(0, 0));
                    continue;
                }
                case SQL_TYPE_TIME: {
                    ISC_TIME x;
                    load(x);
                    v.type = Value::Type::Time;
                    v.moment = QDateTime(QDate(1970, 1, 1), fbTime(x));
                    continue;
                }
                case SQL_TIMESTAMP: {
                    ISC_TIMESTAMP x;
                    load(x);
                    v.type = Value::Type::Timestamp;
                    v.moment = QDateTime(fbDate(x.timestamp_date), fbTime(x.timestamp_time));
                    continue;
                }
                case SQL_BOOLEAN: {
                    v.type = Value::Type::Boolean;
                    v.integer = *at ? 1 : 0;
                    continue;
                }
                default:
                    throw DbError(QStringLiteral("Kolumna %1 ma typ, którego program nie czyta.")
                                      .arg(QString::fromUtf8(columnNames_[i].c_str())));
                }
                v.scale = f.scale;
                v.type = f.scale == 0 ? Value::Type::Integer : Value::Type::Scaled;
            }
            rows_.push_back(std::move(row));
        }
        cursor.p->close(&st.wrapper);
        cursor.p = nullptr;
    } catch (const FbException& e) {
        rows_.clear();
        throw DbError(firebirdMessage(e, codec));
    }
}

int Procedure::readCount(const char* countColumn) {
    if (rows_.empty())
        return 0;
    current_ = 0;
    return asInteger(countColumn);
}

bool Procedure::next() {
    if (current_ < rows_.size())
        ++current_;
    return current_ < rows_.size();
}

const Value& Procedure::column(const char* name) const {
    static const Value none;
    for (size_t i = 0; i < columnNames_.size(); ++i)
        if (columnNames_[i] == name)
            // Past the last row, or in an empty result, every column reads as null.
            return onRow() ? rows_[current_][i] : none;
    throw DbError(QStringLiteral("%1: wynik nie ma kolumny %2.")
                      .arg(QString::fromLatin1(def_.component), QString::fromLatin1(name)));
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
        return v.moment;
    case Value::Type::Text: {
        for (const char* format : {"dd.MM.yyyy HH:mm:ss", "dd.MM.yyyy"}) {
            QDateTime t = QDateTime::fromString(v.text, QString::fromLatin1(format));
            if (t.isValid())
                return t;
        }
        break;
    }
    default:
        break;
    }
    throw DbError(QStringLiteral("„%1” nie jest poprawną datą (kolumna %2).")
                      .arg(v.render(), QString::fromLatin1(name)));
}

} // namespace qm::db
