#include "core/models/RecurringModels.h"

#include "core/models/CellText.h"

namespace models {

// ---- The rule list ----

RuleListModel::RuleListModel(RecurringNames names, const QString& itemHeader, QObject* parent)
    : RowsModel(names.bank ? 10 : 9, parent), m_names(std::move(names)) {
    QStringList heads = {QStringLiteral("ｺｰﾄﾞ"),   itemHeader,
                         QStringLiteral("金額"),   QStringLiteral("周期"),
                         QStringLiteral("休日"),   QStringLiteral("開始日"),
                         QStringLiteral("終了日"), QStringLiteral("次回"),
                         QStringLiteral("備考")};
    if (m_names.bank) heads.insert(1, QStringLiteral("銀行"));
    for (int c = 0; c < heads.size(); ++c) setHeaderText(c, heads[c]);
}

RuleListModel::Col RuleListModel::col(int column) const {
    if (!m_names.bank && column >= 1) ++column;
    return static_cast<Col>(column);
}

QString RuleListModel::cell(const ledger::RecurringRule& r, int column) const {
    switch (col(column)) {
        case Col::Code:
            return number(r.cd);
        case Col::Bank:
            return m_names.bank ? m_names.bank(r.bank) : QString();
        case Col::Item:
            return m_names.item ? m_names.item(r.item) : number(r.item);
        case Col::Amount:
            return number(r.amount);
        case Col::Schedule:
            return ledger::scheduleText(r);
        case Col::Shift:
            return ledger::shiftText(r.shift);
        case Col::Start:
            return r.start;
        case Col::End:
            return r.end;
        case Col::Next:
            // A finished rule keeps the occurrence after its end as N_DATE: that date is never due.
            return ledger::isFinished(r) ? QStringLiteral("終了") : r.next;
        case Col::Note:
            return r.note;
    }
    return {};
}

bool RuleListModel::rightAligned(int, int column) const {
    const Col c = col(column);
    return c == Col::Code || c == Col::Amount;
}

ColumnKind RuleListModel::columnKind(int column) const {
    const Col c = col(column);
    if (c == Col::Code || c == Col::Amount) return ColumnKind::Number;
    if (c == Col::Start || c == Col::End) return ColumnKind::Date;
    return ColumnKind::Text;
}

// ---- The due occurrences ----

DueModel::DueModel(RecurringNames names, const QString& itemHeader, QObject* parent)
    : RowsModel(names.bank ? 6 : 5, parent), m_names(std::move(names)) {
    QStringList heads = {QStringLiteral("選択"), QStringLiteral("日付"), itemHeader, QStringLiteral("金額"),
                         QStringLiteral("備考")};
    if (m_names.bank) heads.insert(2, QStringLiteral("銀行"));
    for (int c = 0; c < heads.size(); ++c) setHeaderText(c, heads[c]);
}

void DueModel::changedRow(int row) { emit dataChanged(index(row, 0), index(row, columnCount() - 1)); }

void DueModel::setTicked(int row, bool on) {
    const DueRow* at = rowAt(row);
    if (!at) return;
    const qint64 rule = at->occurrence.rule;
    const QDate date = at->occurrence.date;
    for (int i = 0; i < m_rows.size(); ++i) {
        DueRow& r = m_rows[i];
        if (r.occurrence.rule != rule) continue;
        const QDate d = r.occurrence.date;
        if (d == date || (on && d < date) || (!on && d > date)) {
            r.ticked = on;
            changedRow(i);
        }
    }
}

void DueModel::setAmount(int row, qint64 amount) {
    if (row < 0 || row >= m_rows.size()) return;
    m_rows[row].occurrence.amount = amount;
    changedRow(row);
}

void DueModel::setNote(int row, const QString& note) {
    if (row < 0 || row >= m_rows.size()) return;
    m_rows[row].occurrence.note = note;
    changedRow(row);
}

QList<ledger::Occurrence> DueModel::chosen() const {
    QList<ledger::Occurrence> out;
    for (const DueRow& r : m_rows)
        if (r.ticked) out.append(r.occurrence);
    return out;
}

QString DueModel::cell(const DueRow& r, int column) const {
    const ledger::Occurrence& o = r.occurrence;
    if (column == 0) return r.ticked ? QStringLiteral("○") : QString();
    if (column == 1) return ledger::bookDateText(o.posted);
    if (m_names.bank && column == 2) return m_names.bank(o.bank);
    if (column == amountColumn() - 1) return m_names.item ? m_names.item(o.item) : number(o.item);
    if (column == amountColumn()) return number(o.amount);
    if (column == noteColumn()) return o.note;
    return {};
}

Qt::ItemFlags DueModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = GridModel::flags(index);
    if (index.column() == amountColumn() || index.column() == noteColumn()) f |= Qt::ItemIsEditable;
    return f;
}

bool DueModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role == Qt::EditRole && index.isValid() && edited) edited(index.row(), index.column(), value.toString());
    return false;
}

bool DueModel::rightAligned(int, int column) const { return column == amountColumn(); }

ColumnKind DueModel::columnKind(int column) const {
    if (column == amountColumn()) return ColumnKind::Number;
    if (column == 1) return ColumnKind::Date;
    return ColumnKind::Text;
}

}  // namespace models
