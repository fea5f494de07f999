#include "core/ledger/Transfer.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "core/ledger/Balances.h"
#include "core/ledger/Dates.h"
#include "core/ledger/Recurring.h"

namespace ledger {
namespace {

const QString kJournal = QStringLiteral("S01");
const QString kLinks = QStringLiteral("F01");
const QString kItemsTable = QStringLiteral("F02");
// F02 holds one row, under this code.
constexpr qint64 kItemsRow = 1;
const QString kNoTable =
    QStringLiteral("このデータベースには振替の表がありません（kakeibo upgrade で更新してください）");

bool run(QSqlQuery& q, QString* error) {
    if (q.exec()) return true;
    if (error) *error = q.lastError().text();
    return false;
}

// What a link's two rows are, as the check and the import judge them.
struct PairRows {
    bool outThere = false, inThere = false;
    QVariant outDate, inDate, outAmount, inAmount, outBank, inBank, outItem, inItem;
};

// A link's two rows as a query reads them from column `first` on: the two record numbers (Null
// where a row is gone), then dates, amounts, banks and items, out before in.
PairRows pairRowsAt(const QSqlQuery& q, int first) {
    PairRows p;
    p.outThere = !q.value(first).isNull();
    p.inThere = !q.value(first + 1).isNull();
    QVariant* fields[] = {&p.outDate, &p.inDate, &p.outAmount, &p.inAmount,
                          &p.outBank, &p.inBank, &p.outItem,   &p.inItem};
    int column = first + 2;
    for (QVariant* field : fields) *field = q.value(column++);
    return p;
}

// A result that says why the step stopped.
template <class Result>
Result refused(Result& r, const QString& why) {
    r.error = why;
    return r;
}

// Commits the transaction: the result is done, or says why the change could not be saved.
template <class Result>
Result committed(db::Transaction& tx, Result& r) {
    if (!tx.commit()) return refused(r, QStringLiteral("変更を保存できません"));
    r.ok = true;
    return r;
}

QStringList faultsOf(const PairRows& p, const std::optional<TransferItems>& items) {
    QStringList out;
    if (!p.outThere || !p.inThere) {
        out << (!p.outThere && !p.inThere ? QStringLiteral("振替の出金と入金の記録がありません")
                : !p.outThere             ? QStringLiteral("振替の出金の記録がありません")
                                          : QStringLiteral("振替の入金の記録がありません"));
        return out;
    }
    auto differ = [](const QVariant& a, const QVariant& b) {
        return a.isNull() || b.isNull() || a.toString() != b.toString();
    };
    if (differ(p.outDate, p.inDate) || differ(p.outAmount, p.inAmount))
        out << QStringLiteral("振替の出金と入金で日付か金額が違います");
    if (!differ(p.outBank, p.inBank)) out << QStringLiteral("振替の出金と入金が同じ銀行です");
    if (!items || differ(p.outItem, QVariant(items->out)) || differ(p.inItem, QVariant(items->in)))
        out << QStringLiteral("振替の記録の項目が振替出金・振替入金ではありません");
    return out;
}

std::optional<TransferItems> storedItems(const QSqlDatabase& c, bool* ok) {
    QSqlQuery q(c);
    q.setForwardOnly(true);
    *ok = q.exec(QStringLiteral("SELECT OUT_K_CD, IN_K_CD FROM F02 ORDER BY CD LIMIT 1"));
    if (!*ok || !q.next()) return std::nullopt;
    if (!db::isNumeric(q.value(0)) || !db::isNumeric(q.value(1))) return std::nullopt;
    return TransferItems{db::To_Long(q.value(0), 0), db::To_Long(q.value(1), 0)};
}

// The kind of an item; nullopt when it is not in T02.
std::optional<qint64> kindOf(db::Book& book, qint64 item, bool* ok) {
    const QVariant v = book.scalar(QStringLiteral("SELECT KIND FROM T02 WHERE CD = ?"), {item}, ok);
    if (!*ok || v.isNull()) return std::nullopt;
    return db::To_Long(v, 2);
}

bool bankExists(db::Book& book, qint64 bank) {
    return book.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM T01 WHERE CD = ?)"), {bank}).toInt() != 0;
}

QString bankName(db::Book& book, const QVariant& bank) {
    if (!db::isNumeric(bank)) return QStringLiteral("?");
    const QVariant nm = book.scalar(QStringLiteral("SELECT NM FROM T01 WHERE CD = ?"), {bank});
    return nm.isNull() || nm.toString().isEmpty() ? QString::number(db::To_Long(bank, 0)) : nm.toString();
}

QList<TransferLink> linksTouching(db::Book& book, const QList<qint64>& records, QString* error) {
    QList<TransferLink> out;
    if (!holdsTransfers(book)) return out;
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT CD, OUT_CD, IN_CD FROM F01 WHERE OUT_CD = ? OR IN_CD = ?"));
    QSet<qint64> seen;
    for (qint64 r : records) {
        q.bindValue(0, r);
        q.bindValue(1, r);
        if (!run(q, error)) return {};
        while (q.next()) {
            const TransferLink l{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong()};
            if (seen.contains(l.cd)) continue;
            seen.insert(l.cd);
            out << l;
        }
    }
    return out;
}

bool recalcAll(db::Book& book, const QList<qint64>& banks, Change& c) {
    QList<qint64> all = c.banks + banks;
    if (!recalcBanks(book, banks, c)) return false;
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    c.banks = all;
    return true;
}

// A journal write that stops part way: the change says why, and the transaction, left
// uncommitted, takes back what was done.
JournalWrite stopped(Change c) {
    c.ok = false;
    JournalWrite w;
    w.change = c;
    return w;
}

// The last steps of a write that also changed transfer partners: the balances of their banks,
// the undo step and the commit, so that the rows and their partners land together or not at all.
JournalWrite settle(db::Book& book, db::Transaction& tx, const QList<qint64>& banks, Change c, BookChange& undo,
                    const QList<qint64>& partners, int moreRows = 0) {
    if (!recalcAll(book, banks, c)) return stopped(c);
    finishChange(book, undo);
    if (!tx.commit()) {
        c.error = QStringLiteral("変更を保存できません");
        return stopped(c);
    }
    c.rows += moreRows;
    JournalWrite w;
    w.change = c;
    w.undo = undo;
    w.partners = partners;
    return w;
}

}  // namespace

bool holdsTransfers(db::Book& book) {
    return book.isOpen() && book.scalar(QStringLiteral("PRAGMA user_version")).toInt() >= kTransferVersion &&
           book.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                                      "('F01', 'F02')"))
                   .toInt() == 2;
}

QString notLinkedCondition(db::Book& book, const QString& alias) {
    if (!holdsTransfers(book)) return QStringLiteral("1 = 1");
    return QStringLiteral(
               "(NOT EXISTS (SELECT 1 FROM F01 WHERE F01.OUT_CD = %1.CD) "
               "AND NOT EXISTS (SELECT 1 FROM F01 WHERE F01.IN_CD = %1.CD))")
        .arg(alias);
}

QString transferTotalSql() {
    return QStringLiteral(
        "SELECT COALESCE(SUM(S01.KINGAKU), 0) FROM F01 JOIN S01 ON S01.CD = F01.OUT_CD "
        "WHERE S01.K_DATE >= ? AND S01.K_DATE < ?");
}

std::optional<qint64> transferTotal(db::Book& book, const QString& from, const QString& to) {
    if (!holdsTransfers(book)) return 0;
    bool ok = false;
    const QVariant v = book.scalar(transferTotalSql(), {from, to}, &ok);
    if (!ok) return std::nullopt;
    return db::To_Long(v, 0);
}

std::optional<QHash<QString, qint64>> transferMonths(db::Book& book, const QString& from, const QString& to) {
    QHash<QString, qint64> out;
    if (!holdsTransfers(book)) return out;
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT substr(S01.K_DATE, 1, 7), COALESCE(SUM(S01.KINGAKU), 0) FROM F01 "
                                  "JOIN S01 ON S01.CD = F01.OUT_CD WHERE S01.K_DATE >= ? AND S01.K_DATE < ? "
                                  "GROUP BY 1")))
        return std::nullopt;
    q.addBindValue(from);
    q.addBindValue(to);
    if (!q.exec()) return std::nullopt;
    while (q.next()) out.insert(q.value(0).toString(), db::To_Long(q.value(1), 0));
    if (q.lastError().isValid()) return std::nullopt;
    return out;
}

// ---- The items

ItemsStatus transferItems(db::Book& book) {
    ItemsStatus s;
    if (!holdsTransfers(book)) {
        s.message = kNoTable;
        return s;
    }
    bool ok = false;
    const auto items = storedItems(book.connection(), &ok);
    if (!ok) {
        s.message = QStringLiteral("振替の項目を読めません");
        return s;
    }
    if (!items) {
        s.state = ItemsState::None;
        s.message = QStringLiteral("振替の項目（振替出金・振替入金）が登録されていません");
        return s;
    }
    s.items = *items;
    const auto out = kindOf(book, items->out, &ok);
    const auto in = ok ? kindOf(book, items->in, &ok) : std::nullopt;
    if (!ok) {
        s.message = QStringLiteral("振替の項目を読めません");
        return s;
    }
    if (!out || !in) {
        s.state = ItemsState::Gone;
        s.message =
            QStringLiteral("振替の項目（コード %1）が項目マスターにありません").arg(!out ? items->out : items->in);
        return s;
    }
    if (*out != 1 || *in != 0) {
        s.state = ItemsState::WrongKind;
        s.message = *out != 1 ? QStringLiteral("振替出金の項目（コード %1）が支出ではありません").arg(items->out)
                              : QStringLiteral("振替入金の項目（コード %1）が収入ではありません").arg(items->in);
        return s;
    }
    s.state = ItemsState::Ready;
    return s;
}

ItemsRegistration registerTransferItems(db::Book& book) {
    ItemsRegistration r;
    if (!holdsTransfers(book)) return refused(r, kNoTable);
    if (book.isReadOnly()) return refused(r, book.readOnlyMessage());
    const qint64 highest = db::Get_Max(book, QStringLiteral("T02"), QStringLiteral("CD"));
    if (highest < 0) return refused(r, QStringLiteral("データベースを読めません"));
    r.items = {highest + 1, highest + 2};
    if (r.items.in > db::kMaxCode)
        return refused(r, QStringLiteral("項目コードに空きがありません（上限 %1）").arg(db::kMaxCode));
    db::Transaction tx(book);
    if (!tx.ok()) return refused(r, QStringLiteral("トランザクションを始められません"));
    BookChange change = beginChange(book, QStringLiteral("T02"), {r.items.out, r.items.in}, QStringLiteral("追加"));
    addToChange(book, change, kItemsTable, {kItemsRow});
    const bool written =
        book.execute(QStringLiteral("INSERT INTO T02 (CD, NM, KIND) VALUES (?, '振替出金', 1), (?, '振替入金', 0)"),
                     {r.items.out, r.items.in}, &r.error) &&
        book.execute(QStringLiteral("INSERT OR REPLACE INTO F02 (CD, OUT_K_CD, IN_K_CD) VALUES (?, ?, ?)"),
                     {kItemsRow, r.items.out, r.items.in}, &r.error);
    if (!written) return r;
    finishChange(book, change);
    if (!tx.commit()) return refused(r, QStringLiteral("変更を保存できません"));
    r.change = change;
    r.ok = true;
    return r;
}

// ---- Writing a transfer

TransferWrite writeTransfer(db::Book& book, const TransferEntry& e) {
    TransferWrite w;
    auto refuse = [&](const QString& why) {
        w.error = why;
        return w;
    };
    if (!book.isOpen()) return refuse(QStringLiteral("データベースが開かれていません"));
    if (book.isReadOnly()) return refuse(book.readOnlyMessage());
    const ItemsStatus items = transferItems(book);
    if (items.state != ItemsState::Ready) return refuse(items.message);
    if (!bookDate(e.date)) return refuse(QStringLiteral("日付が正しくありません"));
    if (e.from == e.to) return refuse(QStringLiteral("出金銀行と入金銀行が同じです"));
    for (qint64 b : {e.from, e.to})
        if (!bankExists(book, b)) return refuse(QStringLiteral("銀行ｺｰﾄﾞ %1 は銀行マスターにありません").arg(b));
    if (e.amount < 1) return refuse(QStringLiteral("金額は1以上の整数で入力してください"));

    db::Transaction tx(book);
    if (!tx.ok()) return refuse(QStringLiteral("トランザクションを始められません"));
    const qint64 highest = db::Get_Max(book, kJournal, QStringLiteral("CD"));
    const qint64 lastLink = db::Get_Max(book, kLinks, QStringLiteral("CD"));
    if (highest < 0 || lastLink < 0) return refuse(QStringLiteral("データベースを読めません"));
    w.outRecord = highest + 1;
    w.inRecord = highest + 2;
    w.link = lastLink + 1;
    BookChange change = beginChange(book, kJournal, {w.outRecord, w.inRecord}, QStringLiteral("追加"));
    addToChange(book, change, kLinks, {w.link});
    QString error;
    const QString insert =
        QStringLiteral("INSERT INTO S01 (CD, K_DATE, B_CD, K_CD, KINGAKU, BIKO) VALUES (?, ?, ?, ?, ?, ?)");
    if (!book.execute(insert, {w.outRecord, e.date, e.from, items.items.out, e.amount, e.note}, &error) ||
        !book.execute(insert, {w.inRecord, e.date, e.to, items.items.in, e.amount, e.note}, &error) ||
        !book.execute(QStringLiteral("INSERT INTO F01 (CD, OUT_CD, IN_CD) VALUES (?, ?, ?)"),
                      {w.link, w.outRecord, w.inRecord}, &error))
        return refuse(error);
    for (qint64 b : {e.from, e.to}) {
        const BankZan z = Recalc_BankZan(book, b);
        if (!z.ok) return refuse(z.error);
    }
    finishChange(book, change);
    if (!tx.commit()) return refuse(QStringLiteral("変更を保存できません"));
    w.change = change;
    w.ok = true;
    return w;
}

// ---- The pair

std::optional<TransferLink> linkOf(db::Book& book, qint64 record) {
    const QList<TransferLink> links = linksTouching(book, {record}, nullptr);
    if (links.isEmpty()) return std::nullopt;
    return links.first();
}

QHash<qint64, QString> transferTexts(db::Book& book, const QList<qint64>& records) {
    QHash<qint64, QString> out;
    for (const TransferLink& l : linksTouching(book, records, nullptr)) {
        const QVariant from = book.scalar(QStringLiteral("SELECT B_CD FROM S01 WHERE CD = ?"), {l.outRecord});
        const QVariant to = book.scalar(QStringLiteral("SELECT B_CD FROM S01 WHERE CD = ?"), {l.inRecord});
        const QString text = QStringLiteral("振替: %1 → %2").arg(bankName(book, from), bankName(book, to));
        for (qint64 r : {l.outRecord, l.inRecord})
            if (records.contains(r)) out.insert(r, text);
    }
    return out;
}

// ---- The journal's writes

JournalWrite writeJournalEntry(db::Book& book, const JournalEntry& e) {
    JournalWrite w;
    QString error;
    const QList<TransferLink> links = linksTouching(book, {e.cd}, &error);
    if (!error.isEmpty()) {
        w.change.error = error;
        return w;
    }
    if (links.isEmpty()) {
        w.undo = beginChange(book, kJournal, {e.cd});
        w.change = writeEntry(book, e);
        if (w.change.ok) finishChange(book, w.undo);
        return w;
    }
    const qint64 partner = links.first().partnerOf(e.cd);
    w.change.inserted = false;
    const QVariant item = book.scalar(QStringLiteral("SELECT K_CD FROM S01 WHERE CD = ?"), {e.cd});
    const QVariant partnerBank = book.scalar(QStringLiteral("SELECT B_CD FROM S01 WHERE CD = ?"), {partner});
    if (!db::isNumeric(item) || db::To_Long(item, 0) != e.item) {
        w.change.error = QStringLiteral("振替の記録の項目は変えられません");
        return w;
    }
    if (db::isNumeric(partnerBank) && db::To_Long(partnerBank, 0) == e.bank) {
        w.change.error = QStringLiteral("振替の記録を相手の銀行に移すことはできません");
        return w;
    }
    db::Transaction tx(book);
    if (!tx.ok()) {
        w.change.error = QStringLiteral("トランザクションを始められません");
        return w;
    }
    BookChange undo = beginChange(book, kJournal, {e.cd, partner}, QStringLiteral("更新"));
    Change c = writeEntry(book, e);
    if (!c.ok) return stopped(c);
    // The partner: the same date, amount and note (it may be gone when an older program deleted
    // it; the check names that link).
    if (!book.execute(QStringLiteral("UPDATE S01 SET K_DATE = ?, KINGAKU = ?, BIKO = ? WHERE CD = ?"),
                      {e.date, e.amount, e.note, partner}, &c.error))
        return stopped(c);
    QList<qint64> banks;
    if (db::isNumeric(partnerBank)) banks << db::To_Long(partnerBank, 0);
    return settle(book, tx, banks, c, undo, {partner});
}

JournalWrite deleteJournalRecords(db::Book& book, qint64 from, std::optional<qint64> to) {
    JournalWrite w;
    const QList<qint64> asked = codesBetween(book, kJournal, from, to.value_or(from));
    QString error;
    const QList<TransferLink> links = linksTouching(book, asked, &error);
    if (!error.isEmpty()) {
        w.change.error = error;
        return w;
    }
    if (links.isEmpty()) {
        w.undo = beginChange(book, kJournal, asked);
        w.change = deleteRecords(book, from, to);
        if (w.change.ok) finishChange(book, w.undo);
        return w;
    }
    QList<qint64> partners, linkCodes;
    for (const TransferLink& l : links) {
        linkCodes << l.cd;
        for (qint64 r : {l.outRecord, l.inRecord})
            if (!asked.contains(r) && !partners.contains(r)) partners << r;
    }
    std::sort(partners.begin(), partners.end());
    db::Transaction tx(book);
    if (!tx.ok()) {
        w.change.error = QStringLiteral("トランザクションを始められません");
        return w;
    }
    BookChange undo = beginChange(book, kJournal, asked + partners, QStringLiteral("削除"));
    addToChange(book, undo, kLinks, linkCodes);
    QList<qint64> partnerBanks;
    for (qint64 p : partners) {
        const QVariant b = book.scalar(QStringLiteral("SELECT B_CD FROM S01 WHERE CD = ?"), {p});
        if (db::isNumeric(b)) partnerBanks << db::To_Long(b, 0);
    }
    Change c = deleteRecords(book, from, to);
    if (!c.ok) return stopped(c);
    int gone = 0;
    QSqlQuery del(book.connection());
    del.prepare(QStringLiteral("DELETE FROM S01 WHERE CD = ?"));
    for (qint64 p : partners) {
        del.bindValue(0, p);
        if (!run(del, &c.error)) return stopped(c);
        gone += del.numRowsAffected();
    }
    QSqlQuery unlink(book.connection());
    unlink.prepare(QStringLiteral("DELETE FROM F01 WHERE CD = ?"));
    for (qint64 l : linkCodes) {
        unlink.bindValue(0, l);
        if (!run(unlink, &c.error)) return stopped(c);
    }
    return settle(book, tx, partnerBanks, c, undo, partners, gone);
}

// ---- Check and repair

LinkFaults linkFaults(const QSqlDatabase& connection) {
    LinkFaults f;
    bool ok = false;
    const auto items = storedItems(connection, &ok);
    if (!ok) return refused(f, QStringLiteral("振替の項目（F02）を読めません"));
    QSqlQuery q(connection);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT F01.CD, O.CD, I.CD, O.K_DATE, I.K_DATE, O.KINGAKU, I.KINGAKU, O.B_CD, I.B_CD, "
                               "O.K_CD, I.K_CD FROM F01 LEFT JOIN S01 O ON O.CD = F01.OUT_CD "
                               "LEFT JOIN S01 I ON I.CD = F01.IN_CD ORDER BY F01.CD"))) {
        f.error = q.lastError().text();
        return f;
    }
    while (q.next()) {
        for (const QString& text : faultsOf(pairRowsAt(q, 1), items))
            f.faults << LinkFault{q.value(0).toLongLong(), text};
    }
    f.ok = !q.lastError().isValid();
    if (!f.ok) f.error = q.lastError().text();
    return f;
}

LinkRepair removeBrokenLinks(db::Book& book) {
    LinkRepair r;
    if (book.isReadOnly()) return refused(r, book.readOnlyMessage());
    if (!holdsTransfers(book)) {
        r.ok = true;
        return r;
    }
    db::Transaction tx(book);
    if (!tx.ok()) return refused(r, QStringLiteral("トランザクションを始められません"));
    const LinkFaults faults = linkFaults(book.connection());
    if (!faults.ok) return refused(r, faults.error);
    QSet<qint64> links;
    for (const LinkFault& f : faults.faults) links.insert(f.link);
    for (qint64 l : links) {
        if (!book.execute(QStringLiteral("DELETE FROM F01 WHERE CD = ?"), {l}, &r.error)) return r;
        ++r.removed;
    }
    return committed(tx, r);
}

// ---- Lists and import

TransferList readTransfers(db::Book& book, const QString& fromMonth, const QString& toMonth) {
    TransferList l;
    if (!holdsTransfers(book)) return refused(l, kNoTable);
    // Months as a half-open range of K_DATE; an open end reaches every stored date.
    const QString from = fromMonth.isEmpty() ? QStringLiteral("") : fromMonth + QStringLiteral("/00");
    const QString to = toMonth.isEmpty() ? QStringLiteral("9999/99/99") : toMonth + QStringLiteral("/99");
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral("SELECT F01.CD, O.K_DATE, O.CD, O.B_CD, A.NM, I.CD, I.B_CD, B.NM, O.KINGAKU, O.BIKO FROM F01 "
                       "JOIN S01 O ON O.CD = F01.OUT_CD LEFT JOIN S01 I ON I.CD = F01.IN_CD "
                       "LEFT JOIN T01 A ON A.CD = O.B_CD LEFT JOIN T01 B ON B.CD = I.B_CD "
                       "WHERE O.K_DATE >= ? AND O.K_DATE <= ? ORDER BY O.K_DATE, F01.CD"));
    q.addBindValue(from);
    q.addBindValue(to);
    if (!run(q, &l.error)) return l;
    while (q.next()) {
        TransferRow r;
        r.link = q.value(0).toLongLong();
        r.date = q.value(1).toString();
        r.outRecord = q.value(2).toLongLong();
        r.fromBank = db::To_Long(q.value(3), 0);
        r.fromName = q.value(4).toString();
        r.inRecord = db::To_Long(q.value(5), 0);
        r.toBank = db::To_Long(q.value(6), 0);
        r.toName = q.value(7).toString();
        r.amount = db::To_Long(q.value(8), 0);
        r.note = q.value(9).toString();
        l.rows << r;
    }
    l.ok = true;
    return l;
}

LinkImport importLinks(db::Book& book, const QList<TransferLink>& links) {
    LinkImport r;
    if (book.isReadOnly()) return refused(r, book.readOnlyMessage());
    if (!holdsTransfers(book)) return refused(r, kNoTable);
    const QString full = db::notEmptyRefusal(book, kLinks, QStringLiteral("振替"), QStringLiteral("件"));
    if (!full.isEmpty()) return refused(r, full);
    db::Transaction tx(book);
    if (!tx.ok()) return refused(r, QStringLiteral("トランザクションを始められません"));
    bool ok = false;
    std::optional<TransferItems> items = storedItems(book.connection(), &ok);
    if (!ok) return refused(r, QStringLiteral("振替の項目を読めません"));
    // A book filled from exported files has the items in T02 but not which they are: the rows
    // of the first link say it.
    if (!items && !links.isEmpty()) {
        const QVariant out =
            book.scalar(QStringLiteral("SELECT K_CD FROM S01 WHERE CD = ?"), {links.first().outRecord});
        const QVariant in = book.scalar(QStringLiteral("SELECT K_CD FROM S01 WHERE CD = ?"), {links.first().inRecord});
        if (db::isNumeric(out) && db::isNumeric(in)) {
            items = TransferItems{db::To_Long(out, 0), db::To_Long(in, 0)};
            if (!book.execute(QStringLiteral("INSERT INTO F02 (CD, OUT_K_CD, IN_K_CD) VALUES (?, ?, ?)"),
                              {kItemsRow, items->out, items->in}, &r.error))
                return r;
        }
    }
    QSqlQuery pair(book.connection());
    pair.prepare(
        QStringLiteral("SELECT O.CD, I.CD, O.K_DATE, I.K_DATE, O.KINGAKU, I.KINGAKU, O.B_CD, I.B_CD, O.K_CD, "
                       "I.K_CD FROM (SELECT 1) LEFT JOIN S01 O ON O.CD = ? LEFT JOIN S01 I ON I.CD = ?"));
    for (const TransferLink& l : links) {
        pair.bindValue(0, l.outRecord);
        pair.bindValue(1, l.inRecord);
        if (!run(pair, &r.error) || !pair.next()) return r;
        const PairRows p = pairRowsAt(pair, 0);
        pair.finish();
        const QStringList faults = faultsOf(p, items);
        if (!faults.isEmpty()) return refused(r, QStringLiteral("振替 %1: %2").arg(l.cd).arg(faults.first()));
        if (!book.execute(QStringLiteral("INSERT INTO F01 (CD, OUT_CD, IN_CD) VALUES (?, ?, ?)"),
                          {l.cd, l.outRecord, l.inRecord}, &r.error)) {
            r.error = QStringLiteral("振替 %1: %2").arg(l.cd).arg(r.error);
            return r;
        }
        ++r.added;
    }
    return committed(tx, r);
}

}  // namespace ledger
