#pragma once
// The totals window's grid.

#include "core/ledger/Totals.h"
#include "core/models/GridModel.h"

namespace models {

// The period totals: one line per item followed by an empty line, then the grand total.
// Columns: code, name, kind, (件数), label, 金額, 平均.
class TotalsModel : public GridModel {
    Q_OBJECT
  public:
    TotalsModel(bool countColumn, QObject* parent = nullptr)
        : GridModel(countColumn ? 7 : 6, parent), m_count(countColumn) {}
    void setTable(ledger::TotalsTable table);
    void clear() { setTable({}); }
    const ledger::TotalsTable& table() const { return m_table; }
    QString text(int row, int column) const override;
    ColumnKind columnKind(int column) const override;

  protected:
    int dataRows() const override;
    bool rightAligned(int row, int column) const override;

  private:
    bool m_count;
    ledger::TotalsTable m_table;
};

}  // namespace models
