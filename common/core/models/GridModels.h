#pragma once
// The tables under the grids. Each grid kind has its model, built from the row structs the
// ledger returns; a grid shows the model's texts, and printing, the entry areas and the look-ups
// read the rows themselves. Qt Core only: the models are tested without a view.

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <optional>

#include "core/ledger/BankBook.h"
#include "core/ledger/Masters.h"
#include "core/ledger/Pages.h"
#include "core/ledger/Totals.h"

namespace models {

// What a column holds. A CSV file guards free text against being run as a formula and writes
// numbers and dates as they are (io::guardFormula), so the kind is the column's, not the value's.
enum class ColumnKind { Text, Number, Date };

// A grid's table: a header row and data rows of texts with their alignment.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // By default a right-aligned column (amounts, codes, balances) holds numbers, any other text.
    virtual ColumnKind columnKind(int column) const;
    explicit GridModel(int columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QString headerText(int column) const { return m_headers.value(column); }
    void setHeaderText(int column, const QString& text);
    // The text of a cell, as the grid shows it (data rows from 0).
    virtual QString text(int row, int column) const = 0;
    // The data rows as their cells' texts, for the print layouts.
    QList<QStringList> rowTexts() const;

  protected:
    virtual int dataRows() const = 0;
    // Amounts, codes and balances stand right-aligned; everything else left.
    virtual bool rightAligned(int row, int column) const;

  private:
    QStringList m_headers;
};

// A plain table of texts: what a window writes into it with Set_Cell is what it shows.
class TextTableModel : public GridModel {
    Q_OBJECT
  public:
    explicit TextTableModel(int columns, QObject* parent = nullptr) : GridModel(columns, parent) {}
    void setRows(int rows);
    QString text(int row, int column) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  protected:
    int dataRows() const override { return static_cast<int>(m_cells.size()); }
    bool rightAligned(int row, int column) const override;

  private:
    QList<QStringList> m_cells;
    QList<QList<bool>> m_right;
};

// One bank's month (bank book journal): 番号, 日付, 科目ｺｰﾄﾞ, 科目名, 収入, 支出, 備考.
class BankMonthModel : public GridModel {
    Q_OBJECT
  public:
    explicit BankMonthModel(QObject* parent = nullptr) : GridModel(7, parent) {}
    void setRows(QList<ledger::BankMonthRow> rows);
    void clear() { setRows({}); }
    // The row shown at data row `row` (from 0); null past the end.
    const ledger::BankMonthRow* rowAt(int row) const;
    QString text(int row, int column) const override;
    ColumnKind columnKind(int column) const override;

  protected:
    int dataRows() const override { return static_cast<int>(m_rows.size()); }
    bool rightAligned(int row, int column) const override;

  private:
    QList<ledger::BankMonthRow> m_rows;
};

// One household page: 番号, 日付 (the day), 科目ｺｰﾄﾞ, 科目名, 収入, 支出, 差引, 備考. A page
// without rows shows one row of empty cells, where its first entry will go.
class PageModel : public GridModel {
    Q_OBJECT
  public:
    explicit PageModel(QObject* parent = nullptr) : GridModel(8, parent) {}
    void setRows(QList<ledger::PageRow> rows);
    // The journal row at data row `row` (from 0); null for the empty row and past the end.
    const ledger::PageRow* rowAt(int row) const;
    const QList<ledger::PageRow>& rows() const { return m_rows; }
    // The data row (from 0) of a record number; nullopt when the page does not hold it.
    std::optional<int> rowOfRecord(qint64 cd) const;
    QString text(int row, int column) const override;
    ColumnKind columnKind(int column) const override;

  protected:
    int dataRows() const override { return m_rows.isEmpty() ? 1 : static_cast<int>(m_rows.size()); }
    bool rightAligned(int row, int column) const override;

  private:
    QList<ledger::PageRow> m_rows;
};

// A master list: ｺｰﾄﾞ, the name, and the balance (banks) or the kind (items, categories).
class MasterListModel : public GridModel {
    Q_OBJECT
  public:
    MasterListModel(ledger::Master master, QObject* parent = nullptr) : GridModel(3, parent), m_master(master) {}
    void setRows(QList<ledger::MasterRow> rows);
    // A row the entry dialog has just written: it replaces the row of its code, or (a new code,
    // or one the list does not show) goes at the end, unsorted until the list is read again.
    // The empty row of an empty list is used first. Returns its data row.
    int put(const ledger::MasterRow& row, bool inserted);
    const ledger::MasterRow* rowAt(int row) const;
    std::optional<int> rowOfCode(qint64 code) const;
    QString text(int row, int column) const override;
    ColumnKind columnKind(int column) const override;

  protected:
    int dataRows() const override { return static_cast<int>(m_rows.size()); }
    bool rightAligned(int row, int column) const override;

  private:
    ledger::Master m_master;
    QList<ledger::MasterRow> m_rows;
};

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
