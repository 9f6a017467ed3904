#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace qm {
class GridTable;
}

namespace qm::printing {

// One line of the program's CSV files, in UTF-8: every value in double quotes (empty values
// too), a double quote inside a value doubled, ";" between values, no line ending. Separators
// and line breaks inside a value stay inside its quotes.
QByteArray csvLine(const QStringList& values);

// Writes the grid as a CSV file: the byte-order mark EF BB BF, the line of column captions, then
// one line per row in the given order (rows of the grid), each cell as the grid shows it; CR LF
// between lines and none after the last. An existing file is replaced; the file is written whole
// or not at all (see writeFileAtomically).
void writeCsv(const QString& path, const qm::GridTable& grid, const std::vector<int>& order);

} // namespace qm::printing
