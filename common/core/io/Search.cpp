#include "core/io/Search.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Query.h"

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

SearchResult search(db::Book& book, app::Program program, const SearchQuery& query) {
    SearchResult r;
    if (!book.isOpen()) {
        r.error = QStringLiteral("データベースが開かれていません");
        return r;
    }
    const bool bank = program == app::Program::Bank;
    const QString items = bank ? QStringLiteral("T02") : QStringLiteral("T01");
    db::Conditions where;
    if (!query.text.isEmpty()) {
        // The names are matched once in their small masters; the journal is scanned for the
        // note and for those codes.
        const QString pattern = containsPattern(query.text);
        QString any = QStringLiteral(
                          "(S01.BIKO LIKE ? ESCAPE '\\' OR S01.K_CD IN (SELECT CD FROM %1 WHERE NM LIKE ? "
                          "ESCAPE '\\')")
                          .arg(items);
        where.binds << pattern << pattern;
        if (bank) {
            any += QStringLiteral(" OR S01.B_CD IN (SELECT CD FROM T01 WHERE NM LIKE ? ESCAPE '\\')");
            where.binds << pattern;
        }
        where.parts << any + QLatin1Char(')');
    }
    if (query.minAmount) where.add(QStringLiteral("S01.KINGAKU >= ?"), *query.minAmount);
    if (query.maxAmount) where.add(QStringLiteral("S01.KINGAKU <= ?"), *query.maxAmount);
    if (!query.fromDate.isEmpty()) where.add(QStringLiteral("S01.K_DATE >= ?"), query.fromDate);
    if (!query.toDate.isEmpty()) where.add(QStringLiteral("S01.K_DATE <= ?"), query.toDate);
    if (bank && query.bank) where.add(QStringLiteral("S01.B_CD = ?"), *query.bank);
    if (query.code) where.add(QStringLiteral("S01.K_CD = ?"), *query.code);
    // Names come from the masters, read whole (a few rows each), rather than joined to every
    // row found. The order by a sort of the rows found: walking the date index over the whole
    // journal would fetch every row at random.
    struct Name {
        QString name;
        bool income = false;
    };
    QHash<qint64, Name> codes, banks;
    QSqlQuery m(book.connection());
    m.setForwardOnly(true);
    if (!m.exec(QStringLiteral("SELECT CD, NM, KIND FROM %1").arg(items))) {
        r.error = m.lastError().text();
        return r;
    }
    // The bank book reads the kind as a number, the household chain as KIND = 0; for any kind
    // a person sets (0, 1, 2) both agree.
    while (m.next())
        codes.insert(m.value(0).toLongLong(),
                     {m.value(1).toString(), db::isNumeric(m.value(2)) && db::To_Long(m.value(2), 1) == 0});
    if (bank) {
        if (!m.exec(QStringLiteral("SELECT CD, NM FROM T01"))) {
            r.error = m.lastError().text();
            return r;
        }
        while (m.next()) banks.insert(m.value(0).toLongLong(), {m.value(1).toString(), false});
    }
    m.finish();

    const QString sql = QStringLiteral("SELECT CD, K_DATE, %1, K_CD, KINGAKU, BIKO FROM S01%2 ORDER BY +K_DATE, CD")
                            .arg(bank ? QStringLiteral("B_CD") : QStringLiteral("P_CD"), where.clause());
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        r.error = q.lastError().text();
        return r;
    }
    for (const QVariant& v : where.binds) q.addBindValue(v);
    if (!db::ran(q, r)) return r;
    while (q.next()) {
        SearchHit h;
        h.cd = q.value(0).toLongLong();
        h.date = q.value(1).toString();
        const qint64 owner = db::To_Long(q.value(2), 0);
        if (bank) {
            h.bank = owner;
            h.bankName = banks.value(owner).name;
        } else {
            h.page = owner;
        }
        const QVariant code = q.value(3);
        h.code = db::To_Long(code, 0);
        if (!code.isNull()) {
            const auto it = codes.constFind(h.code);
            if (it != codes.constEnd()) {
                h.codeName = it->name;
                h.income = it->income;
            }
        }
        const QVariant amount = q.value(4);
        if (db::isNumeric(amount)) {
            const qint64 a = db::To_Cur(amount, 0);
            h.amount = h.income ? a : -a;
        }
        h.note = q.value(5).toString();
        r.hits << h;
    }
    return db::finishedRead(q, r, r.hits);
}

}  // namespace io
