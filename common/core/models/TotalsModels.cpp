#include "core/models/TotalsModels.h"

#include "core/models/CellText.h"

namespace models {

void TotalsModel::setTable(ledger::TotalsTable table) {
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int TotalsModel::dataRows() const {
    // Each item row is followed by an empty row; the grand total comes after the last one.
    const int n = static_cast<int>(m_table.lines.size());
    return n > 0 ? 2 * n + 1 : 0;
}

QString TotalsModel::text(int row, int column) const {
    const int label = m_count ? 4 : 3;
    const int n = static_cast<int>(m_table.lines.size());
    if (row == 2 * n) {
        if (column == label) return QStringLiteral("総合計");
        if (column == label + 1) return number(m_table.grandTotal);
        return {};
    }
    if (row % 2 == 1 || row / 2 >= n) return {};
    const ledger::TotalsLine& line = m_table.lines[row / 2];
    if (column == 0) return number(line.code);
    if (column == 1) return line.name;
    if (column == 2) return line.kindName;
    if (m_count && column == 3) return number(line.count);
    if (column == label) return QStringLiteral("合計");
    if (column == label + 1) return number(line.amount);
    if (column == label + 2) return number(line.average);
    return {};
}

bool TotalsModel::rightAligned(int, int column) const {
    // The code, the count, the labels 合計 / 総合計 and the amounts.
    return column == 0 || column >= 3;
}

ColumnKind TotalsModel::columnKind(int column) const {
    const int label = m_count ? 4 : 3;
    return column == 1 || column == 2 || column == label ? ColumnKind::Text : ColumnKind::Number;
}

}  // namespace models
