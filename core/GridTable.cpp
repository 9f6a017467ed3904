#include "GridTable.h"

#include <QLocale>

namespace qm {

GridTable::GridTable(std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

int GridTable::columnIndex(const QString& caption) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].caption == caption)
            return int(i);
    return -1;
}

void GridTable::clearRows() {
    if (rows_.empty())
        return;
    if (bulk_) {
        rows_.clear();
        return;
    }
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int GridTable::appendRow() {
    const int row = int(rows_.size());
    if (bulk_) {
        rows_.emplace_back(columns_.size());
        return row;
    }
    beginInsertRows({}, row, row);
    rows_.emplace_back(columns_.size());
    endInsertRows();
    return row;
}

void GridTable::removeRow(int row) {
    if (row < 0 || row >= rows())
        return;
    if (!bulk_)
        beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    if (!bulk_)
        endRemoveRows();
}

void GridTable::setText(int row, int column, const QString& text) {
    rows_.at(size_t(row)).at(size_t(column)) = text;
    if (!bulk_)
        emit dataChanged(index(row, column), index(row, column));
}

void GridTable::setNumber(int row, int column, double value) {
    rows_.at(size_t(row)).at(size_t(column)) = value;
    if (!bulk_)
        emit dataChanged(index(row, column), index(row, column));
}

QVariant GridTable::value(int row, int column) const {
    return rows_.at(size_t(row)).at(size_t(column));
}

QString GridTable::text(int row, int column) const {
    const QVariant v = value(row, column);
    if (v.typeId() == QMetaType::Double) {
        QLocale polish(QLocale::Polish, QLocale::Poland);
        polish.setNumberOptions(QLocale::OmitGroupSeparator);
        return polish.toString(v.toDouble(), 'g', 15);
    }
    return v.toString();
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
