#include "core/care/Check.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <atomic>

#include "core/Messages.h"
#include "core/db/Book.h"
#include "core/db/Schema.h"
#include "core/ledger/Balances.h"
#include "core/ledger/Pages.h"
#include "core/ledger/Recurring.h"
#include "core/ledger/Transfer.h"

namespace ledger {
namespace {

// Column names of a table, upper-cased; empty when the table is missing.
QStringList columnsOf(const QSqlDatabase& c, const QString& table, bool* ok) {
    QStringList names;
    QSqlQuery q(c);
    q.setForwardOnly(true);
    *ok = q.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    q.addBindValue(table);
    *ok = *ok && q.exec();
    while (*ok && q.next()) names << q.value(0).toString().toUpper();
    return names;
}

class Checker {
  public:
    Checker(app::Program p, const QSqlDatabase& c) : m_program(p), m_c(c) {}

    CheckResult run(CheckDepth depth) {
        m_result.ran = true;
        if (depth != CheckDepth::Types) integrity();
        const bool complete = structure();
        if (depth == CheckDepth::Types && complete) types();
        if (depth == CheckDepth::Full && complete) {
            foreignObjects();
            types();
            orphans();
            budgets();
            groups();
            balances();
            if (m_schema.table(QStringLiteral("R01"))) recurringRules();
            if (m_schema.table(QStringLiteral("F01"))) transferLinks();
        }
        return m_result;
    }

  private:
    bool isBank() const { return m_program == app::Program::Bank; }

    void failed(const QSqlQuery& q, const QString& what) {
        Finding f;
        f.kind = FindingKind::Unreadable;
        f.text = QStringLiteral("%1を調べられません: %2").arg(what, q.lastError().text());
        m_result.findings << f;
    }

    // Runs a query whose first column is a record number or code, and keeps them in a finding
    // when there is at least one row.
    void rowsFinding(Finding f, const QString& sql, const QString& what) {
        QSqlQuery q(m_c);
        q.setForwardOnly(true);
        if (!q.exec(sql)) return failed(q, what);
        while (q.next()) add(f, q.value(0).toLongLong());
        if (q.lastError().isValid()) return failed(q, what);
        if (f.count > 0) m_result.findings << f;
    }

    static void add(Finding& f, qint64 record) {
        if (f.records.size() < kMaxListed) f.records << record;
        ++f.count;
    }

    void integrity() {
        QSqlQuery q(m_c);
        q.setForwardOnly(true);
        QStringList said;
        bool ok = q.exec(QStringLiteral("PRAGMA integrity_check"));
        while (ok && q.next()) said << q.value(0).toString();
        if (ok && q.lastError().isValid()) ok = false;
        if (ok && said == QStringList{QStringLiteral("ok")}) return;
        Finding f;
        f.kind = FindingKind::Damaged;
        QStringList first;
        for (const QString& s : said.mid(0, 3)) first << app::clip(s, 80);
        const QString detail = ok ? first.join(QStringLiteral(" / ")) : q.lastError().text();
        f.text = QStringLiteral("データベースファイルが壊れています（%1）").arg(detail);
        m_result.findings << f;
    }

    // True when every table and column of the book's version is there, so that the data can be
    // read. A trigger is no part of any book of ours: it could change what a write does behind
    // the program's back, so it is named here, where a restore sees it too.
    bool structure() {
        const db::SchemaState state = db::inspectSchema(m_c, db::bookSchema(m_program));
        if (!state.read) {
            Finding f;
            f.kind = FindingKind::Unreadable;
            f.text = QStringLiteral("データベースの形を読めません: %1").arg(state.error);
            m_result.findings << f;
            return false;
        }
        m_state = state;
        m_result.version = state.version;
        m_result.newer = state.newer();
        // A book of a newer version is checked for what this program knows of it.
        m_schema = db::bookSchema(m_program).upTo(std::clamp(state.version, 1, db::kSchemaVersion));
        for (const QString& name : state.triggers) {
            Finding f;
            f.kind = FindingKind::Trigger;
            f.text = QStringLiteral("トリガー %1 があります（このプログラムのデータベースにはありません）").arg(name);
            m_result.findings << f;
        }
        bool complete = true;
        for (const db::SchemaTable& need : m_schema.tables) {
            const QString table = need.name;
            bool ok = false;
            const QStringList have = columnsOf(m_c, table, &ok);
            if (!ok) {
                Finding f;
                f.kind = FindingKind::Unreadable;
                f.text = QStringLiteral("表 %1 の列を読めません").arg(table);
                f.table = table;
                m_result.findings << f;
                complete = false;
                continue;
            }
            Finding f;
            f.table = table;
            if (have.isEmpty()) {
                f.kind = FindingKind::MissingTable;
                f.text = QStringLiteral("表 %1 がありません").arg(table);
                m_result.findings << f;
                complete = false;
                continue;
            }
            for (const QString& column : need.columnNames()) {
                if (have.contains(column)) continue;
                f.kind = FindingKind::MissingColumn;
                f.text = QStringLiteral("表 %1 に列 %2 がありません").arg(table, column);
                m_result.findings << f;
                complete = false;
            }
        }
        return complete;
    }

    // One pass over each table: a flag per number column (and, in the journal, for the date and
    // the page), each flag becoming one finding with its rows.
    void types() {
        for (const db::SchemaTable& need : m_schema.tables) {
            const QStringList numbers = need.wholeNumberColumns();
            if (numbers.isEmpty()) continue;
            const QString table = need.name;
            const bool journal = table == QLatin1String("S01");
            QList<Finding> found;
            QStringList flags;
            for (const QString& column : numbers) {
                flags << QStringLiteral("typeof(%1) <> 'integer'").arg(column);
                Finding f;
                f.kind = FindingKind::WrongType;
                f.table = table;
                f.byCode = table == QLatin1String("T01") || table == QLatin1String("T02");
                f.text = QStringLiteral("%1.%2 に整数でない値（文字、小数、Null）があります").arg(table, column);
                found << f;
            }
            if (journal) {
                // A real date in the stored form: the shape, then the day must exist (the
                // Julian-day round trip turns 2023/02/29 into 2023-03-01).
                flags << QStringLiteral(
                    "NOT (typeof(K_DATE) = 'text' AND K_DATE GLOB '[0-9][0-9][0-9][0-9]/[0-9][0-9]/[0-9][0-9]' "
                    "AND substr(K_DATE, 1, 4) <> '0000' "
                    "AND date(julianday(replace(K_DATE, '/', '-'))) IS replace(K_DATE, '/', '-'))");
                Finding d;
                d.kind = FindingKind::BadDate;
                d.table = table;
                d.text = QStringLiteral("S01.K_DATE が正しい日付（yyyy/mm/dd）ではありません");
                found << d;
                if (!isBank()) {
                    flags << QStringLiteral("(typeof(P_CD) = 'integer' AND P_CD < 1)");
                    Finding p;
                    p.kind = FindingKind::BadPage;
                    p.table = table;
                    p.text = QStringLiteral("S01.P_CD（ページ）が 1 より小さい記録があります");
                    found << p;
                }
            }
            QSqlQuery q(m_c);
            q.setForwardOnly(true);
            const QString sql = QStringLiteral("SELECT CD, %1 FROM %2 WHERE %3 ORDER BY CD")
                                    .arg(flags.join(QStringLiteral(", ")), table, flags.join(QStringLiteral(" OR ")));
            if (!q.exec(sql)) {
                failed(q, QStringLiteral("表 %1 の値").arg(table));
                continue;
            }
            while (q.next()) {
                const qint64 cd = q.value(0).toLongLong();
                for (int i = 0; i < found.size(); ++i)
                    if (q.value(i + 1).toLongLong() != 0) add(found[i], cd);
            }
            for (const Finding& f : found)
                if (f.count > 0) m_result.findings << f;
        }
    }

    // Tables, views and indexes no version of the book has: harmless to the program, which
    // never reads them, but someone put them there. A newer book's own are not known here.
    void foreignObjects() {
        if (m_state.newer()) return;
        QStringList known;
        for (const db::SchemaTable& t : m_schema.tables) known << t.name.toUpper();
        for (const db::SchemaIndex& i : m_schema.indexes) known << i.name.toUpper();
        QSqlQuery q(m_c);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT type, name FROM sqlite_master WHERE type IN ('table', 'view', 'index') "
                                   "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY type, name")))
            return failed(q, QStringLiteral("表の一覧"));
        while (q.next()) {
            const QString type = q.value(0).toString();
            const QString name = q.value(1).toString();
            if (known.contains(name.toUpper())) continue;
            Finding f;
            f.kind = FindingKind::Foreign;
            f.table = name;
            const QString what = type == QLatin1String("table")  ? QStringLiteral("表")
                                 : type == QLatin1String("view") ? QStringLiteral("ビュー")
                                                                 : QStringLiteral("インデックス");
            f.text = QStringLiteral("このプログラムの知らない%1 %2 があります").arg(what, name);
            m_result.findings << f;
        }
    }

    void orphans() {
        Finding f;
        f.kind = FindingKind::Orphan;
        f.table = QStringLiteral("S01");
        if (isBank()) {
            f.text = QStringLiteral("項目マスター（T02）にない項目の記録があります");
            rowsFinding(
                f,
                QStringLiteral("SELECT CD FROM S01 WHERE NOT EXISTS (SELECT 1 FROM T02 WHERE T02.CD = S01.K_CD) "
                               "ORDER BY CD"),
                QStringLiteral("項目"));
            f.text = QStringLiteral("銀行マスター（T01）にない銀行の記録があります");
            rowsFinding(
                f,
                QStringLiteral("SELECT CD FROM S01 WHERE NOT EXISTS (SELECT 1 FROM T01 WHERE T01.CD = S01.B_CD) "
                               "ORDER BY CD"),
                QStringLiteral("銀行"));
        } else {
            f.text = QStringLiteral("科目マスター（T01）にない科目の記録があります");
            rowsFinding(
                f,
                QStringLiteral("SELECT CD FROM S01 WHERE NOT EXISTS (SELECT 1 FROM T01 WHERE T01.CD = S01.K_CD) "
                               "ORDER BY CD"),
                QStringLiteral("科目"));
        }
    }

    // Rules whose masters are gone would be refused when due; rules with impossible values or a
    // next date off their schedule would post at the wrong time, or twice.
    void recurringRules() {
        Finding f;
        f.kind = FindingKind::Orphan;
        f.table = QStringLiteral("R01");
        f.byCode = true;
        const QString missing =
            QStringLiteral("SELECT CD FROM R01 WHERE NOT EXISTS (SELECT 1 FROM %1 WHERE %1.CD = R01.%2) ORDER BY CD");
        if (isBank()) {
            f.text = QStringLiteral("項目マスター（T02）にない項目の定期入力があります");
            rowsFinding(f, missing.arg(QStringLiteral("T02"), QStringLiteral("K_CD")), QStringLiteral("定期入力"));
            f.text = QStringLiteral("銀行マスター（T01）にない銀行の定期入力があります");
            rowsFinding(f, missing.arg(QStringLiteral("T01"), QStringLiteral("B_CD")), QStringLiteral("定期入力"));
        } else {
            f.text = QStringLiteral("科目マスター（T01）にない科目の定期入力があります");
            rowsFinding(f, missing.arg(QStringLiteral("T01"), QStringLiteral("K_CD")), QStringLiteral("定期入力"));
        }
        const RuleList rules = readRules(m_c);
        if (!rules.ok) {
            unreadable(QStringLiteral("定期入力を調べられません: %1").arg(rules.error));
            return;
        }
        QList<Finding> faults;  // one per kind of fault, with its rules
        for (const RecurringRule& r : rules.rules) {
            const QString fault = ruleFault(m_program, r);
            if (fault.isEmpty()) continue;
            const QString text = QStringLiteral("定期入力（R01）に正しくない値があります: %1").arg(fault);
            add(findingFor(faults, FindingKind::BadRule, QStringLiteral("R01"), text), r.cd);
        }
        m_result.findings << faults;
    }

    // A part of the book that could not be read is one finding, and the rest of that part
    // is not judged.
    void unreadable(const QString& text) {
        Finding u;
        u.kind = FindingKind::Unreadable;
        u.text = text;
        m_result.findings << u;
    }

    // The finding that gathers the codes of one kind of fault, so that each kind is named once:
    // the one among `faults` with this text, or a new one added to them.
    static Finding& findingFor(QList<Finding>& faults, FindingKind kind, const QString& table, const QString& text) {
        auto it = std::find_if(faults.begin(), faults.end(), [&](const Finding& x) { return x.text == text; });
        if (it != faults.end()) return *it;
        Finding b;
        b.kind = kind;
        b.table = table;
        b.byCode = true;
        b.text = text;
        faults << b;
        return faults.last();
    }

    // Budgets (B01, from version 2; a group's in B02, from version 5): rows of a deleted
    // category are kept by the master (as its journal rows are) and named here so that they can
    // be cleared; so are a deleted group's, which only a foreign writer leaves.
    void budgets(const QString& table, const QString& key, const QString& owners, const QString& noun,
                 const QString& missing) {
        if (!m_schema.table(table)) return;
        Finding f;
        f.table = table;
        f.kind = FindingKind::Orphan;
        f.text = missing;
        rowsFinding(f,
                    QStringLiteral("SELECT CD FROM %1 WHERE NOT EXISTS (SELECT 1 FROM %3 AS M WHERE M.CD = %1.%2) "
                                   "ORDER BY CD")
                        .arg(table, key, owners),
                    QStringLiteral("予算"));
        f.kind = FindingKind::BadBudget;
        f.text = QStringLiteral("%1.YM が空、yyyy/mm、yyyy のどれでもない予算があります").arg(table);
        rowsFinding(f,
                    QStringLiteral("SELECT CD FROM %1 WHERE NOT (typeof(YM) = 'text' AND (YM = '' OR "
                                   "(YM GLOB '[0-9][0-9][0-9][0-9]' AND YM <> '0000') OR "
                                   "(YM GLOB '[0-9][0-9][0-9][0-9]/[0-1][0-9]' AND substr(YM, 1, 4) <> '0000' "
                                   "AND substr(YM, 6, 2) BETWEEN '01' AND '12'))) ORDER BY CD")
                        .arg(table),
                    QStringLiteral("予算の期間"));
        f.text = QStringLiteral("一つの%1に月の予算と年額の予算の両方があります").arg(noun);
        rowsFinding(f,
                    QStringLiteral("SELECT CD FROM %1 WHERE %2 IN (SELECT %2 FROM %1 GROUP BY %2 "
                                   "HAVING MAX(length(YM) = 4) = 1 AND MAX(length(YM) <> 4) = 1) ORDER BY CD")
                        .arg(table, key),
                    QStringLiteral("予算の種類"));
        // A fraction or a text is named by the check of value types; a negative one only here.
        f.text = QStringLiteral("%1.KINGAKU が負の予算があります").arg(table);
        rowsFinding(f,
                    QStringLiteral("SELECT CD FROM %1 WHERE typeof(KINGAKU) = 'integer' AND KINGAKU < 0 ORDER BY CD")
                        .arg(table),
                    QStringLiteral("予算の金額"));
    }

    void budgets() {
        const QString master = isBank() ? QStringLiteral("T02") : QStringLiteral("T01");
        budgets(QStringLiteral("B01"), QStringLiteral("K_CD"), master, QStringLiteral("科目"),
                isBank() ? QStringLiteral("項目マスター（T02）にない項目の予算があります")
                         : QStringLiteral("科目マスター（T01）にない科目の予算があります"));
        budgets(QStringLiteral("B02"), QStringLiteral("G_CD"), QStringLiteral("G01"), QStringLiteral("グループ"),
                QStringLiteral("グループ（G01）にないグループの予算があります"));
    }

    // Groups (G01, G02, from version 5). The views show a category under 未分類 whenever its
    // assignment cannot be used; these say why, so that the user can mend it.
    void groups() {
        if (!m_schema.table(QStringLiteral("G02"))) return;
        const QString master = isBank() ? QStringLiteral("T02") : QStringLiteral("T01");
        Finding f;
        f.table = QStringLiteral("G02");
        f.kind = FindingKind::Orphan;
        f.text = isBank() ? QStringLiteral("項目マスター（T02）にない項目がグループに入っています")
                          : QStringLiteral("科目マスター（T01）にない科目がグループに入っています");
        rowsFinding(f,
                    QStringLiteral("SELECT CD FROM G02 WHERE NOT EXISTS (SELECT 1 FROM %1 AS M WHERE M.CD = G02.K_CD) "
                                   "ORDER BY CD")
                        .arg(master),
                    QStringLiteral("グループ"));
        f.text = QStringLiteral("グループ（G01）にないグループへの割り当てがあります");
        rowsFinding(f,
                    QStringLiteral("SELECT CD FROM G02 WHERE NOT EXISTS (SELECT 1 FROM G01 WHERE G01.CD = G02.G_CD) "
                                   "ORDER BY CD"),
                    QStringLiteral("グループ"));
        f.kind = FindingKind::BadGroup;
        f.text = isBank() ? QStringLiteral("収入・支出の区分がグループと違う項目があります（未分類として表示します）")
                          : QStringLiteral("収入・支出の区分がグループと違う科目があります（未分類として表示します）");
        rowsFinding(f,
                    QStringLiteral("SELECT G02.CD FROM G02 JOIN G01 ON G01.CD = G02.G_CD JOIN %1 AS M "
                                   "ON M.CD = G02.K_CD WHERE COALESCE(M.KIND = 0, 0) <> COALESCE(G01.KIND = 0, 0) "
                                   "ORDER BY G02.CD")
                        .arg(master),
                    QStringLiteral("グループ"));
        f.table = QStringLiteral("G01");
        f.byCode = true;
        f.text = QStringLiteral("G01.KIND が 0（収入）でも 1（支出）でもないグループがあります");
        rowsFinding(f, QStringLiteral("SELECT CD FROM G01 WHERE KIND IS NOT 0 AND KIND IS NOT 1 ORDER BY CD"),
                    QStringLiteral("グループ"));
        f.text = QStringLiteral("名前が空か、ほかのグループと同じ名前のグループがあります");
        rowsFinding(f,
                    QStringLiteral("SELECT CD FROM G01 WHERE trim(COALESCE(NM, '')) = '' OR NM IN "
                                   "(SELECT NM FROM G01 GROUP BY NM HAVING COUNT(*) > 1) ORDER BY CD"),
                    QStringLiteral("グループ"));
    }

    // Pairs a program older than the transfers broke (one side deleted or changed): one finding
    // per kind of fault, with the links' codes.
    void transferLinks() {
        const LinkFaults found = linkFaults(m_c);
        if (!found.ok) {
            unreadable(QStringLiteral("振替を調べられません: %1").arg(found.error));
            return;
        }
        QList<Finding> faults;
        for (const LinkFault& fault : found.faults) {
            const QString text = QStringLiteral("振替（F01）: %1").arg(fault.text);
            add(findingFor(faults, FindingKind::BrokenLink, QStringLiteral("F01"), text), fault.link);
        }
        m_result.findings << faults;
    }

    // Income (kind 0) adds; every other kind, and a row whose item or category is missing,
    // subtracts.
    void balances() {
        Finding f;
        f.kind = FindingKind::WrongBalance;
        if (isBank()) {
            f.table = QStringLiteral("T01");
            f.byCode = true;
            f.text = QStringLiteral("銀行の残高（T01.ZAN）が記録の合計と合いません");
            rowsFinding(
                f,
                QStringLiteral("SELECT CD FROM T01 WHERE ZAN IS NOT (SELECT COALESCE(SUM(CASE WHEN T02.KIND = 0 "
                               "THEN S01.KINGAKU ELSE -S01.KINGAKU END), 0) FROM S01 LEFT JOIN T02 "
                               "ON T02.CD = S01.K_CD WHERE S01.B_CD = T01.CD) ORDER BY CD"),
                QStringLiteral("残高"));
        } else {
            f.table = QStringLiteral("S01");
            f.text = QStringLiteral("残高（S01.ZAN）が記録を順に足し引きした額と合いません");
            rowsFinding(
                f,
                QStringLiteral("SELECT CD FROM (SELECT S01.CD AS CD, S01.ZAN AS ZAN, "
                               "SUM(CASE WHEN T01.KIND = 0 THEN S01.KINGAKU ELSE -S01.KINGAKU END) "
                               "OVER (ORDER BY S01.P_CD, S01.K_DATE, S01.CD ROWS UNBOUNDED PRECEDING) AS RUNNING "
                               "FROM S01 LEFT JOIN T01 ON T01.CD = S01.K_CD WHERE S01.P_CD >= 1) "
                               "WHERE ZAN IS NOT RUNNING ORDER BY CD"),
                QStringLiteral("残高"));
        }
    }

    app::Program m_program;
    const QSqlDatabase& m_c;
    CheckResult m_result;
    db::SchemaState m_state;
    db::Schema m_schema;
};

bool looksLikeSqlite(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3\0", 16);
}

}  // namespace

QString Finding::describe(int shown) const {
    if (count <= 0) return text;
    QStringList numbers;
    for (int i = 0; i < records.size() && i < shown; ++i) numbers << QString::number(records[i]);
    QString list = numbers.join(QStringLiteral(", "));
    if (count > numbers.size()) list += QStringLiteral(" ほか %1 件").arg(count - numbers.size());
    return QStringLiteral("%1（%2: %3）")
        .arg(text, byCode ? QStringLiteral("コード") : QStringLiteral("記録番号"), list);
}

QList<Finding> CheckResult::of(FindingKind kind) const {
    QList<Finding> out;
    for (const Finding& f : findings)
        if (f.kind == kind) out << f;
    return out;
}

CheckResult checkConnection(app::Program program, const QSqlDatabase& connection, CheckDepth depth) {
    if (!connection.isOpen()) {
        CheckResult r;
        r.error = QStringLiteral("データベースが開かれていません");
        return r;
    }
    return Checker(program, connection).run(depth);
}

CheckResult checkBook(db::Book& book, app::Program program, CheckDepth depth) {
    return checkConnection(program, book.connection(), depth);
}

bool wrongTypesHold(db::Book& book, app::Program program) {
    return !checkBook(book, program, CheckDepth::Types).of(FindingKind::WrongType).isEmpty();
}

CheckResult checkFile(app::Program program, const QString& path, CheckDepth depth, const std::atomic<bool>* stop) {
    CheckResult r;
    QString error;
    const bool opened = withReadOnlyConnection(
        path,
        [&](const QSqlDatabase& c) {
            // SQLite asks every thousand steps whether to go on: a stop ends even one long statement.
            sqlite3* h = stop ? db::sqliteHandle(c) : nullptr;
            if (h)
                sqlite3_progress_handler(
                    h, 1000, [](void* flag) { return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0; },
                    const_cast<std::atomic<bool>*>(stop));
            r = checkConnection(program, c, depth);
            if (h) sqlite3_progress_handler(h, 0, nullptr, nullptr);
        },
        &error);
    if (!opened || (stop && stop->load())) {
        r = CheckResult();
        r.error = opened ? QStringLiteral("検査を中断しました") : error;
    }
    return r;
}

bool withReadOnlyConnection(const QString& path, const std::function<void(const QSqlDatabase&)>& work, QString* error) {
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (!info.exists()) return fail(QStringLiteral("データベースファイルがありません: %1").arg(shown));
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("データベースファイルを読めません: %1").arg(shown));
    if (!looksLikeSqlite(path)) return fail(QStringLiteral("データベースファイルではありません: %1").arg(shown));

    // A name of its own per call: connections belong to the thread that made them.
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("kakeibo-read-%1").arg(++serial);
    QString why;
    bool ok = false;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        c.setDatabaseName(info.absoluteFilePath());
        c.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!c.open()) {
            why = QStringLiteral("データベースを開けません: %1 (%2)").arg(shown, c.lastError().text());
        } else {
            QSqlQuery probe(c);
            if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
                why =
                    QStringLiteral("データベースファイルではありません: %1 (%2)").arg(shown, probe.lastError().text());
            } else {
                probe = QSqlQuery();
                ok = true;
                work(c);
            }
        }
        c.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok || fail(why);
}

bool programOfTables(const QSqlDatabase& connection, app::Program* program) {
    bool ok = false;
    const QStringList journal = columnsOf(connection, QStringLiteral("S01"), &ok);
    if (!ok) return false;
    if (journal.contains(QStringLiteral("P_CD"))) {
        *program = app::Program::Purse;
        return true;
    }
    if (journal.contains(QStringLiteral("B_CD"))) {
        *program = app::Program::Bank;
        return true;
    }
    return false;
}

Repair repairLinks(db::Book& book) {
    Repair r;
    const LinkRepair done = removeBrokenLinks(book);
    r.ok = done.ok;
    r.changed = done.removed;
    r.error = done.error;
    return r;
}

Repair repairBalances(db::Book& book, app::Program program) {
    Repair r;
    if (!book.isOpen()) {
        r.error = QStringLiteral("データベースが開かれていません");
        return r;
    }
    if (book.isReadOnly()) {
        r.error = QStringLiteral("読み取り専用のため修復できません: %1").arg(QDir::toNativeSeparators(book.path()));
        return r;
    }
    db::Transaction tx(book);
    if (!tx.ok()) {
        r.error = QStringLiteral("トランザクションを開始できません");
        return r;
    }
    if (program == app::Program::Bank) {
        QList<QPair<qint64, QVariant>> banks;
        {
            QSqlQuery q(book.connection());
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("SELECT CD, ZAN FROM T01 ORDER BY CD"))) {
                r.error = q.lastError().text();
                return r;
            }
            while (q.next()) banks.append({q.value(0).toLongLong(), q.value(1)});
        }
        for (const auto& bank : banks) {
            const BankZan z = Recalc_BankZan(book, bank.first);
            if (!z.ok) {
                r.error = z.error;
                return r;
            }
            const QVariant& before = bank.second;
            if (before.isNull() || before.typeId() == QMetaType::QString || before.toLongLong() != z.zan) ++r.changed;
        }
    } else {
        const Recalc rc = Recalc_Zan(book, 1);
        if (!rc.ok) {
            r.error = rc.error;
            return r;
        }
        r.changed = rc.rowsChanged;
    }
    if (!tx.commit()) {
        r.error = QStringLiteral("変更を保存できません");
        return r;
    }
    r.ok = true;
    return r;
}

}  // namespace ledger
