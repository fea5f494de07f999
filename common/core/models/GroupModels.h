#pragma once
// The group list of グループの設定: each group with its kind and the categories (items) in it.

#include "core/ledger/Groups.h"
#include "core/models/GridModel.h"

namespace models {

// Columns: ｺｰﾄﾞ, グループ名, 分類, 順序, 件数, 科目|項目 (the members' names in code order).
class GroupListModel : public RowsModel<ledger::GroupListing> {
    Q_OBJECT
  public:
    explicit GroupListModel(const QString& memberHeader, QObject* parent = nullptr);
    // The data row of group `cd`; -1 when the list does not hold it.
    int rowOf(qint64 cd) const;
    ColumnKind columnKind(int column) const override;

    static constexpr int kMembersColumn = 5;

  protected:
    QString cell(const ledger::GroupListing& r, int column) const override;
    bool rightAligned(int row, int column) const override;
};

}  // namespace models
