#pragma once
// The master lists' grid (banks, items, categories).

#include "core/ledger/Masters.h"
#include "core/models/GridModel.h"

namespace models {

// A master list: ｺｰﾄﾞ, the name, and the balance (banks) or the kind (items, categories).
class MasterListModel : public RowsModel<ledger::MasterRow> {
    Q_OBJECT
  public:
    MasterListModel(ledger::Master master, QObject* parent = nullptr) : RowsModel(3, parent), m_master(master) {}
    // A row the entry dialog has just written: it replaces the row of its code, or (a new code,
    // or one the list does not show) goes at the end, unsorted until the list is read again.
    // The empty row of an empty list is used first. Returns its data row.
    int put(const ledger::MasterRow& row, bool inserted);
    std::optional<int> rowOfCode(qint64 code) const;

  protected:
    QString cell(const ledger::MasterRow& r, int column) const override;
    bool rightAligned(int row, int column) const override;

  private:
    ledger::Master m_master;
};

}  // namespace models
