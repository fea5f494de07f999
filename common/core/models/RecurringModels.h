#pragma once
// The recurring entries' grids: the rule list of 定期入力の設定 and the due occurrences of the
// 定期入力 window, each ticked or not, with the amount and note that row will carry.

#include <functional>

#include "core/ledger/Recurring.h"
#include "core/models/GridModel.h"

namespace models {

// The names the grids show for a rule's codes: the bank's, and the item's or category's.
struct RecurringNames {
    std::function<QString(qint64)> bank;  // null in the household book: no bank column
    std::function<QString(qint64)> item;
};

// Columns: ｺｰﾄﾞ, [銀行,] 項目|科目, 金額, 周期, 休日, 開始日, 終了日, 次回, 備考.
class RuleListModel : public RowsModel<ledger::RecurringRule> {
  public:
    RuleListModel(RecurringNames names, const QString& itemHeader, QObject* parent = nullptr);
    // The data row of rule `cd`; -1 when the list does not hold it.
    int rowOf(qint64 cd) const { return rowOfCd(cd).value_or(-1); }
    ColumnKind columnKind(int column) const override;

  protected:
    QString cell(const ledger::RecurringRule& r, int column) const override;
    bool rightAligned(int row, int column) const override;

  private:
    enum class Col { Code, Bank, Item, Amount, Schedule, Shift, Start, End, Next, Note };
    Col col(int column) const;
    RecurringNames m_names;
};

// One due occurrence as the window lists it.
struct DueRow {
    ledger::Occurrence occurrence;
    bool ticked = true;
};

// Columns: 選択, 日付, [銀行,] 項目|科目, 金額, 備考. Amount and note are edited in place; what is
// typed goes to `edited`, which checks it and stores it with setAmount / setNote.
class DueModel : public RowsModel<DueRow> {
  public:
    DueModel(RecurringNames names, const QString& itemHeader, QObject* parent = nullptr);
    int amountColumn() const { return m_names.bank ? 4 : 3; }
    int noteColumn() const { return amountColumn() + 1; }

    // Ticks or unticks a row. N_DATE is one cursor per rule, so the rule's later rows are
    // unticked with it, and ticking a row ticks the rule's earlier ones.
    void setTicked(int row, bool on);
    void setAmount(int row, qint64 amount);
    void setNote(int row, const QString& note);
    // The ticked rows as they will be written.
    QList<ledger::Occurrence> chosen() const;

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    std::function<void(int row, int column, const QString& text)> edited;
    ColumnKind columnKind(int column) const override;

  protected:
    QString cell(const DueRow& r, int column) const override;
    bool rightAligned(int row, int column) const override;

  private:
    void changedRow(int row);
    RecurringNames m_names;
};

}  // namespace models
