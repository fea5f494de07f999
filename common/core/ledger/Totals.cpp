#include "core/ledger/Totals.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/ledger/Masters.h"

namespace ledger {

DateRange periodRange(const Period& p) {
    const QString yyyy = QStringLiteral("%1").arg(p.year, 4, 10, QLatin1Char('0'));
    if (p.mode == 1) return yearRange(yyyy);
    return monthRange(yyyy, QStringLiteral("%1").arg(p.month, 2, 10, QLatin1Char('0')));
}

bool isIncome(const QVariant& kind) { return db::isNumeric(kind) && db::To_Long(kind, -1) == 0; }

QString yenSql(const QString& column) {
    // Halves go to the even neighbour, as To_Cur rounds: round() of SQLite would take them away
    // from zero. CAST truncates toward zero; a fraction of exactly one half moves on only from an
    // odd whole number.
    return QStringLiteral(
               "(CASE typeof(%1) WHEN 'integer' THEN %1 WHEN 'real' THEN (CASE "
               "WHEN abs(%1 - CAST(%1 AS INTEGER)) = 0.5 THEN CAST(%1 AS INTEGER) + (CASE "
               "WHEN CAST(%1 AS INTEGER) % 2 = 0 THEN 0 WHEN %1 > 0 THEN 1 ELSE -1 END) "
               "ELSE CAST(round(%1) AS INTEGER) END) ELSE 0 END)")
        .arg(column);
}

TotalsTable makeTotals(QList<ItemSum> sums) {
    std::stable_sort(sums.begin(), sums.end(), [](const ItemSum& a, const ItemSum& b) { return a.code < b.code; });
    TotalsTable t;
    for (const ItemSum& s : sums) {
        if (s.amount == 0) continue;
        TotalsLine line;
        line.code = s.code;
        line.name = s.name;
        line.kindName = kindName(s.kind);
        line.count = s.count;
        line.amount = isIncome(s.kind) ? s.amount : -s.amount;
        line.average = s.count > 0 ? line.amount / s.count : 0;  // C++ division truncates toward zero
        t.grandTotal += line.amount;
        t.lines << line;
    }
    return t;
}

std::optional<QList<ItemSum>> readItemSums(db::Book& book, app::Program program, qint64 bankCode,
                                           const Period& period) {
    const bool bank = program == app::Program::Bank;
    const DateRange range = periodRange(period);
    // One pass over the period through the date index (bank book: bank and date); the sums
    // per item are then joined with the item master, one look-up per item rather than per entry.
    const QString sql =
        QStringLiteral(
            "SELECT G.K_CD, I.NM, I.KIND, G.N, G.S FROM (SELECT K_CD, COUNT(*) AS N, SUM(%1) AS S "
            "FROM S01 WHERE %3K_DATE >= ? AND K_DATE < ? GROUP BY K_CD) AS G "
            "JOIN %2 AS I ON I.CD = G.K_CD ORDER BY G.K_CD")
            .arg(yenSql(QStringLiteral("KINGAKU")), bank ? QStringLiteral("T02") : QStringLiteral("T01"),
                 bank ? QStringLiteral("B_CD = ? AND ") : QString());
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return std::nullopt;
    if (bank) q.addBindValue(bankCode);
    q.addBindValue(range.from);
    q.addBindValue(range.to);
    if (!q.exec()) return std::nullopt;
    QList<ItemSum> sums;
    while (q.next()) {
        ItemSum s;
        s.code = q.value(0).toLongLong();
        s.name = q.value(1).toString();
        s.kind = q.value(2);
        s.count = q.value(3).toLongLong();
        s.amount = q.value(4).toLongLong();
        sums << s;
    }
    if (q.lastError().isValid()) return std::nullopt;
    return sums;
}

TotalsTable periodTotals(db::Book& book, app::Program program, qint64 bankCode, const Period& period) {
    const auto sums = readItemSums(book, program, bankCode, period);
    return sums ? makeTotals(*sums) : TotalsTable{};
}

}  // namespace ledger
