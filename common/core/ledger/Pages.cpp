#include "core/ledger/Pages.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <tuple>
#include <vector>

#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Query.h"
#include "core/db/Recordset.h"
#include "core/settings/Settings.h"

namespace ledger {
namespace {

const QString kLastMonth = QStringLiteral("lastMonth");

QSqlQuery prepared(db::Book& book, const QString& sql) {
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    q.prepare(sql);
    return q;
}

QSqlQuery prepared(db::Book& book, const char* sql) { return prepared(book, QString::fromLatin1(sql)); }

bool failed(const QSqlQuery& q, QString* error) {
    if (error) *error = q.lastError().text();
    return false;
}

// A row's amount as its balance counts it: income adds, every other kind and a category
// missing from the master subtract. Null or text amounts count as 0.
const char* const kSignedAmountSql =
    "CASE WHEN T01.KIND = 0 THEN COALESCE(S01.KINGAKU, 0) ELSE -COALESCE(S01.KINGAKU, 0) END";

// The row as it stands in the chain now; nullopt when it is not there (or on an error).
std::optional<ChainRow> chainRow(db::Book& book, qint64 cd, QString* error) {
    QSqlQuery q =
        prepared(book,
                 "SELECT S01.P_CD, S01.K_DATE, CASE WHEN T01.KIND = 0 THEN COALESCE(S01.KINGAKU, 0) "
                 "ELSE -COALESCE(S01.KINGAKU, 0) END FROM S01 LEFT JOIN T01 ON T01.CD = S01.K_CD WHERE S01.CD = ?");
    q.addBindValue(cd);
    if (!q.exec() || !q.next()) {
        if (error && q.lastError().isValid()) *error = q.lastError().text();
        return std::nullopt;
    }
    return ChainRow{{db::To_Long(q.value(0), 0), q.value(1).toString(), cd}, db::To_Long(q.value(2), 0)};
}

std::optional<qint64> categoryKind(db::Book& book, qint64 code, QString* error) {
    QSqlQuery k = prepared(book, "SELECT KIND FROM T01 WHERE CD=?");
    k.addBindValue(code);
    if (!k.exec()) {
        failed(k, error);
        return std::nullopt;
    }
    if (!k.next()) {
        if (error) *error = QStringLiteral("category missing");
        return std::nullopt;
    }
    return db::To_Long(k.value(0), 1);
}

// Adds `delta` to the stored balance of every row strictly after `from` and, when given,
// strictly before `to`. An open-ended shift over many pages goes a few pages at a time, so that
// a caller can show how far it is.
bool shift(db::Book& book, const ChainKey& from, const std::optional<ChainKey>& to, qint64 delta, QString* error,
           const Progress& progress) {
    if (delta == 0) return true;
    if (to) {
        QSqlQuery q = prepared(
            book,
            "UPDATE S01 SET ZAN = ZAN + ? WHERE (P_CD, K_DATE, CD) > (?, ?, ?) AND (P_CD, K_DATE, CD) < (?, ?, ?)");
        for (const QVariant& v : QVariantList{delta, from.page, from.date, from.cd, to->page, to->date, to->cd})
            q.addBindValue(v);
        return q.exec() || failed(q, error);
    }
    // The rest of the starting page, then the later pages in slices.
    QSqlQuery q = prepared(book, "UPDATE S01 SET ZAN = ZAN + ? WHERE (P_CD, K_DATE, CD) > (?, ?, ?) AND P_CD = ?");
    for (const QVariant& v : QVariantList{delta, from.page, from.date, from.cd, from.page}) q.addBindValue(v);
    if (!q.exec()) return failed(q, error);
    const qint64 last = db::Get_Max(book, QStringLiteral("S01"), QStringLiteral("P_CD"));
    if (last <= from.page) return true;
    constexpr qint64 kSlice = 12;
    QSqlQuery pages = prepared(book, "UPDATE S01 SET ZAN = ZAN + ? WHERE P_CD >= ? AND P_CD <= ?");
    const qint64 total = last - from.page;
    for (qint64 p = from.page + 1; p <= last; p += kSlice) {
        pages.bindValue(0, delta);
        pages.bindValue(1, p);
        pages.bindValue(2, std::min(last, p + kSlice - 1));
        if (!pages.exec()) return failed(pages, error);
        if (progress) progress(std::min(last, p + kSlice - 1) - from.page, total);
    }
    return true;
}

}  // namespace

bool operator<(const ChainKey& a, const ChainKey& b) {
    return std::tie(a.page, a.date, a.cd) < std::tie(b.page, b.date, b.cd);
}
bool operator==(const ChainKey& a, const ChainKey& b) { return a.page == b.page && a.date == b.date && a.cd == b.cd; }

PageRead readPage(db::Book& book, qint64 page) {
    PageRead r;
    if (!book.isOpen()) {
        r.error = QStringLiteral("database is not open");
        return r;
    }
    // Through the (P_CD, K_DATE, CD) index, already in the page's order.
    QSqlQuery q = prepared(
        book,
        "SELECT S01.CD, S01.K_DATE, S01.K_CD, T01.CD IS NOT NULL, T01.NM, T01.KIND, S01.KINGAKU, S01.ZAN, S01.BIKO "
        "FROM S01 LEFT JOIN T01 ON T01.CD = S01.K_CD WHERE S01.P_CD=? ORDER BY S01.K_DATE, S01.CD");
    q.addBindValue(page);
    if (!db::ran(q, r)) return r;
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

std::optional<qint64> balanceBefore(db::Book& book, const ChainKey& key, QString* error) {
    QSqlQuery q = prepared(book,
                           "SELECT ZAN FROM S01 WHERE (P_CD, K_DATE, CD) < (?, ?, ?) AND P_CD >= 1 "
                           "ORDER BY P_CD DESC, K_DATE DESC, CD DESC LIMIT 1");
    q.addBindValue(key.page);
    q.addBindValue(key.date);
    q.addBindValue(key.cd);
    if (!q.exec()) {
        failed(q, error);
        return std::nullopt;
    }
    return q.next() ? db::To_Long(q.value(0), 0) : 0;
}

std::optional<qint64> previousBalance(db::Book& book, qint64 page, QString* error) {
    if (page <= 1) return 0;
    // Before every row of the page: an empty date sorts before any stored one.
    return balanceBefore(book, {page, QString(""), 0}, error);
}

std::optional<qint64> Compute_Zan(db::Book& book, qint64 page, qint64 amount, qint64 kind, QString* error) {
    // After every row of the page.
    const auto before = balanceBefore(book, {page + 1, QString(""), 0}, error);
    if (!before) return std::nullopt;
    return applyKind(*before, amount, kind);
}

std::optional<ChainRow> chainRowOf(db::Book& book, qint64 cd, QString* error) { return chainRow(book, cd, error); }

bool restoreChain(db::Book& book, QList<ChainRow> removed, QList<ChainRow> added, QString* error,
                  const Progress& progress) {
    struct Event {
        ChainKey key;
        qint64 delta;
    };
    std::vector<Event> events;
    for (const ChainRow& r : removed) events.push_back({r.key, -r.amount});
    for (const ChainRow& r : added) events.push_back({r.key, r.amount});
    std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.key < b.key; });
    // Between two changed places every row moves by the sum of the changes before it.
    qint64 sum = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        sum += events[i].delta;
        if (i + 1 < events.size()) {
            if (events[i].key == events[i + 1].key) continue;
            if (!shift(book, events[i].key, events[i + 1].key, sum, error, {})) return false;
        } else if (!shift(book, events[i].key, std::nullopt, sum, error, progress)) {
            return false;
        }
    }
    // The added rows last, in chain order: each one's predecessor is right by then.
    std::sort(added.begin(), added.end(), [](const ChainRow& a, const ChainRow& b) { return a.key < b.key; });
    QSqlQuery set = prepared(book, "UPDATE S01 SET ZAN=? WHERE CD=?");
    for (const ChainRow& r : added) {
        const auto before = balanceBefore(book, r.key, error);
        if (!before) return false;
        set.bindValue(0, *before + r.amount);
        set.bindValue(1, r.key.cd);
        if (!set.exec()) return failed(set, error);
    }
    return true;
}

Recalc Recalc_Zan(db::Book& book, qint64 fromPage, const Progress& progress) {
    Recalc r;
    if (fromPage < 1) fromPage = 1;
    db::Transaction tx(book);
    if (!db::started(tx, r)) return r;
    const auto carried = previousBalance(book, fromPage, &r.error);
    if (!carried) return r;
    const qint64 lastPage = db::Get_Max(book, QStringLiteral("S01"), QStringLiteral("P_CD"));

    // One pass over the pages in order, each page in K_DATE, CD order (the page index).
    QSqlQuery q = prepared(book, QStringLiteral("SELECT S01.CD, S01.P_CD, %1, S01.ZAN FROM S01 LEFT JOIN T01 ON "
                                                "T01.CD = S01.K_CD WHERE S01.P_CD >= ? ORDER BY S01.P_CD, S01.K_DATE, "
                                                "S01.CD")
                                     .arg(QLatin1String(kSignedAmountSql)));
    q.addBindValue(fromPage);
    if (!db::ran(q, r)) return r;
    struct Change {
        qint64 cd;
        qint64 page;
        qint64 zan;
    };
    std::vector<Change> changes;
    qint64 balance = *carried;
    qint64 page = fromPage;
    // Progress counts the pages twice: once read, once written.
    const qint64 pages = std::max<qint64>(1, lastPage - fromPage + 1);
    while (q.next()) {
        const qint64 p = q.value(1).toLongLong();
        if (p != page) {
            page = p;
            if (progress) progress(page - fromPage, 2 * pages);
        }
        balance += db::To_Long(q.value(2), 0);
        ++r.rowsRead;
        const QVariant stored = q.value(3);
        if (stored.isNull() || db::To_Long(stored, 0) != balance)
            changes.push_back({q.value(0).toLongLong(), page, balance});
    }
    if (q.lastError().isValid()) {
        r.error = q.lastError().text();
        return r;
    }
    q.finish();

    QSqlQuery u(book.connection());
    if (!u.prepare(QStringLiteral("UPDATE S01 SET ZAN=? WHERE CD=?"))) {
        r.error = u.lastError().text();
        return r;
    }
    page = 0;
    for (const Change& c : changes) {
        if (progress && c.page != page) {
            page = c.page;
            progress(pages + page - fromPage, 2 * pages);
        }
        u.bindValue(0, c.zan);
        u.bindValue(1, c.cd);
        if (!db::ran(u, r)) return r;
    }
    if (!tx.commit()) {
        r.error = QStringLiteral("commit failed");
        return r;
    }
    if (progress) progress(2 * pages, 2 * pages);
    r.rowsChanged = static_cast<qint64>(changes.size());
    r.ok = true;
    return r;
}

qint64 lastPage(db::Book& book) {
    const qint64 p = db::Get_Max(book, QStringLiteral("S01"), QStringLiteral("P_CD"));
    return p < 1 ? 1 : p;
}

qint64 openingPage(db::Book& book, int presentMonth) {
    const qint64 highest = db::Get_Max(book, QStringLiteral("S01"), QStringLiteral("P_CD"));
    // A journal that cannot be read is not an empty one: remember nothing, show page 1.
    if (highest < 0) return 1;
    const auto choice = settings::chooseJournalPage(highest, settings::getNumber(kLastMonth, 1), presentMonth);
    if (choice.rememberMonth) settings::saveSetting(kLastMonth, QString::number(presentMonth));
    return choice.page;
}

bool entryExists(db::Book& book, qint64 cd) {
    bool ok = false;
    const QVariant v = book.scalar(QStringLiteral("SELECT 1 FROM S01 WHERE CD=?"), {cd}, &ok);
    return ok && v.isValid();
}

Written writeEntry(db::Book& book, const Entry& e) {
    Written w;
    db::Transaction tx(book);
    if (!db::started(tx, w)) return w;
    const auto kind = categoryKind(book, e.kCd, &w.error);
    if (!kind) return w;
    QString readError;
    const std::optional<ChainRow> before = chainRow(book, e.cd, &readError);
    if (!before && !readError.isEmpty()) {
        w.error = readError;
        return w;
    }
    w.inserted = !before;
    const ChainRow after{{e.page, e.kDate, e.cd}, applyKind(0, e.kingaku, *kind)};
    QSqlQuery q(book.connection());
    if (w.inserted) {
        q.prepare(QStringLiteral("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (?,?,?,?,?,0,?)"));
        for (const QVariant& v : QVariantList{e.cd, e.page, e.kDate, e.kCd, e.kingaku, e.biko}) q.addBindValue(v);
    } else {
        w.previousPage = before->key.page;
        q.prepare(QStringLiteral("UPDATE S01 SET P_CD=?,K_DATE=?,K_CD=?,KINGAKU=?,BIKO=? WHERE CD=?"));
        for (const QVariant& v : QVariantList{e.page, e.kDate, e.kCd, e.kingaku, e.biko, e.cd}) q.addBindValue(v);
    }
    if (!db::ran(q, w)) return w;
    const QList<ChainRow> removed = before ? QList<ChainRow>{*before} : QList<ChainRow>{};
    if (!restoreChain(book, removed, {after}, &w.error)) return w;
    bool ok = false;
    w.zan = db::To_Long(book.scalar(QStringLiteral("SELECT ZAN FROM S01 WHERE CD=?"), {e.cd}, &ok), 0);
    if (!tx.commit()) {
        w.error = QStringLiteral("commit failed");
        return w;
    }
    w.ok = true;
    return w;
}

Deleted deleteEntries(db::Book& book, qint64 from, std::optional<qint64> to, const Progress& progress) {
    Deleted d;
    const qint64 last = to.value_or(from);
    db::Transaction tx(book);
    if (!db::started(tx, d)) return d;
    QSqlQuery rows = prepared(book, QStringLiteral("SELECT S01.CD, S01.P_CD, S01.K_DATE, %1 FROM S01 LEFT JOIN T01 "
                                                   "ON T01.CD = S01.K_CD WHERE S01.CD BETWEEN ? AND ?")
                                        .arg(QLatin1String(kSignedAmountSql)));
    rows.addBindValue(from);
    rows.addBindValue(last);
    if (!db::ran(rows, d)) return d;
    QList<ChainRow> removed;
    while (rows.next())
        removed.append({{db::To_Long(rows.value(1), 0), rows.value(2).toString(), rows.value(0).toLongLong()},
                        db::To_Long(rows.value(3), 0)});
    rows.finish();
    QSqlQuery q(book.connection());
    q.prepare(QStringLiteral("DELETE FROM S01 WHERE CD BETWEEN ? AND ?"));
    q.addBindValue(from);
    q.addBindValue(last);
    if (!db::ran(q, d)) return d;
    d.rowsDeleted = q.numRowsAffected();
    if (!restoreChain(book, removed, {}, &d.error, progress)) return d;
    if (!tx.commit()) {
        d.error = QStringLiteral("commit failed");
        return d;
    }
    d.ok = true;
    return d;
}

bool recalcForCategories(db::Book& book, const QList<qint64>& codes, QString* error, const Progress& progress) {
    qint64 first = 0;
    for (qint64 code : codes) {
        bool ok = false;
        const QVariant p = book.scalar(QStringLiteral("SELECT MIN(P_CD) FROM S01 WHERE K_CD=?"), {code}, &ok);
        if (!ok) {
            if (error) *error = QStringLiteral("cannot read the journal");
            return false;
        }
        if (db::isNumeric(p) && (first == 0 || db::To_Long(p, 0) < first)) first = db::To_Long(p, 0);
    }
    if (first == 0) return true;
    const Recalc r = Recalc_Zan(book, first, progress);
    if (!r.ok && error) *error = r.error;
    return r.ok;
}

}  // namespace ledger
