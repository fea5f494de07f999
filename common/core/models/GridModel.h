#pragma once
// The tables under the grids. Each grid kind has its model, built from the row structs the
// ledger returns; a grid shows the model's texts, and printing, the entry areas and the look-ups
// read the rows themselves. Qt Core only: the models are tested without a view. This file holds
// what every grid's model is made of; the models themselves stand by feature beside it.

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <optional>

namespace models {

// What a column holds. A CSV file guards free text against being run as a formula and writes
// numbers and dates as they are (io::guardFormula), so the kind is the column's, not the value's.
enum class ColumnKind { Text, Number, Date };

// A grid's table: a header row and data rows of texts with their alignment.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
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
    // By default a right-aligned column (amounts, codes, balances) holds numbers, any other text.
    virtual ColumnKind columnKind(int column) const;

  protected:
    virtual int dataRows() const = 0;
    // Amounts, codes and balances stand right-aligned; everything else left.
    virtual bool rightAligned(int row, int column) const;

  private:
    QStringList m_headers;
};

// A grid over a list of rows of one kind, as the ledger reads them: the whole list is replaced
// at once, and the window reads a row back by its data row rather than from cell text.
template <class Row>
class RowsModel : public GridModel {
  public:
    using GridModel::GridModel;

    void setRows(QList<Row> rows) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    void clear() { setRows({}); }
    // The row shown at data row `row` (from 0); null past the end.
    const Row* rowAt(int row) const { return row >= 0 && row < m_rows.size() ? &m_rows[row] : nullptr; }
    const QList<Row>& rows() const { return m_rows; }
    QString text(int row, int column) const override {
        const Row* r = rowAt(row);
        return r ? cell(*r, column) : QString();
    }

  protected:
    // The text of one of a row's cells.
    virtual QString cell(const Row& r, int column) const = 0;
    int dataRows() const override { return static_cast<int>(m_rows.size()); }
    // The data row of the row whose CD is `cd`; nullopt when the list does not hold it.
    std::optional<int> rowOfCd(qint64 cd) const {
        for (int r = 0; r < m_rows.size(); ++r)
            if (m_rows[r].cd == cd) return r;
        return std::nullopt;
    }

    QList<Row> m_rows;
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

}  // namespace models
