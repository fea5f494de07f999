#include "core/ledger/Balances.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include "core/db/Book.h"
#include "core/db/Convert.h"

namespace ledger {

BankZan Recalc_BankZan(db::Book& book, qint64 bankCode) {
    BankZan r;
    if (!book.isOpen()) {
        r.error = QStringLiteral("database is not open");
        return r;
    }
    // The item kinds: a short list, read whole.
    QHash<qint64, qint64> kinds;
    QSqlQuery k(book.connection());
    k.setForwardOnly(true);
    if (!k.exec(QStringLiteral("SELECT CD, KIND FROM T02"))) {
        r.error = k.lastError().text();
        return r;
    }
    while (k.next())
        if (!k.value(0).isNull()) kinds.insert(k.value(0).toLongLong(), db::To_Long(k.value(1), 1));
    // One sum per item, read from the (B_CD, K_CD, KINGAKU) index alone.
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT K_CD, SUM(KINGAKU) FROM S01 WHERE B_CD = ? GROUP BY K_CD"));
    q.addBindValue(bankCode);
    if (!q.exec()) {
        r.error = q.lastError().text();
        return r;
    }
    qint64 total = 0;
    while (q.next()) {
        const QVariant item = q.value(0);
        // A row whose item is missing counts as an expense, as the journal lists it.
        const bool income = !item.isNull() && kinds.value(item.toLongLong(), 1) == 0;
        const qint64 sum = db::To_Long(q.value(1), 0);
        total += income ? sum : -sum;
    }
    if (q.lastError().isValid()) {  // e.g. a sum beyond 64 bits
        r.error = q.lastError().text();
        return r;
    }
    if (!book.execute(QStringLiteral("UPDATE T01 SET ZAN=? WHERE CD=?"), {total, bankCode}, &r.error)) return r;
    r.ok = true;
    r.zan = total;
    return r;
}

bool recalcForItems(db::Book& book, const QList<qint64>& codes, QString* error) {
    QList<qint64> banks;
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT DISTINCT B_CD FROM S01 WHERE K_CD = ? AND B_CD IS NOT NULL"));
    for (qint64 code : codes) {
        q.bindValue(0, code);
        if (!q.exec()) {
            if (error) *error = q.lastError().text();
            return false;
        }
        while (q.next())
            if (!banks.contains(q.value(0).toLongLong())) banks << q.value(0).toLongLong();
    }
    for (qint64 bank : banks) {
        const BankZan z = Recalc_BankZan(book, bank);
        if (!z.ok) {
            if (error) *error = z.error;
            return false;
        }
    }
    return true;
}

}  // namespace ledger
