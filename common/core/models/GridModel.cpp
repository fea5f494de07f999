#include "core/models/GridModel.h"

namespace models {

// ---- GridModel ---------------------------------------------------------------------------------

GridModel::GridModel(int columns, QObject* parent) : QAbstractTableModel(parent) {
    for (int c = 0; c < columns; ++c) m_headers << QString();
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : dataRows(); }
int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= dataRows() || index.column() >= columnCount()) return {};
    if (role == Qt::DisplayRole) return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(
            (rightAligned(index.row(), index.column()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size()) return {};
    if (role == Qt::DisplayRole) return m_headers.at(section);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

void GridModel::setHeaderText(int column, const QString& text) {
    if (column < 0 || column >= m_headers.size()) return;
    m_headers[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QList<QStringList> GridModel::rowTexts() const {
    QList<QStringList> rows;
    for (int r = 0; r < dataRows(); ++r) {
        QStringList cells;
        for (int c = 0; c < columnCount(); ++c) cells << text(r, c);
        rows << cells;
    }
    return rows;
}

bool GridModel::rightAligned(int, int) const { return false; }

ColumnKind GridModel::columnKind(int column) const {
    return rightAligned(0, column) ? ColumnKind::Number : ColumnKind::Text;
}

// ---- TextTableModel ----------------------------------------------------------------------------

void TextTableModel::setRows(int rows) {
    rows = std::max(0, rows);
    beginResetModel();
    while (m_cells.size() > rows) {
        m_cells.removeLast();
        m_right.removeLast();
    }
    while (m_cells.size() < rows) {
        QStringList empty;
        QList<bool> left;
        for (int c = 0; c < columnCount(); ++c) {
            empty << QString();
            left << false;
        }
        m_cells << empty;
        m_right << left;
    }
    endResetModel();
}

QString TextTableModel::text(int row, int column) const {
    if (row < 0 || row >= m_cells.size()) return {};
    return m_cells[row].value(column);
}

bool TextTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= m_cells.size() || index.column() >= columnCount()) return false;
    if (role == Qt::EditRole || role == Qt::DisplayRole)
        m_cells[index.row()][index.column()] = value.isNull() ? QString() : value.toString();
    else if (role == Qt::TextAlignmentRole)
        m_right[index.row()][index.column()] = (value.value<Qt::Alignment>() & Qt::AlignRight) != 0;
    else
        return false;
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags TextTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool TextTableModel::rightAligned(int row, int column) const {
    return row >= 0 && row < m_right.size() && m_right[row].value(column);
}

}  // namespace models
