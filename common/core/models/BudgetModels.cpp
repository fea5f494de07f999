#include "core/models/BudgetModels.h"

#include "core/ledger/Masters.h"
#include "core/models/CellText.h"

namespace models {

BudgetPlanModel::BudgetPlanModel(QObject* parent) : RowsModel(17, parent) {
    const QStringList heads = {QStringLiteral("ｺｰﾄﾞ"), QStringLiteral("科目名"), QStringLiteral("分類"),
                               QStringLiteral("毎月")};
    for (int c = 0; c < heads.size(); ++c) setHeaderText(c, heads[c]);
    for (int m = 1; m <= 12; ++m) setHeaderText(kDefaultColumn + m, QStringLiteral("%1月").arg(m));
    setHeaderText(kYearColumn, QStringLiteral("年額"));
}

std::optional<QString> BudgetPlanModel::ymOf(int column) const {
    if (column == kDefaultColumn) return QString();
    if (column > kDefaultColumn && column < kYearColumn) return ledger::monthYm(m_year, column - kDefaultColumn);
    if (column == kYearColumn) return ledger::yearYm(m_year);
    return std::nullopt;
}

bool BudgetPlanModel::inherited(int row, int column) const {
    const ledger::BudgetPlanRow* r = rowAt(row);
    if (!r) return false;
    if (column > kDefaultColumn && column < kYearColumn) return !r->months[column - kDefaultColumn - 1];
    if (column == kYearColumn) return !r->yearly;
    if (column == kDefaultColumn) return r->group && !r->monthly;
    return false;
}

bool BudgetPlanModel::fromMembers(int row, int column) const {
    const ledger::BudgetPlanRow* r = rowAt(row);
    if (!r || !r->group) return false;
    if (column == kDefaultColumn) return !r->monthly;
    if (column > kDefaultColumn && column < kYearColumn) return !r->month(column - kDefaultColumn);
    if (column == kYearColumn) return !r->year();
    return false;
}

QString BudgetPlanModel::cell(const ledger::BudgetPlanRow& r, int column) const {
    if (r.group) {
        // The group's own budget, else its members' sum.
        if (column == 0) return QString();
        if (column == kDefaultColumn) return optionalNumber(r.monthly ? r.monthly : r.membersMonthly);
        if (column > kDefaultColumn && column < kYearColumn) {
            const int m = column - kDefaultColumn;
            return optionalNumber(r.month(m) ? r.month(m) : r.membersMonths[m - 1]);
        }
        if (column == kYearColumn) return optionalNumber(r.year() ? r.year() : r.membersYear);
    }
    if (column == 0) return number(r.code);
    if (column == 1) return r.name;
    if (column == 2) return r.deleted ? QString() : ledger::kindName(r.kind);
    if (column == kDefaultColumn) return optionalNumber(r.monthly);
    if (column < kYearColumn) return optionalNumber(r.month(column - kDefaultColumn));
    if (column == kYearColumn) return optionalNumber(r.year());
    return {};
}

Qt::ItemFlags BudgetPlanModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = GridModel::flags(index);
    if (ymOf(index.column())) f |= Qt::ItemIsEditable;
    return f;
}

QVariant BudgetPlanModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::ToolTipRole && fromMembers(index.row(), index.column()))
        return QStringLiteral("グループの科目の予算の合計です。入力するとグループの予算になります");
    return RowsModel::data(index, role);
}

bool BudgetPlanModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role == Qt::EditRole && index.isValid() && edited) edited(index.row(), index.column(), value.toString());
    return false;
}

bool BudgetPlanModel::rightAligned(int, int column) const { return column == 0 || column >= kDefaultColumn; }

ColumnKind BudgetPlanModel::columnKind(int column) const {
    return column == 1 || column == 2 ? ColumnKind::Text : ColumnKind::Number;
}

BudgetReportModel::BudgetReportModel(QObject* parent) : RowsModel(9, parent) {
    const QStringList heads = ledger::budgetHeader();
    for (int c = 0; c < heads.size(); ++c) setHeaderText(c, heads[c]);
}

QString BudgetReportModel::cell(const ledger::BudgetLine& r, int column) const {
    return ledger::budgetCells(r).value(column);
}

bool BudgetReportModel::rightAligned(int, int column) const {
    return column == 0 || (column >= 3 && column <= 6) || column == 8;
}

ColumnKind BudgetReportModel::columnKind(int column) const {
    return column == 1 || column == 2 || column == 7 ? ColumnKind::Text : ColumnKind::Number;
}

}  // namespace models
