#include "GridTable.h"

#include <QLocale>
#include <cstddef>
#include <stdexcept>

namespace qm {

GridTable::GridTable(std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

int GridTable::columnIndex(const QString& caption) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].caption == caption)
            return int(i);
    return -1;
}

size_t GridTable::cellIndex(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 0 || size_t(column) >= columns_.size())
        throw std::out_of_range("no such cell in the grid");
    return size_t(row) * columns_.size() + size_t(column);
}

void GridTable::clearRows() {
    if (rows_ == 0)
        return;
    if (!bulk_)
        beginResetModel();
    cells_ = {}; // the memory of a long list goes with it
    rows_ = 0;
    if (!bulk_)
        endResetModel();
}

int GridTable::appendRow() {
    const int row = rows_;
    if (!bulk_)
        beginInsertRows({}, row, row);
    cells_.resize(cells_.size() + columns_.size());
    ++rows_;
    if (!bulk_)
        endInsertRows();
    return row;
}

void GridTable::reserveRows(int rows) {
    if (rows > 0)
        cells_.reserve(size_t(rows) * columns_.size());
}

void GridTable::removeRow(int row) {
    if (row < 0 || row >= rows_)
        return;
    if (!bulk_)
        beginRemoveRows({}, row, row);
    const auto first = cells_.begin() + std::ptrdiff_t(size_t(row) * columns_.size());
    cells_.erase(first, first + std::ptrdiff_t(columns_.size()));
    --rows_;
    if (!bulk_)
        endRemoveRows();
}

void GridTable::setText(int row, int column, const QString& text) {
    cells_[cellIndex(row, column)] = text;
    if (!bulk_)
        emit dataChanged(index(row, column), index(row, column));
}

void GridTable::setNumber(int row, int column, double value) {
    cells_[cellIndex(row, column)] = value;
    if (!bulk_)
        emit dataChanged(index(row, column), index(row, column));
}

QVariant GridTable::value(int row, int column) const {
    const Cell& cell = cells_[cellIndex(row, column)];
    if (const auto* text = std::get_if<QString>(&cell))
        return *text;
    if (const auto* number = std::get_if<double>(&cell))
        return *number;
    return {};
}

QString GridTable::text(int row, int column) const {
    const Cell& cell = cells_[cellIndex(row, column)];
    if (const auto* text = std::get_if<QString>(&cell))
        return *text;
    if (const auto* number = std::get_if<double>(&cell)) {
        QLocale polish(QLocale::Polish, QLocale::Poland);
        polish.setNumberOptions(QLocale::OmitGroupSeparator);
        return polish.toString(*number, 'g', 15);
    }
    return {};
}

void GridTable::beginBulk() {
    if (bulk_++ == 0)
        beginResetModel();
}

void GridTable::endBulk() {
    if (bulk_ > 0 && --bulk_ == 0)
        endResetModel();
}

std::optional<int> GridTable::selectedRow() const {
    if (!selection_)
        return std::nullopt;
    const auto row = selection_();
    if (row && (*row < 0 || *row >= rows()))
        return std::nullopt;
    return row;
}

std::vector<int> GridTable::displayOrder() const {
    std::vector<int> order;
    if (displayOrder_)
        order = displayOrder_();
    // A view that has not caught up with the grid must not lose or repeat a row.
    std::vector<char> seen(size_t(rows()), 0);
    bool whole = order.size() == seen.size();
    for (size_t i = 0; whole && i < order.size(); ++i) {
        const int row = order[i];
        whole = row >= 0 && row < rows() && !seen[size_t(row)];
        if (whole)
            seen[size_t(row)] = 1;
    }
    if (!whole) {
        order.resize(size_t(rows()));
        for (int r = 0; r < rows(); ++r)
            order[size_t(r)] = r;
    }
    return order;
}

int GridTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows();
}

int GridTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant GridTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows())
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::UserRole) // the sort key: numbers sort as numbers
        return value(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && columns_[size_t(index.column())].numeric)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant GridTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 &&
        section < int(columns_.size()))
        return columns_[size_t(section)].caption;
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace qm
