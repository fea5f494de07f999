#pragma once
// The budget windows' grids: the plan of a year (one row per category, its months and its year)
// and the report of budget against actual.

#include <functional>

#include "core/ledger/Budget.h"
#include "core/models/GridModel.h"

namespace models {

// Columns: code, name, kind, 毎月, 1月 … 12月, 年額. The rows of readGroupedBudgetPlan: a group's line
// shows its own budget in a cell, else its members' sum.
class BudgetPlanModel : public RowsModel<ledger::BudgetPlanRow> {
  public:
    static constexpr int kDefaultColumn = 3;
    static constexpr int kYearColumn = 16;
    explicit BudgetPlanModel(QObject* parent = nullptr);

    // The YM a column edits ('' 毎月, 'yyyy/mm', 'yyyy'); nullopt for code, name and kind.
    std::optional<QString> ymOf(int column) const;
    void setYear(int year) { m_year = year; }
    int year() const { return m_year; }
    // A cell that shows what it falls back to (a month without its own row shows the default, a
    // year without its own row the sum of its months): drawn grey.
    bool inherited(int row, int column) const;
    // A group line's cell that shows its members' sum, the group having no budget of its own
    // there: drawn grey and italic. Typing into it gives the group its own budget.
    bool fromMembers(int row, int column) const;
    bool groupAt(int row) const {
        const ledger::BudgetPlanRow* r = rowAt(row);
        return r && r->group;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // A cell typed into is not stored here: the window writes it to the book and reads it back.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    std::function<void(int row, int column, const QString& text)> edited;
    ColumnKind columnKind(int column) const override;

  protected:
    QString cell(const ledger::BudgetPlanRow& r, int column) const override;
    bool rightAligned(int row, int column) const override;

  private:
    int m_year = 2000;
};

// Columns: code, name, kind, 予算, 実績, 差額, 消化率, 超過, 残り1日あたり.
class BudgetReportModel : public RowsModel<ledger::BudgetLine> {
  public:
    explicit BudgetReportModel(QObject* parent = nullptr);
    // An expense over its budget: drawn in dark red.
    bool overAt(int row) const {
        const ledger::BudgetLine* l = rowAt(row);
        return l && l->over;
    }
    // A group's line: drawn in bold, set off from the lines it adds up.
    bool groupAt(int row) const {
        const ledger::BudgetLine* l = rowAt(row);
        return l && l->type == ledger::BudgetLine::Type::Group;
    }
    ColumnKind columnKind(int column) const override;

  protected:
    QString cell(const ledger::BudgetLine& r, int column) const override;
    bool rightAligned(int row, int column) const override;
};

}  // namespace models
