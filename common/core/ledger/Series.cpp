#include "core/ledger/Series.h"

#include <QSqlError>
#include <QSqlQuery>

#include "core/db/Book.h"
#include "core/db/Convert.h"

namespace ledger {

SeriesData yearlySeries(const QList<MonthSum>& months, bool balance) {
    qint64 value[12] = {};
    qint64 running = 0;
    for (const MonthSum& m : months) {
        if (m.month < 1 || m.month > 12) continue;
        if (balance) {
            running += m.signedSum;
            value[m.month - 1] = running;
        } else {
            value[m.month - 1] += m.amount;
        }
    }
    SeriesData data;
    for (int i = 1; i <= 12; ++i) {
        SeriesPoint p{QStringLiteral("/%1").arg(i), std::nullopt};
        if (value[i - 1] != 0) p.value = value[i - 1];
        data << p;
    }
    return data;
}

SeriesData monthlySeries(const QList<EntryRow>& rows, bool balance) {
    SeriesData data;
    qint64 running = 0;
    for (const EntryRow& r : rows) {
        SeriesPoint p{r.date.right(3), std::nullopt};
        if (balance) {
            if (r.amount) running += r.sign * *r.amount;
            p.value = running;
        } else {
            p.value = r.amount;
        }
        data << p;
    }
    return data;
}

SeriesData readSeries(db::Book& book, app::Program program, qint64 bankCode, qint64 itemCode, const Period& period) {
    const bool bank = program == app::Program::Bank;
    const bool balance = itemCode < 1;
    const DateRange range = periodRange(period);
    const QString yen = yenSql(QStringLiteral("S01.KINGAKU"));
    // The item's kind only matters to the balance; an entry whose item is missing adds nothing.
    const QString join = balance ? QStringLiteral(" LEFT JOIN %1 AS I ON I.CD = S01.K_CD")
                                       .arg(bank ? QStringLiteral("T02") : QStringLiteral("T01"))
                                 : QString();
    QString where = QStringLiteral(" WHERE ");
    if (bank) where += QStringLiteral("S01.B_CD = ? AND ");
    if (!balance) where += QStringLiteral("S01.K_CD = ? AND ");
    where += QStringLiteral("S01.K_DATE >= ? AND S01.K_DATE < ?");

    QString sql;
    if (period.mode == 1) {
        // Summed per day, which follows the date index without sorting; the days are added up
        // into months here.
        const QString sign =
            balance ? QStringLiteral("SUM(CASE WHEN I.CD IS NULL THEN 0 WHEN I.KIND = 0 THEN %1 ELSE -%1 END)").arg(yen)
                    : QStringLiteral("0");
        sql = QStringLiteral("SELECT S01.K_DATE, SUM(%1), %2 FROM S01").arg(yen, sign) + join + where +
              QStringLiteral(" GROUP BY S01.K_DATE ORDER BY S01.K_DATE");
    } else {
        sql = QStringLiteral("SELECT S01.K_DATE, S01.KINGAKU, %1 FROM S01")
                  .arg(balance ? QStringLiteral("I.CD IS NOT NULL, I.KIND") : QStringLiteral("0, NULL")) +
              join + where + QStringLiteral(" ORDER BY S01.K_DATE, S01.CD");
    }

    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return {};
    if (bank) q.addBindValue(bankCode);
    if (!balance) q.addBindValue(itemCode);
    q.addBindValue(range.from);
    q.addBindValue(range.to);
    if (!q.exec()) return {};

    if (period.mode == 1) {
        QList<MonthSum> months;
        while (q.next()) {
            // The month digits of "yyyy/mm/dd".
            bool ok = false;
            const int month = q.value(0).toString().mid(5, 2).toInt(&ok);
            if (ok) months << MonthSum{month, q.value(1).toLongLong(), q.value(2).toLongLong()};
        }
        if (q.lastError().isValid() || months.isEmpty()) return {};
        return yearlySeries(months, balance);
    }
    QList<EntryRow> rows;
    while (q.next()) {
        EntryRow r;
        r.date = q.value(0).toString();
        const QVariant amount = q.value(1);
        if (db::isNumeric(amount)) r.amount = db::To_Cur(amount, 0);
        if (balance && q.value(2).toBool()) r.sign = isIncome(q.value(3)) ? 1 : -1;
        rows << r;
    }
    if (q.lastError().isValid() || rows.isEmpty()) return {};
    return monthlySeries(rows, balance);
}

}  // namespace ledger
