#pragma once
// The journals' grids: one bank's month in the bank book, one page of the household book.

#include <QHash>

#include "core/ledger/BankBook.h"
#include "core/ledger/Pages.h"
#include "core/models/GridModel.h"

namespace models {

// One bank's month (bank book journal): 番号, 日付, 科目ｺｰﾄﾞ, 科目名, 収入, 支出, 備考.
class BankMonthModel : public RowsModel<ledger::BankMonthRow> {
    Q_OBJECT
  public:
    explicit BankMonthModel(QObject* parent = nullptr) : RowsModel(7, parent) {}
    // What a row that is a side of a transfer says of it ("振替: A銀行 → B銀行"), by record
    // number: its tooltip; the columns stay as they are.
    void setLinkTexts(QHash<qint64, QString> texts);
    QString linkText(qint64 cd) const { return m_links.value(cd); }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  protected:
    QString cell(const ledger::BankMonthRow& r, int column) const override;
    bool rightAligned(int row, int column) const override;

  public:
    ColumnKind columnKind(int column) const override;

  private:
    QHash<qint64, QString> m_links;
};

// One household page: 番号, 日付 (the day), 科目ｺｰﾄﾞ, 科目名, 収入, 支出, 差引, 備考. A page
// without rows shows one row of empty cells, where its first entry will go; rowAt is null there.
class PageModel : public RowsModel<ledger::PageRow> {
    Q_OBJECT
  public:
    explicit PageModel(QObject* parent = nullptr) : RowsModel(8, parent) {}
    // The data row (from 0) of a record number; nullopt when the page does not hold it.
    std::optional<int> rowOfRecord(qint64 cd) const;

  protected:
    QString cell(const ledger::PageRow& r, int column) const override;
    int dataRows() const override { return m_rows.isEmpty() ? 1 : static_cast<int>(m_rows.size()); }
    bool rightAligned(int row, int column) const override;

  public:
    ColumnKind columnKind(int column) const override;
};

}  // namespace models
