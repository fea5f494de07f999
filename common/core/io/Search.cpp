#include "core/io/Search.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

#include "core/db/Convert.h"
#include "core/db/Database.h"

namespace io {

QString containsPattern(const QString& text) {
    QString p;
    p.reserve(text.size() + 2);
    p.append(QLatin1Char('%'));
    for (QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) p.append(QLatin1Char('\\'));
        p.append(c);
    }
    p.append(QLatin1Char('%'));
    return p;
}

SearchResult search(app::Program program, const SearchQuery& query) {
    SearchResult r;
    if (!db::Is_Open()) {
        r.error = QStringLiteral("データベースが開かれていません");
        return r;
    }
    const bool bank = program == app::Program::Bank;
    const QString items = bank ? QStringLiteral("T02") : QStringLiteral("T01");
    QStringList where;
    QVariantList binds;
    if (!query.text.isEmpty()) {
        // The names are matched once in their small masters; the journal is scanned for the
        // note and for those codes.
        const QString pattern = containsPattern(query.text);
        QString any = QStringLiteral("(S01.BIKO LIKE ? ESCAPE '\\' OR S01.K_CD IN (SELECT CD FROM %1 WHERE NM LIKE ? "
                                     "ESCAPE '\\')")
                          .arg(items);
        binds << pattern << pattern;
        if (bank) {
            any += QStringLiteral(" OR S01.B_CD IN (SELECT CD FROM T01 WHERE NM LIKE ? ESCAPE '\\')");
            binds << pattern;
        }
        where << any + QLatin1Char(')');
    }
    if (query.minAmount) {
        where << QStringLiteral("S01.KINGAKU >= ?");
        binds << *query.minAmount;
    }
    if (query.maxAmount) {
        where << QStringLiteral("S01.KINGAKU <= ?");
        binds << *query.maxAmount;
    }
    if (!query.fromDate.isEmpty()) {
        where << QStringLiteral("S01.K_DATE >= ?");
        binds << query.fromDate;
    }
    if (!query.toDate.isEmpty()) {
        where << QStringLiteral("S01.K_DATE <= ?");
        binds << query.toDate;
    }
    if (bank && query.bank) {
        where << QStringLiteral("S01.B_CD = ?");
        binds << *query.bank;
    }
    const QString sql =
        bank ? QStringLiteral("SELECT S01.CD, S01.K_DATE, S01.B_CD, B.NM, S01.K_CD, I.NM, I.CD IS NOT NULL, I.KIND, "
                              "S01.KINGAKU, S01.BIKO FROM S01 LEFT JOIN T01 AS B ON B.CD = S01.B_CD "
                              "LEFT JOIN T02 AS I ON I.CD = S01.K_CD%1 ORDER BY S01.K_DATE, S01.CD")
             : QStringLiteral("SELECT S01.CD, S01.K_DATE, S01.P_CD, NULL, S01.K_CD, I.NM, I.CD IS NOT NULL, I.KIND, "
                              "S01.KINGAKU, S01.BIKO FROM S01 LEFT JOIN T01 AS I ON I.CD = S01.K_CD%1 "
                              "ORDER BY S01.K_DATE, S01.CD");
    QSqlQuery q(db::Connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql.arg(where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "))))) {
        r.error = q.lastError().text();
        return r;
    }
    for (const QVariant& v : binds) q.addBindValue(v);
    if (!q.exec()) {
        r.error = q.lastError().text();
        return r;
    }
    while (q.next()) {
        SearchHit h;
        h.cd = q.value(0).toLongLong();
        h.date = q.value(1).toString();
        (bank ? h.bank : h.page) = db::To_Long(q.value(2), 0);
        h.bankName = q.value(3).toString();
        h.code = db::To_Long(q.value(4), 0);
        h.codeName = q.value(5).toString();
        // The bank book reads the kind as a number, the household chain as KIND = 0; for any
        // kind a person sets (0, 1, 2) both agree.
        h.income = q.value(6).toBool() && db::Is_Numeric(q.value(7)) && db::To_Long(q.value(7), 1) == 0;
        if (db::Is_Numeric(q.value(8))) {
            const qint64 a = db::To_Cur(q.value(8), 0);
            h.amount = h.income ? a : -a;
        }
        h.note = q.value(9).toString();
        r.hits << h;
    }
    if (q.lastError().isValid()) {
        r.hits.clear();
        r.error = q.lastError().text();
        return r;
    }
    r.ok = true;
    return r;
}

}  // namespace io
