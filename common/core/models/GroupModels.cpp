#include "core/models/GroupModels.h"

#include "core/models/CellText.h"

namespace models {

GroupListModel::GroupListModel(const QString& memberHeader, QObject* parent) : RowsModel(6, parent) {
    const QStringList heads = {QStringLiteral("ｺｰﾄﾞ"), QStringLiteral("グループ名"), QStringLiteral("分類"),
                               QStringLiteral("順序"), QStringLiteral("件数"),       memberHeader};
    for (int c = 0; c < heads.size(); ++c) setHeaderText(c, heads[c]);
}

int GroupListModel::rowOf(qint64 cd) const {
    for (int r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].group.cd == cd) return r;
    return -1;
}

QString GroupListModel::cell(const ledger::GroupListing& r, int column) const {
    switch (column) {
        case 0:
            return number(r.group.cd);
        case 1:
            return r.group.name;
        case 2:
            return r.group.income() ? QStringLiteral("収入") : QStringLiteral("支出");
        case 3:
            return number(r.group.sort);
        case 4:
            return number(r.group.members.size());
        case kMembersColumn:
            return r.memberNames.join(QStringLiteral("、"));
        default:
            return {};
    }
}

bool GroupListModel::rightAligned(int, int column) const { return column == 0 || column == 3 || column == 4; }

ColumnKind GroupListModel::columnKind(int column) const {
    return rightAligned(0, column) ? ColumnKind::Number : ColumnKind::Text;
}

}  // namespace models
