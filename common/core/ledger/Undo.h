#pragma once
// A change to the book kept as its rows were before it and are after it, so that it can be taken
// back and made again. Undoing writes the rows as they were, in one transaction with the balance
// upkeep the change needed; it first checks that the book still holds the rows as the change left
// them, since a record number or code may have been given to another row meanwhile.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "core/AppState.h"

namespace ledger {

// One row of a table, every column's value in the order of BookChange::columns.
struct RowImage {
    qint64 cd = 0;
    QVariantList values;
};

struct BookChange {
    QString table;           // "S01", "T01" or "T02"
    QStringList columns;     // the table's columns, CD first
    QList<RowImage> before;  // the rows as they were (none for an insert)
    QList<RowImage> after;   // the rows as they are now (none for a delete)
    QString what;            // what the change was, for the user: 追加, 更新, 削除
    bool isEmpty() const { return before.isEmpty() && after.isEmpty(); }
};

// The rows of `table` with these codes (CD), as they are now; rows that do not exist are left out.
QList<RowImage> readRows(const QString& table, const QList<qint64>& cds, QStringList* columns = nullptr,
                         QString* error = nullptr);
// The codes (CD) of the rows from..to of a table, as they are now.
QList<qint64> codesBetween(const QString& table, qint64 from, qint64 to);

// Reads the rows of the codes before a change is made; `finishChange` reads them again after
// it, and names the change by what it did when `what` is empty: 追加 (rows that were not there),
// 削除 (rows that are gone) or 更新.
BookChange beginChange(const QString& table, const QList<qint64>& cds, const QString& what = {});
void finishChange(BookChange& change);

enum class UndoResult { Done, Changed, Failed };

// Takes the change back (undo) or makes it again (redo). `Changed`: the book no longer holds the
// rows as the change left them; nothing was written.
UndoResult undoChange(app::Program program, const BookChange& change, QString* error = nullptr);
UndoResult redoChange(app::Program program, const BookChange& change, QString* error = nullptr);

}  // namespace ledger
