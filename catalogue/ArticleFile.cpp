#include "ArticleFile.h"

#include "core/LabelKey.h"
#include "core/Win1250.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace qm::catalogue {

namespace {

// One line of the file as bytes, before decoding.
struct RawLine {
    QByteArrayView bytes;
    int number; // the line of the file it starts on
};

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimmedOfBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.sliced(begin, end - begin).toString();
}

QString quotedPath(const QString& path) {
    return QStringLiteral("„%1”").arg(path);
}

class Reader {
public:
    Reader(const QByteArray& bytes, const QString& path) : bytes_(bytes), path_(path) {}

    ArticleFileContent run() {
        ArticleFileContent content;
        std::optional<int> openQuoteLine;
        const std::vector<RawLine> lines = splitLines(openQuoteLine);
        if (lines.empty())
            return refuse(QStringLiteral("Plik CSV %1 jest pusty: nie ma w nim nawet wiersza "
                                         "nagłówka.")
                              .arg(quotedPath(path_)));
        // A quoted stretch left open swallows every later line into one record and loses the
        // articles in them without a word: the file is refused instead.
        if (openQuoteLine)
            return refuse(QStringLiteral("Plik CSV %1: cudzysłów otwarty w wierszu %2 nie jest "
                                         "zamknięty do końca pliku.")
                              .arg(quotedPath(path_))
                              .arg(*openQuoteLine));

        QByteArrayView first = lines.front().bytes;
        utf8_ = first.startsWith(QByteArrayView("\xEF\xBB\xBF", 3));

        std::optional<QString> header = decode(lines.front(), utf8_ ? 3 : 0);
        if (!header)
            return std::move(refused_);
        if (auto refusal = checkLength(*header, lines.front().number))
            return refuse(*refusal);
        if (auto refusal = checkHeader(*header, lines.front().number))
            return refuse(*refusal);

        content.records.reserve(lines.size() - 1);
        for (size_t i = 1; i < lines.size(); ++i) {
            const RawLine& raw = lines[i];
            if (raw.bytes.isEmpty())
                continue;
            std::optional<QString> line = decode(raw, 0);
            if (!line)
                return std::move(refused_);
            if (auto refusal = checkLength(*line, raw.number))
                return refuse(*refusal);
            ArticleRecord record;
            record.line = raw.number;
            if (auto refusal = split(*line, record))
                return refuse(*refusal);
            content.records.push_back(std::move(record));
        }
        return content;
    }

private:
    ArticleFileContent refuse(const QString& reason) {
        ArticleFileContent content;
        content.refusal = reason;
        return content;
    }

    // Cuts the bytes into lines at LF, CR or CR LF outside double-quoted stretches. Line numbers
    // count every line break of the file, those inside quotes too, so that they match what an
    // editor shows.
    std::vector<RawLine> splitLines(std::optional<int>& openQuoteLine) const {
        std::vector<RawLine> lines;
        const char* data = bytes_.constData();
        const qsizetype size = bytes_.size();
        bool quoted = false;
        int quoteLine = 0;
        int number = 1;
        qsizetype start = 0;
        int startNumber = 1;
        for (qsizetype i = 0; i < size; ++i) {
            const char c = data[i];
            if (c == '"') {
                quoted = !quoted;
                quoteLine = number;
                continue;
            }
            if (c != '\r' && c != '\n')
                continue;
            const qsizetype end = i;
            if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
                ++i;
            ++number;
            if (quoted)
                continue;
            lines.push_back({QByteArrayView(data + start, end - start), startNumber});
            start = i + 1;
            startNumber = number;
        }
        if (start < size)
            lines.push_back({QByteArrayView(data + start, size - start), startNumber});
        // Trailing CR and LF are never part of a line.
        for (RawLine& line : lines) {
            qsizetype n = line.bytes.size();
            while (n > 0 && (line.bytes[n - 1] == '\r' || line.bytes[n - 1] == '\n'))
                --n;
            line.bytes = line.bytes.first(n);
        }
        if (quoted)
            openQuoteLine = quoteLine;
        return lines;
    }

    std::optional<QString> decode(const RawLine& raw, qsizetype skip) {
        const QByteArrayView bytes = raw.bytes.sliced(skip);
        if (utf8_) {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            QString text = decoder.decode(bytes);
            if (decoder.hasError()) {
                refused_ = refuse(QStringLiteral("Plik CSV %1 zaczyna się znacznikiem UTF-8, "
                                                 "ale wiersz %2 nie jest poprawnym tekstem "
                                                 "UTF-8.")
                                      .arg(quotedPath(path_))
                                      .arg(raw.number));
                return std::nullopt;
            }
            return text;
        }
        QString text(bytes.size(), Qt::Uninitialized);
        QChar* out = text.data();
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            const char16_t u = b < 0x80 ? char16_t(b) : kWin1250High[b - 0x80];
            if (u == 0 && b != 0) {
                refused_ = refuse(QStringLiteral("Wiersz %1 pliku CSV %2 zawiera bajt 0x%3, który "
                                                 "nie jest znakiem w kodowaniu Windows-1250.")
                                      .arg(raw.number)
                                      .arg(quotedPath(path_))
                                      .arg(QString::number(b, 16).toUpper()));
                return std::nullopt;
            }
            out[i] = QChar(u);
        }
        return text;
    }

    std::optional<QString> checkLength(const QString& line, int number) const {
        // A character takes at most three bytes of UTF-8 for each of its UTF-16 units.
        const bool tooLong = line.size() > ArticleFile::kMaxLineCharacters ||
                             (line.size() * 3 > ArticleFile::kMaxLineUtf8Bytes &&
                              line.toUtf8().size() > ArticleFile::kMaxLineUtf8Bytes);
        if (tooLong)
            return QStringLiteral("Wiersz %1 pliku CSV %2 jest za długi (najwyżej %3 znaków): %4")
                .arg(number)
                .arg(quotedPath(path_))
                .arg(ArticleFile::kMaxLineCharacters)
                .arg(quotedInMessage(line));
        return std::nullopt;
    }

    QString tooManyColumns(int number) const {
        return QStringLiteral("Wiersz %1 pliku CSV %2 ma więcej niż %3 kolumn.")
            .arg(number)
            .arg(quotedPath(path_))
            .arg(ArticleFile::kMaxColumns);
    }

    std::optional<QString> checkHeader(const QString& header, int number) const {
        const QList<QStringView> names = QStringView(header).split(QLatin1Char(';'));
        if (names.size() > ArticleFile::kMaxColumns)
            return tooManyColumns(number);
        for (const QStringView raw : names) {
            const QString shown = trimmedOfBlanks(raw);
            const qsizetype colon = shown.indexOf(QLatin1Char(':'));
            const QString name =
                colon < 0 ? shown : trimmedOfBlanks(QStringView(shown).left(colon));
            if (name.isEmpty())
                return QStringLiteral("Plik CSV %1: pusta nazwa kolumny w wierszu nagłówka.")
                    .arg(quotedPath(path_));
            bool known = false;
            for (const QString& column : articleColumnNames())
                known = known || name.compare(column, Qt::CaseInsensitive) == 0;
            if (!known)
                return QStringLiteral("Plik CSV %1: nagłówek zawiera nieznaną nazwę kolumny %2.")
                    .arg(quotedPath(path_), quotedInMessage(shown));
        }
        return std::nullopt;
    }

    // Splits a record at ";" outside double-quoted stretches; inside a stretch two double quotes
    // in a row stay inside it. Quote characters stay in the values.
    std::optional<QString> split(const QString& line, ArticleRecord& record) const {
        const QChar* data = line.constData();
        const qsizetype size = line.size();
        int position = 0;
        qsizetype start = 0;
        bool quoted = false;
        const auto take = [&](qsizetype end) {
            if (position < kArticleColumns)
                record.values[size_t(position)] =
                    trimmedOfBlanks(QStringView(data + start, end - start));
            ++position;
        };
        for (qsizetype i = 0; i < size; ++i) {
            const QChar c = data[i];
            if (c == QLatin1Char('"')) {
                if (!quoted)
                    quoted = true;
                else if (i + 1 < size && data[i + 1] == QLatin1Char('"'))
                    ++i;
                else
                    quoted = false;
                continue;
            }
            if (c == QLatin1Char(';') && !quoted) {
                take(i);
                start = i + 1;
                if (position >= ArticleFile::kMaxColumns)
                    return tooManyColumns(record.line);
            }
        }
        take(size);
        return std::nullopt;
    }

    const QByteArray& bytes_;
    const QString& path_;
    bool utf8_ = false;
    ArticleFileContent refused_;
};

} // namespace

const std::array<QString, kArticleColumns>& articleColumnNames() {
    static const std::array<QString, kArticleColumns> names = {
        QStringLiteral("ODWO_ID"),      QStringLiteral("KOD"),
        QStringLiteral("NAZWA"),        QStringLiteral("NAZWA_TKA1"),
        QStringLiteral("NAZWA_TKA2"),   QStringLiteral("NAZWA_KORPUSU"),
        QStringLiteral("ILOSC"),        QStringLiteral("ARTYKUL_RODZIC_ID"),
        QStringLiteral("KLASYFIKACJA"), QStringLiteral("QBM"),
        QStringLiteral("CENA")};
    return names;
}

QString articleColumnName(ArticleColumn column) {
    return articleColumnNames()[size_t(column)];
}

ArticleFileContent ArticleFile::parse(const QByteArray& bytes, const QString& path) {
    return Reader(bytes, path).run();
}

ArticleFileContent ArticleFile::read(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    ArticleFileContent refused;
    if (info.isDir()) {
        refused.refusal =
            QStringLiteral("%1 jest folderem, a nie plikiem CSV.").arg(quotedPath(path));
        return refused;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString reason = file.error() == QFileDevice::PermissionsError
                                   ? QStringLiteral("brak uprawnień do odczytu")
                                   : file.errorString();
        refused.refusal =
            QStringLiteral("Nie można otworzyć pliku CSV %1: %2.").arg(quotedPath(path), reason);
        return refused;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        refused.refusal = QStringLiteral("Nie można odczytać pliku CSV %1: %2.")
                              .arg(quotedPath(path), file.errorString());
        return refused;
    }
    return parse(bytes, path);
}

} // namespace qm::catalogue
