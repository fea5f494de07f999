#include "core/models/YearModels.h"

namespace models {

namespace {
constexpr int kFixedColumns = ledger::kYearFirstMonthColumn + ledger::kYearMonths + 2;
}

YearModel::YearModel(app::Program program, QObject* parent)
    : RowsModel<ledger::YearLine>(kFixedColumns, parent), m_program(program) {
    const QStringList h = ledger::yearHeader(m_table, m_program);
    for (int c = 0; c < kFixedColumns; ++c) setHeaderText(c, h[c]);
}

void YearModel::setTable(const ledger::YearTable& table) {
    m_table = table;
    // The header changes with the start month and the extra columns: the model is reset whole.
    beginResetModel();
    const QStringList h = ledger::yearHeader(m_table, m_program);
    for (int c = 0; c < h.size(); ++c) setHeaderText(c, h[c]);
    m_rows = table.lines;
    endResetModel();
}

int YearModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFixedColumns + int(m_table.extraHeaders.size());
}

QVariant YearModel::data(const QModelIndex& index, int role) const {
    const ledger::YearLine* l = rowAt(index.row());
    if (l && role == Qt::ToolTipRole && index.column() == kFixedColumns - 1 && !l->average)
        return QStringLiteral("この年度はまだ始まっていません");
    return RowsModel<ledger::YearLine>::data(index, role);
}

QVariant YearModel::headerData(int section, Qt::Orientation orientation, int role) const {
    // The extra columns a caller adds are beyond the base's fixed headers.
    const int extra = section - kFixedColumns;
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && extra >= 0 && extra < m_table.extraHeaders.size())
        return m_table.extraHeaders[extra];
    return RowsModel<ledger::YearLine>::headerData(section, orientation, role);
}

std::optional<int> YearModel::monthOfColumn(int column) {
    const int m = column - ledger::kYearFirstMonthColumn;
    if (m < 0 || m >= ledger::kYearMonths) return std::nullopt;
    return m;
}

QString YearModel::cell(const ledger::YearLine& r, int column) const { return ledger::yearCells(r).value(column); }

bool YearModel::rightAligned(int, int column) const { return column == 0 || column >= ledger::kYearFirstMonthColumn; }

ColumnKind YearModel::columnKind(int column) const {
    return column == 1 || column == 2 ? ColumnKind::Text : ColumnKind::Number;
}

PieModel::PieModel(QObject* parent) : RowsModel<ledger::PieSlice>(3, parent) {
    setHeaderText(0, QStringLiteral("名称"));
    setHeaderText(1, QStringLiteral("金額"));
    setHeaderText(2, QStringLiteral("割合"));
}

QString PieModel::cell(const ledger::PieSlice& r, int column) const {
    if (column == 0) return r.name;
    if (column == 1) return QString::number(r.amount);
    if (column == 2) return QStringLiteral("%1%").arg(r.percent);
    return {};
}

ColumnKind PieModel::columnKind(int column) const { return column == 0 ? ColumnKind::Text : ColumnKind::Number; }

}  // namespace models
