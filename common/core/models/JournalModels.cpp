#include "core/models/JournalModels.h"

#include "core/models/CellText.h"

namespace models {

// ---- BankMonthModel ----------------------------------------------------------------------------

QString BankMonthModel::cell(const ledger::BankMonthRow& r, int column) const {
    switch (column) {
        case 0:
            return number(r.cd);
        case 1:
            return r.date;
        case 2:
            return numberText(r.itemCode);
        case 3:
            return r.itemName;
        // A row whose item is missing from the master counts as expense, as in the balance.
        case 4:
            return r.income ? optionalNumber(r.amount) : QString();
        case 5:
            return r.income ? QString() : optionalNumber(r.amount);
        case 6:
            return r.note;
        default:
            return {};
    }
}

void BankMonthModel::setLinkTexts(QHash<qint64, QString> texts) {
    m_links = std::move(texts);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::ToolTipRole});
}

QVariant BankMonthModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::ToolTipRole && index.isValid()) {
        const ledger::BankMonthRow* r = rowAt(index.row());
        const QString text = r ? m_links.value(r->cd) : QString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    return RowsModel::data(index, role);
}

bool BankMonthModel::rightAligned(int, int column) const { return column == 4 || column == 5; }

ColumnKind BankMonthModel::columnKind(int column) const {
    if (column == 1) return ColumnKind::Date;
    return column == 3 || column == 6 ? ColumnKind::Text : ColumnKind::Number;
}

// ---- PageModel ---------------------------------------------------------------------------------

std::optional<int> PageModel::rowOfRecord(qint64 cd) const { return rowOfCd(cd); }

QString PageModel::cell(const ledger::PageRow& r, int column) const {
    // Income in 収入; every other kind, and a category missing from the master, in 支出.
    const bool income = r.kind == 0;
    switch (column) {
        case 0:
            return number(r.cd);
        case 1:
            return r.kDate.right(2);
        case 2:
            return number(r.kCd);
        case 3:
            return r.categoryName;
        case 4:
            return income ? number(r.kingaku) : QString();
        case 5:
            return income ? QString() : number(r.kingaku);
        case 6:
            return optionalNumber(r.zan);
        case 7:
            return r.biko;
        default:
            return {};
    }
}

bool PageModel::rightAligned(int, int column) const { return column >= 4 && column <= 6; }

ColumnKind PageModel::columnKind(int column) const {
    if (column == 1) return ColumnKind::Date;
    return column == 3 || column == 7 ? ColumnKind::Text : ColumnKind::Number;
}

}  // namespace models
