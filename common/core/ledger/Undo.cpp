#include "core/ledger/Undo.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "core/db/Database.h"
#include "core/ledger/Balances.h"
#include "core/ledger/Pages.h"

namespace ledger {
namespace {

bool failed(const QString& why, QString* error) {
    if (error) *error = why;
    return false;
}

// A balance is derived from the rows: it may have moved since, and is computed again anyway.
bool derived(app::Program program, const QString& table, const QString& column) {
    if (column.compare(QStringLiteral("ZAN"), Qt::CaseInsensitive) != 0) return false;
    return (program == app::Program::Purse && table == QStringLiteral("S01")) ||
           (program == app::Program::Bank && table == QStringLiteral("T01"));
}

bool sameValue(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
    return a.toString() == b.toString();
}

bool sameRow(app::Program program, const BookChange& change, const RowImage& a, const RowImage& b) {
    for (int c = 0; c < change.columns.size(); ++c) {
        if (derived(program, change.table, change.columns[c])) continue;
        if (!sameValue(a.values.value(c), b.values.value(c))) return false;
    }
    return true;
}

QList<qint64> codesOf(const QList<RowImage>& rows) {
    QList<qint64> out;
    for (const RowImage& r : rows) out << r.cd;
    return out;
}

// Replaces the rows `now` (as the change left them) by the rows `then`, with the balances.
UndoResult replaceRows(app::Program program, const BookChange& change, const QList<RowImage>& now,
                       const QList<RowImage>& then, QString* error) {
    if (change.isEmpty()) return UndoResult::Done;
    db::Transaction tx;
    if (!tx.ok()) {
        failed(QStringLiteral("cannot start a transaction"), error);
        return UndoResult::Failed;
    }
    // The book must hold `now` exactly, and none of the rows that come back.
    QList<qint64> codes = codesOf(now);
    for (qint64 cd : codesOf(then))
        if (!codes.contains(cd)) codes << cd;
    QString readError;
    const QList<RowImage> current = readRows(change.table, codes, nullptr, &readError);
    if (!readError.isEmpty()) {
        failed(readError, error);
        return UndoResult::Failed;
    }
    if (current.size() != now.size()) return UndoResult::Changed;
    for (const RowImage& expected : now) {
        auto it = std::find_if(current.begin(), current.end(), [&](const RowImage& r) { return r.cd == expected.cd; });
        if (it == current.end() || !sameRow(program, change, *it, expected)) return UndoResult::Changed;
    }

    const bool journal = change.table == QStringLiteral("S01");
    const bool chain = journal && program == app::Program::Purse;
    QList<ChainRow> removed;
    QSet<qint64> banks;
    const int bankColumn = change.columns.indexOf(QStringLiteral("B_CD"));
    if (chain) {
        for (const RowImage& r : now) {
            const auto row = chainRowOf(r.cd, error);
            if (!row) return UndoResult::Failed;
            removed << *row;
        }
    }
    if (journal && program == app::Program::Bank && bankColumn >= 0) {
        for (const RowImage& r : now + then)
            if (!r.values.value(bankColumn).isNull()) banks.insert(r.values.value(bankColumn).toLongLong());
    }

    QSqlQuery del(db::connection());
    del.prepare(QStringLiteral("DELETE FROM %1 WHERE CD=?").arg(change.table));
    for (const RowImage& r : now) {
        del.bindValue(0, r.cd);
        if (!del.exec()) {
            failed(del.lastError().text(), error);
            return UndoResult::Failed;
        }
    }
    QStringList marks;
    for (int i = 0; i < change.columns.size(); ++i) marks << QStringLiteral("?");
    QSqlQuery ins(db::connection());
    ins.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(change.table, change.columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    for (const RowImage& r : then) {
        for (int i = 0; i < change.columns.size(); ++i) ins.bindValue(i, r.values.value(i));
        if (!ins.exec()) {
            failed(ins.lastError().text(), error);
            return UndoResult::Failed;
        }
    }

    // The balances the change touched.
    bool ok = true;
    if (chain) {
        QList<ChainRow> added;
        for (const RowImage& r : then) {
            const auto row = chainRowOf(r.cd, error);
            if (!row) return UndoResult::Failed;
            added << *row;
        }
        ok = restoreChain(removed, added, error);
    } else if (journal) {
        for (qint64 bank : banks) {
            const BankZan z = Recalc_BankZan(bank);
            if (!z.ok) ok = failed(z.error, error);
        }
    } else {
        QList<qint64> masters = codes;
        if (change.table == QStringLiteral("T02"))
            ok = recalcForItems(masters, error);
        else if (program == app::Program::Purse)
            ok = recalcForCategories(masters, error);
        else
            for (qint64 bank : masters) {
                // A bank that comes back gets the balance of its rows.
                if (!codesOf(then).contains(bank)) continue;
                const BankZan z = Recalc_BankZan(bank);
                if (!z.ok) ok = failed(z.error, error);
            }
    }
    if (!ok) return UndoResult::Failed;
    if (!tx.commit()) {
        failed(QStringLiteral("commit failed"), error);
        return UndoResult::Failed;
    }
    return UndoResult::Done;
}

}  // namespace

QList<RowImage> readRows(const QString& table, const QList<qint64>& cds, QStringList* columns, QString* error) {
    QList<RowImage> rows;
    QSqlQuery q(db::connection());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT * FROM %1 WHERE CD=?").arg(table))) {
        if (error) *error = q.lastError().text();
        return rows;
    }
    for (qint64 cd : cds) {
        q.bindValue(0, cd);
        if (!q.exec()) {
            if (error) *error = q.lastError().text();
            return {};
        }
        const QSqlRecord record = q.record();
        if (columns && columns->isEmpty())
            for (int i = 0; i < record.count(); ++i) *columns << record.fieldName(i);
        if (!q.next()) continue;
        RowImage r;
        r.cd = cd;
        for (int i = 0; i < record.count(); ++i) r.values << q.value(i);
        rows << r;
    }
    return rows;
}

QList<qint64> codesBetween(const QString& table, qint64 from, qint64 to) {
    QList<qint64> codes;
    QSqlQuery q(db::connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT CD FROM %1 WHERE CD BETWEEN ? AND ? ORDER BY CD").arg(table));
    q.addBindValue(from);
    q.addBindValue(to);
    if (q.exec())
        while (q.next()) codes << q.value(0).toLongLong();
    return codes;
}

BookChange beginChange(const QString& table, const QList<qint64>& cds, const QString& what) {
    BookChange c;
    c.table = table;
    c.what = what;
    c.before = readRows(table, cds, &c.columns);
    // The codes the change may add, for finishChange.
    for (qint64 cd : cds) c.after << RowImage{cd, {}};
    return c;
}

void finishChange(BookChange& change) {
    QList<qint64> codes = codesOf(change.after);
    QStringList columns;
    change.after = readRows(change.table, codes, &columns);
    if (change.columns.isEmpty()) change.columns = columns;
    if (change.what.isEmpty())
        change.what = change.before.isEmpty()  ? QStringLiteral("追加")
                      : change.after.isEmpty() ? QStringLiteral("削除")
                                               : QStringLiteral("更新");
}

UndoResult undoChange(app::Program program, const BookChange& change, QString* error) {
    return replaceRows(program, change, change.after, change.before, error);
}

UndoResult redoChange(app::Program program, const BookChange& change, QString* error) {
    return replaceRows(program, change, change.before, change.after, error);
}

}  // namespace ledger
