#include "CsvOutput.h"

#include "FileOutput.h"
#include "core/GridTable.h"

#include <QIODevice>

namespace qm::printing {

namespace {

void appendValue(QByteArray& out, const QString& value) {
    out += '"';
    const QByteArray bytes = value.toUtf8();
    if (bytes.contains('"'))
        out += QByteArray(bytes).replace("\"", "\"\"");
    else
        out += bytes;
    out += '"';
}

constexpr qsizetype kChunk = 1 << 16;

// A failed write is remembered by the file, whose completion then fails.
void flush(QIODevice& file, QByteArray& out) {
    file.write(out);
    out.clear();
}

} // namespace

QByteArray csvLine(const QStringList& values) {
    QByteArray out;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ';';
        appendValue(out, values[i]);
    }
    return out;
}

void writeCsv(const QString& path, const qm::GridTable& grid, const std::vector<int>& order) {
    writeFileAtomically(path, [&](QIODevice& file) {
        QByteArray out("\xEF\xBB\xBF");
        QStringList captions;
        for (const GridColumn& c : grid.columns())
            captions << c.caption;
        out += csvLine(captions);
        const int columns = int(grid.columns().size());
        for (const int r : order) {
            out += "\r\n";
            for (int c = 0; c < columns; ++c) {
                if (c > 0)
                    out += ';';
                appendValue(out, grid.text(r, c));
            }
            if (out.size() >= kChunk)
                flush(file, out);
        }
        flush(file, out);
    });
}

} // namespace qm::printing
