#include "core/models/GridModels.h"

#include "core/db/Convert.h"

namespace models {
namespace {

QString number(qint64 v) { return QString::number(v); }
QString optionalNumber(const std::optional<qint64>& v) { return v ? QString::number(*v) : QString(); }
// A stored value shown as the grid shows it: a number as its digits, anything else as its text.
QString numberText(const QVariant& v) {
    if (!db::isNumeric(v)) return db::To_Str(v, QString());
    return QString::number(db::To_Long(v, 0));
}

}  // namespace

// ---- GridModel ---------------------------------------------------------------------------------

GridModel::GridModel(int columns, QObject* parent) : QAbstractTableModel(parent) {
    for (int c = 0; c < columns; ++c) m_headers << QString();
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : dataRows(); }
int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= dataRows() || index.column() >= columnCount()) return {};
    if (role == Qt::DisplayRole) return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(
            (rightAligned(index.row(), index.column()) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size()) return {};
    if (role == Qt::DisplayRole) return m_headers.at(section);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

void GridModel::setHeaderText(int column, const QString& text) {
    if (column < 0 || column >= m_headers.size()) return;
    m_headers[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

QList<QStringList> GridModel::rowTexts() const {
    QList<QStringList> rows;
    for (int r = 0; r < dataRows(); ++r) {
        QStringList cells;
        for (int c = 0; c < columnCount(); ++c) cells << text(r, c);
        rows << cells;
    }
    return rows;
}

bool GridModel::rightAligned(int, int) const { return false; }

ColumnKind GridModel::columnKind(int column) const {
    return rightAligned(0, column) ? ColumnKind::Number : ColumnKind::Text;
}

// ---- TextTableModel ----------------------------------------------------------------------------

void TextTableModel::setRows(int rows) {
    rows = std::max(0, rows);
    beginResetModel();
    while (m_cells.size() > rows) {
        m_cells.removeLast();
        m_right.removeLast();
    }
    while (m_cells.size() < rows) {
        QStringList empty;
        QList<bool> left;
        for (int c = 0; c < columnCount(); ++c) {
            empty << QString();
            left << false;
        }
        m_cells << empty;
        m_right << left;
    }
    endResetModel();
}

QString TextTableModel::text(int row, int column) const {
    if (row < 0 || row >= m_cells.size()) return {};
    return m_cells[row].value(column);
}

bool TextTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= m_cells.size() || index.column() >= columnCount()) return false;
    if (role == Qt::EditRole || role == Qt::DisplayRole)
        m_cells[index.row()][index.column()] = value.isNull() ? QString() : value.toString();
    else if (role == Qt::TextAlignmentRole)
        m_right[index.row()][index.column()] = (value.value<Qt::Alignment>() & Qt::AlignRight) != 0;
    else
        return false;
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags TextTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool TextTableModel::rightAligned(int row, int column) const {
    return row >= 0 && row < m_right.size() && m_right[row].value(column);
}

// ---- BankMonthModel ----------------------------------------------------------------------------

void BankMonthModel::setRows(QList<ledger::BankMonthRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

const ledger::BankMonthRow* BankMonthModel::rowAt(int row) const {
    return row >= 0 && row < m_rows.size() ? &m_rows[row] : nullptr;
}

QString BankMonthModel::text(int row, int column) const {
    const ledger::BankMonthRow* r = rowAt(row);
    if (!r) return {};
    switch (column) {
        case 0:
            return number(r->cd);
        case 1:
            return r->date;
        case 2:
            return numberText(r->itemCode);
        case 3:
            return r->itemName;
        // A row whose item is missing from the master counts as expense, as in the balance.
        case 4:
            return r->income ? optionalNumber(r->amount) : QString();
        case 5:
            return r->income ? QString() : optionalNumber(r->amount);
        case 6:
            return r->note;
        default:
            return {};
    }
}

bool BankMonthModel::rightAligned(int, int column) const { return column == 4 || column == 5; }

ColumnKind BankMonthModel::columnKind(int column) const {
    if (column == 1) return ColumnKind::Date;
    return column == 3 || column == 6 ? ColumnKind::Text : ColumnKind::Number;
}

// ---- PageModel ---------------------------------------------------------------------------------

void PageModel::setRows(QList<ledger::PageRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

const ledger::PageRow* PageModel::rowAt(int row) const {
    return row >= 0 && row < m_rows.size() ? &m_rows[row] : nullptr;
}

std::optional<int> PageModel::rowOfRecord(qint64 cd) const {
    for (int r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].cd == cd) return r;
    return std::nullopt;
}

QString PageModel::text(int row, int column) const {
    const ledger::PageRow* r = rowAt(row);
    if (!r) return {};
    // Income in 収入; every other kind, and a category missing from the master, in 支出.
    const bool income = r->kind == 0;
    switch (column) {
        case 0:
            return number(r->cd);
        case 1:
            return r->kDate.right(2);
        case 2:
            return number(r->kCd);
        case 3:
            return r->categoryName;
        case 4:
            return income ? number(r->kingaku) : QString();
        case 5:
            return income ? QString() : number(r->kingaku);
        case 6:
            return optionalNumber(r->zan);
        case 7:
            return r->biko;
        default:
            return {};
    }
}

bool PageModel::rightAligned(int, int column) const { return column >= 4 && column <= 6; }

ColumnKind PageModel::columnKind(int column) const {
    if (column == 1) return ColumnKind::Date;
    return column == 3 || column == 7 ? ColumnKind::Text : ColumnKind::Number;
}

// ---- MasterListModel ---------------------------------------------------------------------------

void MasterListModel::setRows(QList<ledger::MasterRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int MasterListModel::put(const ledger::MasterRow& row, bool inserted) {
    if (!inserted)
        if (const auto r = rowOfCode(row.cd)) {
            m_rows[*r] = row;
            emit dataChanged(index(*r, 0), index(*r, columnCount() - 1));
            return *r;
        }
    const int r = static_cast<int>(m_rows.size());
    beginInsertRows({}, r, r);
    m_rows << row;
    endInsertRows();
    return r;
}

const ledger::MasterRow* MasterListModel::rowAt(int row) const {
    return row >= 0 && row < m_rows.size() ? &m_rows[row] : nullptr;
}

std::optional<int> MasterListModel::rowOfCode(qint64 code) const {
    for (int r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].cd == code) return r;
    return std::nullopt;
}

QString MasterListModel::text(int row, int column) const {
    const ledger::MasterRow* r = rowAt(row);
    if (!r) return {};
    switch (column) {
        case 0:
            return number(r->cd);
        case 1:
            return r->nm;
        // The list reads a kind as a whole number, 0 when it is none.
        case 2:
            return m_master == ledger::Master::Bank ? db::To_Str(r->zan, QString())
                                                    : ledger::kindName(db::To_Long(r->kind, 0));
        default:
            return {};
    }
}

bool MasterListModel::rightAligned(int, int column) const {
    return column == 0 || (column == 2 && m_master == ledger::Master::Bank);
}

ColumnKind MasterListModel::columnKind(int column) const {
    // ｺｰﾄﾞ and a bank's balance are numbers; the name and a kind's name are text.
    return rightAligned(0, column) ? ColumnKind::Number : ColumnKind::Text;
}

// ---- TotalsModel -------------------------------------------------------------------------------

void TotalsModel::setTable(ledger::TotalsTable table) {
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int TotalsModel::dataRows() const {
    // Each item row is followed by an empty row; the grand total comes after the last one.
    const int n = static_cast<int>(m_table.lines.size());
    return n > 0 ? 2 * n + 1 : 0;
}

QString TotalsModel::text(int row, int column) const {
    const int label = m_count ? 4 : 3;
    const int n = static_cast<int>(m_table.lines.size());
    if (row == 2 * n) {
        if (column == label) return QStringLiteral("総合計");
        if (column == label + 1) return number(m_table.grandTotal);
        return {};
    }
    if (row % 2 == 1 || row / 2 >= n) return {};
    const ledger::TotalsLine& line = m_table.lines[row / 2];
    if (column == 0) return number(line.code);
    if (column == 1) return line.name;
    if (column == 2) return line.kindName;
    if (m_count && column == 3) return number(line.count);
    if (column == label) return QStringLiteral("合計");
    if (column == label + 1) return number(line.amount);
    if (column == label + 2) return number(line.average);
    return {};
}

bool TotalsModel::rightAligned(int, int column) const {
    // The code, the count, the labels 合計 / 総合計 and the amounts.
    return column == 0 || column >= 3;
}

ColumnKind TotalsModel::columnKind(int column) const {
    const int label = m_count ? 4 : 3;
    return column == 1 || column == 2 || column == label ? ColumnKind::Text : ColumnKind::Number;
}

}  // namespace models
