#include "Pages.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <vector>

#include "../db/Convert.h"
#include "../db/Database.h"
#include "../db/Recordset.h"
#include "../settings/Settings.h"

namespace ledger {
namespace {

const QString kLastMonth = QStringLiteral("lastMonth");

QSqlQuery prepared(const char* sql) {
    QSqlQuery q(db::Connection());
    q.setForwardOnly(true);
    q.prepare(QString::fromLatin1(sql));
    return q;
}

// The stored balance of the last row of a page; nullopt inside the result when the page is empty.
std::optional<std::optional<qint64>> lastZanOfPage(qint64 page, QString* error) {
    QSqlQuery q = prepared("SELECT ZAN FROM S01 WHERE P_CD=? ORDER BY K_DATE DESC, CD DESC LIMIT 1");
    q.addBindValue(page);
    if (!q.exec()) {
        if (error) *error = q.lastError().text();
        return std::nullopt;
    }
    if (!q.next()) return std::optional<qint64>();
    return std::optional<qint64>(db::To_Long(q.value(0), 0));
}

}  // namespace

PageRead Read_Page(qint64 page) {
    PageRead r;
    if (!db::Is_Open()) {
        r.error = QStringLiteral("database is not open");
        return r;
    }
    // Through the (P_CD, K_DATE, CD) index, already in the page's order.
    QSqlQuery q = prepared(
        "SELECT S01.CD, S01.K_DATE, S01.K_CD, T01.CD IS NOT NULL, T01.NM, T01.KIND, S01.KINGAKU, S01.ZAN, S01.BIKO "
        "FROM S01 LEFT JOIN T01 ON T01.CD = S01.K_CD WHERE S01.P_CD=? ORDER BY S01.K_DATE, S01.CD");
    q.addBindValue(page);
    if (!q.exec()) {
        r.error = q.lastError().text();
        return r;
    }
    while (q.next()) {
        PageRow row;
        row.cd = db::To_Long(q.value(0), 0);
        row.kDate = db::To_Str(q.value(1), QString());
        row.kCd = db::To_Long(q.value(2), 0);
        row.categoryKnown = q.value(3).toBool();
        row.categoryName = db::To_Str(q.value(4), QString());
        row.kind = row.categoryKnown ? db::To_Long(q.value(5), 1) : 1;
        row.kingaku = db::To_Long(q.value(6), 0);
        if (!q.value(7).isNull()) row.zan = db::To_Long(q.value(7), 0);
        row.biko = db::To_Str(q.value(8), QString());
        r.rows << row;
    }
    r.ok = !q.lastError().isValid();
    if (!r.ok) r.error = q.lastError().text();
    return r;
}

std::optional<qint64> Previous_Balance(qint64 page, QString* error) {
    if (page <= 1) return 0;
    const auto last = lastZanOfPage(page - 1, error);
    if (!last) return std::nullopt;
    return last->value_or(0);
}

std::optional<qint64> Compute_Zan(qint64 page, qint64 amount, qint64 kind, QString* error) {
    const auto last = lastZanOfPage(page, error);
    if (!last) return std::nullopt;
    std::optional<qint64> previous = *last;
    if (!previous) previous = Previous_Balance(page, error);
    if (!previous) return std::nullopt;
    return Apply_Kind(*previous, amount, kind);
}

Recalc Recalc_Zan(qint64 fromPage) {
    Recalc r;
    if (fromPage < 1) fromPage = 1;
    db::Transaction tx;
    if (!tx.ok()) {
        r.error = QStringLiteral("cannot start a transaction");
        return r;
    }
    const auto carried = Previous_Balance(fromPage, &r.error);
    if (!carried) return r;

    // One pass over the pages in order, each page in K_DATE, CD order (the page index). The
    // amount comes signed as Apply_Kind signs it; Null marks a category missing from T01.
    QSqlQuery q = prepared(
        "SELECT S01.CD, S01.P_CD, CASE WHEN T01.CD IS NULL THEN NULL WHEN T01.KIND = 0 THEN "
        "COALESCE(S01.KINGAKU, 0) ELSE -COALESCE(S01.KINGAKU, 0) END, S01.ZAN "
        "FROM S01 LEFT JOIN T01 ON T01.CD = S01.K_CD WHERE S01.P_CD >= ? ORDER BY S01.P_CD, S01.K_DATE, S01.CD");
    q.addBindValue(fromPage);
    if (!q.exec()) {
        r.error = q.lastError().text();
        return r;
    }
    struct Change {
        qint64 cd;
        qint64 zan;
    };
    std::vector<Change> changes;
    qint64 page = fromPage - 1;
    qint64 balance = *carried;
    while (q.next()) {
        const qint64 cd = q.value(0).toLongLong();
        const qint64 p = q.value(1).toLongLong();
        if (p != page) {
            // A page in between without rows: the chain starts again from 0.
            if (p != page + 1) balance = 0;
            page = p;
        }
        const QVariant signedAmount = q.value(2);
        if (signedAmount.isNull()) {
            r.missingCategoryRecords << cd;
            continue;
        }
        balance += db::To_Long(signedAmount, 0);
        ++r.rowsRead;
        const QVariant stored = q.value(3);
        if (stored.isNull() || db::To_Long(stored, 0) != balance) changes.push_back({cd, balance});
    }
    if (q.lastError().isValid()) {
        r.error = q.lastError().text();
        return r;
    }
    q.finish();
    if (!r.missingCategoryRecords.isEmpty()) {
        r.rowsRead = 0;
        r.error = QStringLiteral("category missing");
        return r;
    }

    QSqlQuery u(db::Connection());
    if (!u.prepare(QStringLiteral("UPDATE S01 SET ZAN=? WHERE CD=?"))) {
        r.error = u.lastError().text();
        return r;
    }
    for (const Change& c : changes) {
        u.bindValue(0, c.zan);
        u.bindValue(1, c.cd);
        if (!u.exec()) {
            r.error = u.lastError().text();
            return r;
        }
    }
    if (!tx.commit()) {
        r.error = QStringLiteral("commit failed");
        return r;
    }
    r.rowsChanged = static_cast<qint64>(changes.size());
    r.ok = true;
    return r;
}

qint64 Last_Page() {
    const qint64 p = db::Get_Max(QStringLiteral("S01"), QStringLiteral("P_CD"));
    return p < 1 ? 1 : p;
}

qint64 Opening_Page(int presentMonth) {
    const qint64 highest = db::Get_Max(QStringLiteral("S01"), QStringLiteral("P_CD"));
    // A journal that cannot be read is not an empty one: remember nothing, show page 1.
    if (highest < 0) return 1;
    const auto choice = settings::Choose_Journal_Page(highest, settings::Get_Number(kLastMonth, 1), presentMonth);
    if (choice.rememberMonth) settings::Save_Setting(kLastMonth, QString::number(presentMonth));
    return choice.page;
}

bool Entry_Exists(qint64 cd) {
    bool ok = false;
    const QVariant v = db::Scalar(QStringLiteral("SELECT 1 FROM S01 WHERE CD=?"), {cd}, &ok);
    return ok && v.isValid();
}

Written Insert_Entry(const Entry& e) {
    Written w;
    db::Transaction tx;
    if (!tx.ok()) {
        w.error = QStringLiteral("cannot start a transaction");
        return w;
    }
    QSqlQuery k = prepared("SELECT KIND FROM T01 WHERE CD=?");
    k.addBindValue(e.kCd);
    if (!k.exec()) {
        w.error = k.lastError().text();
        return w;
    }
    if (!k.next()) {
        w.error = QStringLiteral("category missing");
        return w;
    }
    const qint64 kind = db::To_Long(k.value(0), 1);
    k.finish();
    const auto zan = Compute_Zan(e.page, e.kingaku, kind, &w.error);
    if (!zan) return w;
    if (!db::Execute(QStringLiteral("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (?,?,?,?,?,?,?)"),
                     {e.cd, e.page, e.kDate, e.kCd, e.kingaku, *zan, e.biko}, &w.error))
        return w;
    if (!tx.commit()) {
        w.error = QStringLiteral("commit failed");
        return w;
    }
    w.ok = true;
    w.zan = *zan;
    return w;
}

Written Update_Entry(const Entry& e) {
    Written w;
    bool ok = false;
    w.previousPage = db::To_Long(db::Scalar(QStringLiteral("SELECT P_CD FROM S01 WHERE CD=?"), {e.cd}, &ok), 0);
    QSqlQuery q(db::Connection());
    q.prepare(QStringLiteral("UPDATE S01 SET P_CD=?,K_DATE=?,K_CD=?,KINGAKU=?,BIKO=? WHERE CD=?"));
    for (const QVariant& v : QVariantList{e.page, e.kDate, e.kCd, e.kingaku, e.biko, e.cd}) q.addBindValue(v);
    if (!q.exec()) {
        w.error = q.lastError().text();
        return w;
    }
    if (q.numRowsAffected() != 1) {
        w.error = QStringLiteral("no such row");
        return w;
    }
    w.ok = true;
    return w;
}

Deleted Delete_Entries(qint64 from, std::optional<qint64> to, qint64 shownPage) {
    Deleted d;
    const qint64 last = to.value_or(from);
    db::Transaction tx;
    if (!tx.ok()) {
        d.error = QStringLiteral("cannot start a transaction");
        return d;
    }
    bool ok = false;
    const QVariant lowest =
        db::Scalar(QStringLiteral("SELECT MIN(P_CD) FROM S01 WHERE CD BETWEEN ? AND ?"), {from, last}, &ok);
    if (!ok) {
        d.error = QStringLiteral("cannot read the pages of the rows");
        return d;
    }
    QSqlQuery q(db::Connection());
    q.prepare(QStringLiteral("DELETE FROM S01 WHERE CD BETWEEN ? AND ?"));
    q.addBindValue(from);
    q.addBindValue(last);
    if (!q.exec()) {
        d.error = q.lastError().text();
        return d;
    }
    d.rowsDeleted = q.numRowsAffected();
    // A deleted row on an earlier page changes every balance after it, not only the shown page's.
    d.recalcFrom = shownPage;
    if (lowest.isValid() && db::Is_Numeric(lowest)) d.recalcFrom = std::min(shownPage, db::To_Long(lowest, shownPage));
    if (d.recalcFrom < 1) d.recalcFrom = 1;
    d.recalc = Recalc_Zan(d.recalcFrom);
    if (!d.recalc.ok) {
        d.error = d.recalc.error;
        return d;
    }
    if (!tx.commit()) {
        d.error = QStringLiteral("commit failed");
        return d;
    }
    d.ok = true;
    return d;
}

}  // namespace ledger
