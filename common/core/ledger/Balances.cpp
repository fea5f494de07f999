#include "Balances.h"

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
    QSqlQuery q(db::Connection());
    q.setForwardOnly(true);
    // One pass over the bank's rows through the (B_CD, K_DATE) index.
    q.prepare(QStringLiteral(
        "SELECT SUM(CASE WHEN T02.KIND = 0 THEN S01.KINGAKU ELSE -S01.KINGAKU END), SUM(T02.CD IS NULL) "
        "FROM S01 LEFT JOIN T02 ON T02.CD = S01.K_CD WHERE S01.B_CD = ?"));
    q.addBindValue(bankCode);
    if (!q.exec() || !q.next()) {
        r.error = q.lastError().text();
        return r;
    }
    const qint64 total = db::To_Long(q.value(0), 0);
    const qint64 missing = db::To_Long(q.value(1), 0);
    if (missing > 0) {
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
