#include "core/ledger/BankBook.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Query.h"
#include "core/db/Recordset.h"
#include "core/ledger/Balances.h"
#include "core/ledger/Dates.h"

namespace ledger {
namespace {

QString textOf(const QVariant& v) { return v.isNull() || !v.isValid() ? QString() : v.toString(); }

}  // namespace

BankMonth readBankMonth(db::Book& book, qint64 bankCode, const QString& yyyymm) {
    BankMonth m;
    if (!book.isOpen()) {
        m.error = QStringLiteral("database is not open");
        return m;
    }
    // The pattern yyyy/mm/* as a half-open range of K_DATE, read through (B_CD, K_DATE, CD)
    // with the item's name and kind joined in the same pass.
    const DateRange range = monthRange(yyyymm.left(4), yyyymm.mid(5));
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral("SELECT S01.CD, S01.K_DATE, S01.K_CD, S01.KINGAKU, S01.BIKO, T02.CD, T02.NM, T02.KIND "
                       "FROM S01 LEFT JOIN T02 ON T02.CD = S01.K_CD "
                       "WHERE S01.B_CD = ? AND S01.K_DATE >= ? AND S01.K_DATE < ? ORDER BY S01.K_DATE, S01.CD"));
    q.addBindValue(bankCode);
    q.addBindValue(range.from);
    q.addBindValue(range.to);
    if (!db::ran(q, m)) return m;
    while (q.next()) {
        BankMonthRow r;
        r.cd = db::To_Long(q.value(0), 0);
        r.date = textOf(q.value(1));
        r.itemCode = q.value(2).isNull() ? QVariant() : q.value(2);
        r.itemKnown = !q.value(5).isNull();
        r.itemName = textOf(q.value(6));
        r.income = r.itemKnown && db::isNumeric(q.value(7)) && db::To_Long(q.value(7), 1) == 0;
        if (db::isNumeric(q.value(3))) r.amount = db::To_Cur(q.value(3), 0);
        r.note = textOf(q.value(4));
        m.rows << r;
    }
    return db::finishedRead(q, m, m.rows);
}

RecordLookup findRecord(db::Book& book, qint64 n) {
    RecordLookup l;
    db::Rs rs;
    int opened = db::kError;
    if (n == 0)
        opened = db::Open_Rs(book, rs, QStringLiteral("SELECT * FROM S01 ORDER BY CD DESC LIMIT 1"));
    else
        opened = db::Open_S01ByCd(book, rs, n);
    if (opened == db::kError) return l;
    if (opened == db::kEmpty) {
        bool ok = false;
        const QVariant any = book.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM S01)"), {}, &ok);
        if (!ok) return l;
        l.status = any.toInt() ? Lookup::NotFound : Lookup::EmptyJournal;
        return l;
    }
    JournalRecord& r = l.record;
    r.cd = db::To_Long(rs->field(QStringLiteral("CD")), 0);
    r.date = textOf(rs->field(QStringLiteral("K_DATE")));
    r.bank = rs->field(QStringLiteral("B_CD"));
    r.item = rs->field(QStringLiteral("K_CD"));
    r.amount = rs->field(QStringLiteral("KINGAKU"));
    r.note = rs->field(QStringLiteral("BIKO"));
    l.status = Lookup::Found;
    return l;
}

qint64 moveTarget(db::Book& book, Move move, qint64 current) {
    switch (move) {
        case Move::Previous:
            return current <= 1 ? current : current - 1;
        case Move::Next:
            return current + 1;
        case Move::First:
            return db::Get_Min(book, QStringLiteral("S01"), QStringLiteral("CD"));
        case Move::Last:
            return db::Get_Max(book, QStringLiteral("S01"), QStringLiteral("CD"));
    }
    return current;
}

Change writeEntry(db::Book& book, const JournalEntry& e) {
    Change c;
    db::Transaction tx(book);
    if (!db::started(tx, c)) return c;
    // The bank the row belongs to now: its balance loses the row when the bank changes.
    bool ok = false;
    const QVariant before = book.scalar(QStringLiteral("SELECT B_CD FROM S01 WHERE CD = ?"), {e.cd}, &ok);
    if (!ok) {
        c.error = QStringLiteral("cannot read record %1").arg(e.cd);
        return c;
    }
    const bool exists =
        book.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM S01 WHERE CD = ?)"), {e.cd}, &ok).toInt() != 0;
    if (!ok) {
        c.error = QStringLiteral("cannot read record %1").arg(e.cd);
        return c;
    }
    c.inserted = !exists;
    const QVariantList values{e.date, e.bank, e.item, e.amount, e.note, e.cd};
    const bool written =
        exists ? book.execute(QStringLiteral("UPDATE S01 SET K_DATE=?, B_CD=?, K_CD=?, KINGAKU=?, BIKO=? WHERE CD=?"),
                              values, &c.error)
               : book.execute(QStringLiteral("INSERT INTO S01 (K_DATE, B_CD, K_CD, KINGAKU, BIKO, CD) "
                                             "VALUES (?, ?, ?, ?, ?, ?)"),
                              values, &c.error);
    if (!written) return c;
    QList<qint64> banks{e.bank};
    if (exists && db::isNumeric(before)) banks << db::To_Long(before, 0);
    if (!recalcBanks(book, banks, c)) return c;
    const auto zan = storedZan(book, e.bank);
    if (!tx.commit()) {
        c.banks.clear();
        c.error = QStringLiteral("cannot commit");
        return c;
    }
    c.ok = true;
    c.rows = 1;
    c.zan = zan.value_or(0);
    return c;
}

Change deleteRecords(db::Book& book, qint64 from, std::optional<qint64> to) {
    Change c;
    db::Transaction tx(book);
    if (!db::started(tx, c)) return c;
    const qint64 last = to.value_or(from);
    QSqlQuery owners(book.connection());
    owners.setForwardOnly(true);
    owners.prepare(QStringLiteral("SELECT DISTINCT B_CD FROM S01 WHERE CD BETWEEN ? AND ? AND B_CD IS NOT NULL"));
    owners.addBindValue(from);
    owners.addBindValue(last);
    if (!db::ran(owners, c)) return c;
    QList<qint64> banks;
    while (owners.next()) banks << db::To_Long(owners.value(0), 0);
    owners.finish();

    QSqlQuery del(book.connection());
    if (to) {
        del.prepare(QStringLiteral("DELETE FROM S01 WHERE CD BETWEEN ? AND ?"));
        del.addBindValue(from);
        del.addBindValue(*to);
    } else {
        del.prepare(QStringLiteral("DELETE FROM S01 WHERE CD=?"));
        del.addBindValue(from);
    }
    if (!db::ran(del, c)) return c;
    const int deleted = del.numRowsAffected();
    if (!recalcBanks(book, banks, c)) return c;
    if (!tx.commit()) {
        c.banks.clear();
        c.error = QStringLiteral("cannot commit");
        return c;
    }
    c.ok = true;
    c.rows = deleted;
    return c;
}

std::optional<qint64> storedZan(db::Book& book, qint64 bankCode) {
    bool ok = false;
    const QVariant v = book.scalar(QStringLiteral("SELECT ZAN FROM T01 WHERE CD = ?"), {bankCode}, &ok);
    if (!ok || !db::isNumeric(v)) return std::nullopt;
    return db::To_Long(v, 0);
}

bool recalcBanks(db::Book& book, QList<qint64> banks, Change& c) {
    std::sort(banks.begin(), banks.end());
    banks.erase(std::unique(banks.begin(), banks.end()), banks.end());
    for (qint64 bank : banks) {
        const BankZan z = Recalc_BankZan(book, bank);
        if (!z.ok) {
            c.error = z.error;
            return false;
        }
    }
    c.banks = banks;
    return true;
}

}  // namespace ledger
