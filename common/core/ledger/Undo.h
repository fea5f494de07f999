#pragma once
// A change to the book kept as its rows were before it and are after it, so that it can be taken
// back and made again. A change may span several tables (a journal row and the row of another
// table that goes with it): each table is a part of its own, and every part is written back in
// one transaction with the upkeep each table needs (balances, the household chain). Undoing
// first checks that the book still holds the rows as the change left them, since a record number
// or code may have been given to another row meanwhile.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "core/AppState.h"
#include "core/db/Book.h"

namespace ledger {

// One row of a table, every column's value in the order of ChangePart::columns.
struct RowImage {
    qint64 cd = 0;
    QVariantList values;
};

// The rows of one table that a change touched.
struct ChangePart {
    QString table;
    QStringList columns;     // the table's columns, CD first
    QList<RowImage> before;  // the rows as they were (none for an insert)
    QList<RowImage> after;   // the rows as they are now (none for a delete)
};

struct BookChange {
    QList<ChangePart> parts;
    QString what;  // what the change was, for the user: 追加, 更新, 削除
    bool isEmpty() const;
    // The rows the user changed, as the messages count them: the larger of before and after in
    // the first part. The other parts are what goes with those rows (a transfer's link, a
    // deleted category's place in its group), not more of what was done.
    qsizetype rows() const;
    // The part of a table; null when the change did not touch it.
    const ChangePart* part(const QString& table) const;
};

// The rows of `table` with these codes (CD), as they are now; rows that do not exist are left out.
QList<RowImage> readRows(db::Book& book, const QString& table, const QList<qint64>& cds, QStringList* columns = nullptr,
                         QString* error = nullptr);
// The codes (CD) of the rows from..to of a table, as they are now.
QList<qint64> codesBetween(db::Book& book, const QString& table, qint64 from, qint64 to);

// Reads the rows of the codes before a change is made; `finishChange` reads them again after
// it, and names the change by what it did when `what` is empty: 追加 (rows that were not there),
// 削除 (rows that are gone) or 更新.
BookChange beginChange(db::Book& book, const QString& table, const QList<qint64>& cds, const QString& what = {});
// Adds the rows of another table to a change begun, before the change is made.
void addToChange(db::Book& book, BookChange& change, const QString& table, const QList<qint64>& cds);
void finishChange(db::Book& book, BookChange& change);
// A change that added these rows of a table, already written.
BookChange rowsAdded(db::Book& book, const QString& table, const QList<qint64>& cds, const QString& what = {});

enum class UndoResult { Done, Changed, Failed };

// Takes the change back (undo) or makes it again (redo). `Changed`: the book no longer holds the
// rows as the change left them; nothing was written.
UndoResult undoChange(db::Book& book, app::Program program, const BookChange& change, QString* error = nullptr);
UndoResult redoChange(db::Book& book, app::Program program, const BookChange& change, QString* error = nullptr);

}  // namespace ledger
