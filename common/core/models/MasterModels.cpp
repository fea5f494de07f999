#include "core/models/MasterModels.h"

#include "core/models/CellText.h"

namespace models {

int MasterListModel::put(const ledger::MasterRow& row, bool inserted) {
    if (!inserted)
        if (const auto r = rowOfCode(row.cd)) {
            m_rows[*r] = row;
            emit dataChanged(index(*r, 0), index(*r, columnCount() - 1));
            return *r;
        }
    const int r = static_cast<int>(m_rows.size());
    beginInsertRows({}, r, r);
    m_rows << row;
    endInsertRows();
    return r;
}

std::optional<int> MasterListModel::rowOfCode(qint64 code) const { return rowOfCd(code); }

QString MasterListModel::cell(const ledger::MasterRow& r, int column) const {
    switch (column) {
        case 0:
            return number(r.cd);
        case 1:
            return r.nm;
        // The list reads a kind as a whole number, 0 when it is none.
        case 2:
            return m_master == ledger::Master::Bank ? db::To_Str(r.zan, QString())
                                                    : ledger::kindName(db::To_Long(r.kind, 0));
        default:
            return {};
    }
}

bool MasterListModel::rightAligned(int, int column) const {
    return column == 0 || (column == 2 && m_master == ledger::Master::Bank);
}

}  // namespace models
