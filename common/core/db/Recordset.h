#pragma once
// Record sets opened from SQL text on a book, and the shared routines built on them.
// A record set holds the rows of its query as they were when it was opened; a cursor
// moves over them in the query's order.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <vector>

namespace db {

class Book;

class RecordSet {
  public:
    RecordSet(QStringList columns, std::vector<QVariantList> rows);

    int recordCount() const { return static_cast<int>(m_rows.size()); }
    bool endOfRows() const { return m_pos >= recordCount(); }
    void moveFirst() { m_pos = 0; }
    void moveNext() {
        if (m_pos < recordCount()) ++m_pos;
    }
    // Value of a field of the current row by (case-insensitive) name: a number, a text, or
    // Null (an invalid QVariant) when the field is Null, unknown, or there is no current row.
    QVariant field(const QString& name) const;

  private:
    int column(const QString& name) const;
    QStringList m_columns;
    std::vector<QVariantList> m_rows;
    int m_pos = 0;
};

using Rs = std::unique_ptr<RecordSet>;

// Opener results: callers test for kRows; kEmpty and kError both mean "nothing to read".
enum OpenResult : int { kRows = -1, kEmpty = 0, kError = 1 };

// Opens the query into rs. kRows: open with at least one row; kEmpty: no rows (rs released);
// kError: the query failed (rs released). Values go to the '?' placeholders in order.
int Open_Rs(Book& book, Rs& rs, const QString& sql, const QVariantList& binds = {});
void Close_Rs(Rs& rs);

// Highest / lowest value of a field: 0 for an empty table or a Null result, -1 on error.
qint64 Get_Max(Book& book, const QString& table, const QString& field);
qint64 Get_Min(Book& book, const QString& table, const QString& field);

int Open_U01(Book& book, Rs& rs);
int Open_T01(Book& book, Rs& rs);
int Open_T02(Book& book, Rs& rs);

// Bank-book journal openers.
int Open_S01ByCd(Book& book, Rs& rs, qint64 recordNumber);
int Open_S01All(Book& book, Rs& rs);

}  // namespace db
