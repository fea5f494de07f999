#pragma once
// The year table's grid and the pie's list of slices.

#include "core/AppState.h"
#include "core/ledger/YearTable.h"
#include "core/models/GridModel.h"

namespace models {

// Columns: code, name, kind, the twelve months, 年計, 月平均, then the table's extra columns.
class YearModel : public RowsModel<ledger::YearLine> {
    Q_OBJECT
  public:
    explicit YearModel(app::Program program, QObject* parent = nullptr);
    // The table's lines under its header; the column count follows the extra columns.
    void setTable(const ledger::YearTable& table);
    const ledger::YearTable& table() const { return m_table; }
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    ColumnKind columnKind(int column) const override;
    // A group's subtotal line (固定費小計, 未分類小計): the window sets it off from the lines it adds.
    bool groupLineAt(int row) const {
        const ledger::YearLine* l = rowAt(row);
        return l && l->kind == ledger::YearLineKind::Group;
    }
    // The month column (0..11) of a grid column; nullopt for the others.
    static std::optional<int> monthOfColumn(int column);

  protected:
    QString cell(const ledger::YearLine& r, int column) const override;
    bool rightAligned(int row, int column) const override;

  private:
    app::Program m_program;
    ledger::YearTable m_table;
};

// The pie's slices: 名称, 金額, 割合 ("12%").
class PieModel : public RowsModel<ledger::PieSlice> {
    Q_OBJECT
  public:
    explicit PieModel(QObject* parent = nullptr);
    ColumnKind columnKind(int column) const override;

  protected:
    QString cell(const ledger::PieSlice& r, int column) const override;
};

}  // namespace models
