#pragma once
// The statement import window's tables: every line of the statement as it would be written, the
// rules that choose a code by the description, and the conditions that pass a row over. The user
// changes ticks, codes, rules and conditions here, and the window reads the rows back, never a
// cell's text.

#include "core/Session.h"
#include "core/io/Import.h"
#include "core/models/GridModel.h"

namespace models {

// What the import tables answer besides their texts.
enum ImportRole : int {
    kCodeRole = Qt::UserRole,  // a code cell: the code it holds
    kDirectionRole,            // a code cell: 1 takes an income code, 2 an expense code, 0 any code
    kShadeRole,                // the cell's Shade; Qt Core has no colours, the view paints it
};
enum class Shade { None, Unreadable, PassedOver };

// A list the user writes in place: rows are added at the end and taken out one at a time, the
// view keeping its place in the others.
template <class Row>
class EditableRowsModel : public RowsModel<Row> {
  public:
    using RowsModel<Row>::RowsModel;

    // Returns the new row's data row.
    int append(Row r) {
        const int at = static_cast<int>(this->m_rows.size());
        this->beginInsertRows({}, at, at);
        this->m_rows.append(std::move(r));
        this->endInsertRows();
        return at;
    }
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override {
        if (parent.isValid() || row < 0 || count <= 0 || row + count > this->m_rows.size()) return false;
        this->beginRemoveRows({}, row, row + count - 1);
        this->m_rows.remove(row, count);
        this->endRemoveRows();
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::NoItemFlags;
    }
};

// The statement's lines: 取込 (the tick), 行, 日付, 入金, 出金, 摘要, 項目 (科目), 取り込まない理由,
// 明細の残高, 行の合計. A line that cannot be read or is passed over shows only where it is, what
// was read and why, and cannot be ticked.
class ImportPreviewModel : public RowsModel<io::PreviewRow> {
    Q_OBJECT
  public:
    enum Column { kTick, kLine, kDate, kDeposit, kWithdrawal, kText, kCode, kReason, kBalance, kRunningTotal };

    explicit ImportPreviewModel(const app::MasterCache& codes, QObject* parent = nullptr);
    // The preview's rows, and the line where its balance and the running total part.
    void setPreview(const io::ImportPreview& preview);
    static bool tickable(const io::PreviewRow& r);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The tick (Qt::CheckStateRole) and the code (Qt::EditRole, a code) of a row that can be ticked.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  protected:
    QString cell(const io::PreviewRow& r, int column) const override;
    bool rightAligned(int row, int column) const override;

  private:
    const app::MasterCache& m_codes;
    int m_balancePartsAt = 0;
};

// "A description containing this goes to that code": 含む文字, 項目 (科目); both edited in place.
class ImportRulesModel : public EditableRowsModel<io::ImportRule> {
    Q_OBJECT
  public:
    enum Column { kContains, kCode };

    explicit ImportRulesModel(const app::MasterCache& codes, QObject* parent = nullptr);
    // The rules as a way of reading keeps them: those with a text, trimmed.
    QList<io::ImportRule> rules() const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  protected:
    QString cell(const io::ImportRule& r, int column) const override;

  private:
    const app::MasterCache& m_codes;
};

// "Rows whose cell in this column holds this are passed over": 列, 値; both edited in place.
class ImportSkipIfModel : public EditableRowsModel<io::SkipCondition> {
    Q_OBJECT
  public:
    explicit ImportSkipIfModel(QObject* parent = nullptr);
    // The conditions as a way of reading keeps them: those naming a column, trimmed.
    QList<io::SkipCondition> conditions() const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  protected:
    QString cell(const io::SkipCondition& c, int column) const override;
};

}  // namespace models
