#include "Balances.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include "../db/Convert.h"
#include "../db/Database.h"

namespace ledger {

BankZan Recalc_BankZan(qint64 bankCode) {
    BankZan r;
    if (!db::Is_Open()) {
        r.error = QStringLiteral("database is not open");
        return r;
    }
    // The item kinds: a short list, read whole.
    QHash<qint64, qint64> kinds;
    QSqlQuery k(db::Connection());
    k.setForwardOnly(true);
    if (!k.exec(QStringLiteral("SELECT CD, KIND FROM T02"))) {
        r.error = k.lastError().text();
        return r;
    }
    while (k.next())
        if (!k.value(0).isNull()) kinds.insert(k.value(0).toLongLong(), db::To_Long(k.value(1), 1));
    // One sum per item, read from the (B_CD, K_CD, KINGAKU) index alone.
    QSqlQuery q(db::Connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT K_CD, SUM(KINGAKU) FROM S01 WHERE B_CD = ? GROUP BY K_CD"));
    q.addBindValue(bankCode);
    if (!q.exec()) {
        r.error = q.lastError().text();
        return r;
    }
    qint64 total = 0;
    bool missing = false;
    while (q.next()) {
        const QVariant item = q.value(0);
        const auto kind = item.isNull() ? kinds.end() : kinds.find(item.toLongLong());
        if (kind == kinds.end()) {
            missing = true;
            continue;
        }
        const qint64 sum = db::To_Long(q.value(1), 0);
        total += kind.value() == 0 ? sum : -sum;
    }
    if (q.lastError().isValid()) {  // e.g. a sum beyond 64 bits
        r.error = q.lastError().text();
        return r;
    }
    if (missing) {
        QSqlQuery m(db::Connection());
        m.setForwardOnly(true);
        m.prepare(QStringLiteral("SELECT S01.CD FROM S01 LEFT JOIN T02 ON T02.CD = S01.K_CD "
                                 "WHERE S01.B_CD = ? AND T02.CD IS NULL ORDER BY S01.CD"));
        m.addBindValue(bankCode);
        if (m.exec())
            while (m.next()) r.missingItemRecords << m.value(0).toLongLong();
        r.error = QStringLiteral("item missing");
        return r;
    }
    if (!db::Execute(QStringLiteral("UPDATE T01 SET ZAN=? WHERE CD=?"), {total, bankCode}, &r.error)) return r;
    r.ok = true;
    r.zan = total;
    return r;
}

}  // namespace ledger
